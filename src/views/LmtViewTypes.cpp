#include "views/LmtViewTypes.h"

#include "views/LmtToolConfigData.h"
#include "views/LmtToolLinksData.h"

namespace zendrel::lmt::setup {

void registerViewMetaTypes()
{
    qRegisterMetaType<LmtToolConfigData>("zendrel::lmt::setup::LmtToolConfigData");
    qRegisterMetaType<LmtToolLinksData>("zendrel::lmt::setup::LmtToolLinksData");
    // Signals declared inside the namespace name the types unqualified.
    qRegisterMetaType<LmtToolConfigData>("LmtToolConfigData");
    qRegisterMetaType<LmtToolLinksData>("LmtToolLinksData");
}

} // namespace zendrel::lmt::setup
