#include "app/LmtEntry.h"

int main(int argc, char **argv)
{
    return zendrel::lmt::setup::runSetupApplication(argc, argv);
}
