#include "app/LmtTranslations.h"

#include <QCoreApplication>
#include <QLibraryInfo>

#include <cstring>

namespace zendrel::lmt::setup {

QString LmtTranslations::PlainContextTranslator::translate(
    const char *context, const char *sourceText, const char *disambiguation, int n) const
{
    const char *plain = context;
    for (const char *colons = context ? std::strstr(context, "::") : nullptr; colons;
         colons = std::strstr(colons + 2, "::"))
        plain = colons + 2;
    return QTranslator::translate(plain, sourceText, disambiguation, n);
}

LmtTranslations::LmtTranslations(const QLocale &locale, const QString &directory)
{
    m_programLoaded
        = m_program.load(locale, QStringLiteral("lumetra-setup"), QStringLiteral("_"), directory)
        && QCoreApplication::installTranslator(&m_program);
    // Qt's texts only with the program's: a dialog half in another language is worse than one
    // in English.
    if (m_programLoaded)
        m_qtLoaded = m_qt.load(locale, QStringLiteral("qtbase"), QStringLiteral("_"),
                         QLibraryInfo::path(QLibraryInfo::TranslationsPath))
            && QCoreApplication::installTranslator(&m_qt);
}

LmtTranslations::~LmtTranslations()
{
    if (m_qtLoaded)
        QCoreApplication::removeTranslator(&m_qt);
    if (m_programLoaded)
        QCoreApplication::removeTranslator(&m_program);
}

QString LmtTranslations::besideProgram()
{
    return QCoreApplication::applicationDirPath() + QStringLiteral("/translations");
}

} // namespace zendrel::lmt::setup
