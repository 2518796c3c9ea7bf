// The window behind the main program of every demo tool: it names the tool and the version that
// is installed, so that starting an installed demo tool (from the setup's launch page, a file
// manager or a terminal) visibly runs something. Each package ships a copy next to a small
// start script that passes its tool's name and version.
//
//     lumetra-demo-window <tool name> <version>
#include <QApplication>
#include <QDialogButtonBox>
#include <QFont>
#include <QLabel>
#include <QVBoxLayout>
#include <QWidget>

#include <cstdio>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    const QStringList arguments = QApplication::arguments();
    if (arguments.size() != 3) {
        std::fprintf(stderr, "usage: lumetra-demo-window <tool name> <version>\n");
        return 2;
    }
    const QString title = arguments.at(1) + QLatin1Char(' ') + arguments.at(2);

    QWidget window;
    window.setWindowTitle(title);
    auto *layout = new QVBoxLayout(&window);
    auto *name = new QLabel(arguments.at(1), &window);
    QFont large = name->font();
    large.setPointSizeF(large.pointSizeF() * 1.6);
    large.setBold(true);
    name->setFont(large);
    layout->addWidget(name, 0, Qt::AlignHCenter);
    layout->addWidget(
        new QLabel(QApplication::translate("main", "Version %1").arg(arguments.at(2)), &window), 0,
        Qt::AlignHCenter);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Close, &window);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &window, &QWidget::close);
    layout->addWidget(buttons);
    window.resize(360, 160);
    window.show();

    // Whoever started it from a terminal reads what runs.
    std::printf("%s is running\n", qPrintable(title));
    std::fflush(stdout);
    return QApplication::exec();
}
