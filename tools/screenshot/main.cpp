// lumetra-screenshot OUT.png [X Y WIDTH HEIGHT] — grabs the primary screen of the current
// display, or the given rectangle of it, into a PNG. Used by scripts/demo when the application
// runs on a virtual display nobody can look at, and by scripts/screenshots for the window alone:
// the screen's pixels, not the window's own, so dialogs open over the window are in the picture.

#include <QGuiApplication>
#include <QPixmap>
#include <QScreen>

#include <cstdio>

int main(int argc, char **argv)
{
    QGuiApplication app(argc, argv);
    const QStringList arguments = QCoreApplication::arguments();
    if (arguments.size() != 2 && arguments.size() != 6) {
        std::fprintf(stderr, "usage: lumetra-screenshot OUT.png [X Y WIDTH HEIGHT]\n");
        return 2;
    }
    int area[4] = { 0, 0, -1, -1 }; // Qt's "the whole screen"
    for (int i = 2; i < arguments.size(); ++i) {
        bool ok = false;
        area[i - 2] = arguments.at(i).toInt(&ok);
        if (!ok || area[i - 2] < 0) {
            std::fprintf(stderr, "lumetra-screenshot: not a position or size: %s\n",
                qPrintable(arguments.at(i)));
            return 2;
        }
    }
    QScreen *screen = QGuiApplication::primaryScreen();
    if (!screen) {
        std::fprintf(stderr, "lumetra-screenshot: no screen\n");
        return 1;
    }
    const QPixmap picture = screen->grabWindow(0, area[0], area[1], area[2], area[3]);
    if (picture.isNull() || !picture.save(arguments.at(1), "PNG")) {
        std::fprintf(stderr, "lumetra-screenshot: could not save %s\n", argv[1]);
        return 1;
    }
    return 0;
}
