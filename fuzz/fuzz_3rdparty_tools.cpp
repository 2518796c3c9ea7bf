// "Resources/3rdparty-tools.json" ships with the program but may be edited or damaged on disk:
// any bytes in it must end in a filled model or a std::runtime_error.
#include "FuzzSupport.h"
#include "model/LmtCoreToolModel.h"
#include "registry/Lmt3rdPartyRegistryParser.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <stdexcept>

using namespace zendrel::lmt::setup;

namespace {

// The file names version commands that the parser runs once it finds the tool's executable.
// A mutated input could name any program on this machine with any arguments, so every
// "getVersionCLI" is emptied before the parse: the parser then stops short of running it.
// Inputs that are not a JSON array reach the parser unchanged.
QByteArray withoutCommands(const QByteArray &input)
{
    QJsonDocument document = QJsonDocument::fromJson(input);
    if (!document.isArray())
        return input;
    QJsonArray entries = document.array();
    for (qsizetype i = 0; i < entries.size(); ++i) {
        QJsonObject entry = entries[i].toObject();
        QJsonObject packages = entry.value(QLatin1String("packages")).toObject();
        QJsonObject local = packages.value(QLatin1String("local")).toObject();
        for (auto os = local.begin(); os != local.end(); ++os) {
            if (!os.value().isArray())
                continue;
            QJsonArray variants = os.value().toArray();
            for (qsizetype v = 0; v < variants.size(); ++v) {
                QJsonObject variant = variants[v].toObject();
                if (variant.contains(QLatin1String("getVersionCLI")))
                    variant.insert(QLatin1String("getVersionCLI"), QString());
                if (variants[v].isObject())
                    variants[v] = variant;
            }
            os.value() = variants;
        }
        if (!entries[i].isObject() || !entry.value(QLatin1String("packages")).isObject()
            || !packages.value(QLatin1String("local")).isObject())
            continue;
        packages.insert(QLatin1String("local"), local);
        entry.insert(QLatin1String("packages"), packages);
        entries[i] = entry;
    }
    return QJsonDocument(entries).toJson(QJsonDocument::Compact);
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    lmtfuzz::setUp(argc, argv);
    QDir().mkpath(lmtfuzz::scratchDir() + QStringLiteral("/app/Resources"));
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString appDir = lmtfuzz::scratchDir() + QStringLiteral("/app");
    QFile file(appDir + QStringLiteral("/Resources/3rdparty-tools.json"));
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return 0;
    file.write(withoutCommands(lmtfuzz::bytes(data, size)));
    file.close();

    auto model = std::make_shared<LmtCoreToolModel>();
    Lmt3rdPartyRegistryParser parser(model);
    parser.setApplicationDirectory(appDir);
    parser.setProbeTimeout(std::chrono::milliseconds(200));
    try {
        parser.parse();
    } catch (const std::runtime_error &) {
        // The documented outcome for a missing, unreadable or malformed file or entry.
    }
    return 0;
}
