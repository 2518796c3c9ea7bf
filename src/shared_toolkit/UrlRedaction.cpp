#include "shared_toolkit/UrlRedaction.h"

#include <QRegularExpression>

namespace zendrel::lmt::shared_toolkit {

QString withoutUrlPasswords(const QString &text)
{
    // A scheme and "//", the user name, then ':' and the password up to the last '@' before
    // the path, query, fragment or the end of the word, so that an unencoded '@' in the
    // password does not leave its rest behind. A port ("host:8080/") has no '@' behind it and
    // is left alone.
    static const QRegularExpression password(
        QStringLiteral(R"(([A-Za-z][A-Za-z0-9+.\-]*://[^\s/?#@:]*):[^\s/?#]*@)"));
    if (!text.contains(QLatin1Char('@')))
        return text;
    QString result = text;
    return result.replace(password, QStringLiteral("\\1@"));
}

} // namespace zendrel::lmt::shared_toolkit
