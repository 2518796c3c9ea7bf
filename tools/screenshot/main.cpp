// lumetra-screenshot OUT.png — grabs the primary screen of the current display into a PNG.
// Used by scripts/demo when the application runs on a virtual display nobody can look at.

#include <QGuiApplication>
#include <QPixmap>
#include <QScreen>

#include <cstdio>

int main(int argc, char **argv)
{
    QGuiApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: lumetra-screenshot OUT.png\n");
        return 2;
    }
    QScreen *screen = QGuiApplication::primaryScreen();
    if (!screen) {
        std::fprintf(stderr, "lumetra-screenshot: no screen\n");
        return 1;
    }
    const QPixmap picture = screen->grabWindow(0);
    if (picture.isNull() || !picture.save(QString::fromLocal8Bit(argv[1]), "PNG")) {
        std::fprintf(stderr, "lumetra-screenshot: could not save %s\n", argv[1]);
        return 1;
    }
    return 0;
}
