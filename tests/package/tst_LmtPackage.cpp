// The program as a Linux system gets it: the tree `cmake --install` lays out, the Debian package
// CPack builds from the same rules, the desktop entry and metainfo checked by their validators,
// and the installed program started from the installed tree.

#include "common/LmtTestSupport.h"

#include <QDir>
#include <QImage>
#include <QProcess>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

#include <unistd.h>

namespace {

const QString kAppId = QStringLiteral("example.zendrel_tech.LumetraSetup");
const QList<int> kIconSizes { 16, 22, 24, 32, 48, 64, 128, 256 };

struct Outcome {
    int exitCode = -1;
    QString output; // standard output and error
};

Outcome run(const QString &program, const QStringList &arguments,
    const QProcessEnvironment &env = QProcessEnvironment::systemEnvironment())
{
    QProcess process;
    process.setProcessEnvironment(env);
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(program, arguments);
    if (!process.waitForFinished(240000))
        process.kill();
    Outcome outcome;
    outcome.output = QString::fromLocal8Bit(process.readAll());
    if (process.exitStatus() == QProcess::NormalExit)
        outcome.exitCode = process.exitCode();
    return outcome;
}

// Every file of the program below the install prefix /usr.
QStringList expectedFiles()
{
    QStringList files { "usr/bin/lumetra-setup", "usr/lib/lumetra-setup/LumetraSetup",
        "usr/lib/lumetra-setup/Resources/3rdparty-tools.json",
        "usr/lib/lumetra-setup/docs/LumetraSetup.pdf",
        "usr/lib/lumetra-setup/translations/lumetra-setup_de.qm",
        "usr/share/applications/" + kAppId + ".desktop",
        "usr/share/icons/hicolor/scalable/apps/" + kAppId + ".svg",
        "usr/share/metainfo/" + kAppId + ".metainfo.xml" };
    for (int size : kIconSizes)
        files << QStringLiteral("usr/share/icons/hicolor/%1x%1/apps/%2.png").arg(size).arg(kAppId);
    files.sort();
    return files;
}

} // namespace

class TestLmtPackage : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    QString m_root; // the DESTDIR the program is installed into, with prefix /usr

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        m_root = m_dir.filePath("root");
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("DESTDIR", m_root);
        const Outcome install
            = run(LUMETRA_CMAKE, { "--install", LUMETRA_BUILD_DIR, "--prefix", "/usr" }, env);
        QVERIFY2(install.exitCode == 0, qPrintable(install.output));
    }

    void installedTreeHoldsTheProgramAndNothingElse()
    {
        QCOMPARE(lmttest::filesBelow(m_root), expectedFiles());

        // The command is a relative link, so the tree works wherever it is unpacked.
        char target[256] = {};
        const QByteArray command = QFile::encodeName(m_root + "/usr/bin/lumetra-setup");
        QVERIFY(::readlink(command.constData(), target, sizeof target - 1) > 0);
        QCOMPARE(QString::fromLocal8Bit(target), "../lib/lumetra-setup/LumetraSetup");

        for (int size : kIconSizes) {
            const QImage icon(QStringLiteral("%1/usr/share/icons/hicolor/%2x%2/apps/%3.png")
                                  .arg(m_root)
                                  .arg(size)
                                  .arg(kAppId));
            QCOMPARE(icon.size(), QSize(size, size));
        }
    }

    void validatorsAcceptTheDesktopFiles_data()
    {
        QTest::addColumn<QString>("validator");
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("file");
        QTest::newRow("desktop entry") << "desktop-file-validate" << QStringList()
                                       << "usr/share/applications/" + kAppId + ".desktop";
        QTest::newRow("AppStream metainfo")
            << "appstreamcli" << QStringList { "validate", "--no-net", "--explain" }
            << "usr/share/metainfo/" + kAppId + ".metainfo.xml";
    }

    void validatorsAcceptTheDesktopFiles()
    {
        QFETCH(QString, validator);
        QFETCH(QStringList, arguments);
        QFETCH(QString, file);
        const QString program = QStandardPaths::findExecutable(validator);
        if (program.isEmpty())
            QSKIP(qPrintable(validator + " is not installed (scripts/setup-deps installs it)"));
        const Outcome outcome = run(program, arguments << m_root + "/" + file);
        QVERIFY2(outcome.exitCode == 0, qPrintable(outcome.output));
    }

    // Started through the command in bin/, the program finds the Resources folder in its own
    // folder: Qt resolves the link to the executable.
    void installedProgramFindsItsResources()
    {
        QTemporaryDir sandbox;
        for (const char *sub : { "data", "config", "home", "tmp", "runtime", "allusers" })
            QVERIFY(QDir(sandbox.path()).mkpath(QString::fromLatin1(sub)));
        QFile::setPermissions(sandbox.filePath("runtime"),
            QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("HOME", sandbox.filePath("home"));
        env.insert("XDG_DATA_HOME", sandbox.filePath("data"));
        env.insert("XDG_CONFIG_HOME", sandbox.filePath("config"));
        env.insert("XDG_RUNTIME_DIR", sandbox.filePath("runtime"));
        env.insert("ALLUSERSPROFILE", sandbox.filePath("allusers"));
        env.insert("TMPDIR", sandbox.filePath("tmp"));
        env.insert("QT_QPA_PLATFORM", "offscreen");

        QProcess program;
        const auto stop = qScopeGuard([&] {
            program.kill();
            program.waitForFinished(10000);
        });
        program.setProcessEnvironment(env);
        program.setProcessChannelMode(QProcess::MergedChannels);
        program.start(m_root + "/usr/bin/lumetra-setup", {});
        QVERIFY(program.waitForStarted(10000));
        // The first entry of the shipped 3rd-party tools file, or the refresh's complaint.
        const QString found = "Discovered available 3rd party tool 'Visual Studio Code'";
        const QString missing = "Resources folder not found!";
        QString output;
        QTRY_VERIFY_WITH_TIMEOUT(
            (output += QString::fromLocal8Bit(program.readAll())).contains(found)
                || output.contains(missing),
            60000);
        QVERIFY2(!output.contains(missing), qPrintable(output));
    }

    void debianPackageHoldsTheTreeAndItsDependencies()
    {
        const QString out = m_dir.filePath("package");
        const Outcome cpack = run(LUMETRA_CPACK,
            { "--config", QString(LUMETRA_BUILD_DIR) + "/CPackConfig.cmake", "-B", out });
        QVERIFY2(cpack.exitCode == 0, qPrintable(cpack.output));
        const QStringList debs = QDir(out).entryList({ "*.deb" }, QDir::Files);
        QCOMPARE(debs, QStringList { "lumetra-setup_" LUMETRA_VERSION "_amd64.deb" });
        const QString deb = QDir(out).filePath(debs.constFirst());

        // dpkg-deb -c lists "perms owner size date time ./path[ -> target]"; folders end in '/'.
        const Outcome contents = run("dpkg-deb", { "-c", deb });
        QCOMPARE(contents.exitCode, 0);
        QStringList files;
        const QRegularExpression entry(QStringLiteral("^(\\S)\\S+ root/root .* \\./(\\S+)"));
        for (const QString &line : contents.output.split('\n', Qt::SkipEmptyParts)) {
            const QRegularExpressionMatch match = entry.match(line);
            QVERIFY2(match.hasMatch(), qPrintable(line)); // owned by root, as installed
            if (match.captured(1) != "d")
                files << match.captured(2);
        }
        files.sort();
        QCOMPARE(files, expectedFiles());
        QVERIFY2(contents.output.contains(
                     "./usr/bin/lumetra-setup -> ../lib/lumetra-setup/LumetraSetup\n"),
            qPrintable(contents.output));

        const Outcome fields = run("dpkg-deb", { "-f", deb, "Package", "Version", "Section" });
        QCOMPARE(fields.output,
            "Package: lumetra-setup\nVersion: " LUMETRA_VERSION "\nSection: devel\n");
        const Outcome depends = run("dpkg-deb", { "-f", deb, "Depends" });
        QCOMPARE(depends.exitCode, 0);
        QStringList names;
        for (const QString &dependency : depends.output.split(',', Qt::SkipEmptyParts))
            names << dependency.trimmed().section(' ', 0, 0);
        for (const char *library : { "libc6", "libstdc++6", "libqt6core6", "libqt6gui6",
                 "libqt6widgets6", "libqt6network6", "libqt6svg6" })
            QVERIFY2(names.contains(library), qPrintable(depends.output));
    }
};

QTEST_GUILESS_MAIN(TestLmtPackage)
#include "tst_LmtPackage.moc"
