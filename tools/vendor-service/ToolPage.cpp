#include "ToolPage.h"

#include <QJsonValue>
#include <QStringList>

namespace zendrel::lmt::vendorservice {

namespace {

QString page(const QString &title, const QString &body)
{
    return QStringLiteral("<!DOCTYPE html>\n<html lang=\"en\">\n<head><meta charset=\"utf-8\">"
                          "<title>%1</title></head>\n<body>\n<h1>%1</h1>\n%2</body>\n</html>\n")
        .arg(title.toHtmlEscaped(), body);
}

bool isHidden(const QJsonObject &version)
{
    return version.value(QStringLiteral("additionalAttributes"))[QStringLiteral("lmt-ignore")]
        .toBool(false);
}

} // namespace

QByteArray ToolPage::render(const QJsonObject &tool, const QString &registryPath)
{
    const QString name = tool.value(QStringLiteral("name")).toString();
    const QString toolId = QString::number(tool.value(QStringLiteral("id")).toInteger());
    QStringList items;
    const QJsonObject versions = tool.value(QStringLiteral("versions")).toObject();
    for (const QJsonValue &value : versions) {
        const QJsonObject version = value.toObject();
        if (isHidden(version))
            continue;
        const QString prefix
            = QStringLiteral("%1%2/versions/%3/")
                  .arg(registryPath, toolId,
                      QString::number(version.value(QStringLiteral("id")).toInteger()));
        items << QStringLiteral("<li>%1 &mdash; <a href=\"%2release-note/\">release note</a>, "
                                "<a href=\"%2license/\">licence</a></li>")
                     .arg(version.value(QStringLiteral("version")).toString().toHtmlEscaped(),
                         prefix.toHtmlEscaped());
    }
    const QString body
        = QStringLiteral("<p>Feature id: <code>%1</code></p>\n<h2>Versions</h2>\n"
                         "<ul>\n%2\n</ul>\n")
              .arg(tool.value(QStringLiteral("featureId")).toString().toHtmlEscaped(),
                  items.join(QLatin1Char('\n')));
    return page(name, body).toUtf8();
}

QByteArray ToolPage::renderNotFound(const QString &featureId)
{
    return page(QStringLiteral("Tool not found"),
        QStringLiteral("<p>No tool with the feature id <code>%1</code> is published.</p>\n")
            .arg(featureId.toHtmlEscaped()))
        .toUtf8();
}

} // namespace zendrel::lmt::vendorservice
