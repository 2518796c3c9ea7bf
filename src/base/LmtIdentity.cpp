#include "base/LmtIdentity.h"

#include "base/LmtProductVersion.h"

#include <QRegularExpression>

namespace zendrel::lmt::setup {

const LmtVersionNumbers &productVersionNumbers()
{
    static const LmtVersionNumbers numbers { kProductVersionMajor, kProductVersionMinor,
        kProductVersionPatch, kProductVersionBuild };
    return numbers;
}

QString productName()
{
    return QString::fromUtf8("Lumetra\u2122 Setup");
}

const LmtVersion &productVersion()
{
    static const LmtVersion version(productVersionNumbers().major, productVersionNumbers().minor,
        productVersionNumbers().patch, productVersionNumbers().build);
    return version;
}

QString applicationDisplayName()
{
    return QStringLiteral("%1 %2").arg(productName(), productVersion().shortText());
}

QString sanitizeApplicationName(const QString &name)
{
    // The characters Windows refuses in file names, in one character class.
    static const QRegularExpression forbidden(QStringLiteral("[<>:\"/\\\\|?*]"));
    QString withoutForbidden = name;
    withoutForbidden.remove(forbidden);
    QString result;
    result.reserve(withoutForbidden.size());
    for (QChar c : withoutForbidden) {
        if (c.unicode() < 127)
            result.append(c);
    }
    return result;
}

QString sanitizedApplicationName()
{
    static const QString name = sanitizeApplicationName(productName());
    return name;
}

} // namespace zendrel::lmt::setup
