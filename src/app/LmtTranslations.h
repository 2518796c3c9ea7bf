#pragma once

#include <QLocale>
#include <QString>
#include <QTranslator>

namespace zendrel::lmt::setup {

// The program's texts and Qt's own (standard buttons, file dialogs) in the language of a locale,
// installed in the application for as long as the object lives. English is the language of the
// source and needs no file: a locale without a translation keeps the program English.
class LmtTranslations
{
public:
    // The program's translations from directory ("lumetra-setup_<language>.qm"), Qt's from its
    // installation.
    LmtTranslations(const QLocale &locale, const QString &directory);
    ~LmtTranslations();
    LmtTranslations(const LmtTranslations &) = delete;
    LmtTranslations &operator=(const LmtTranslations &) = delete;

    // Where the program keeps its translations: "translations" beside the executable, in the
    // build folder as in an installed tree.
    static QString besideProgram();

    bool programTranslated() const { return m_programLoaded; }

private:
    // Looks texts up by the plain class name: tr() of a Q_OBJECT class asks with the name
    // qualified by its namespace, the translation files name the class alone.
    class PlainContextTranslator : public QTranslator
    {
    public:
        QString translate(const char *context, const char *sourceText,
            const char *disambiguation = nullptr, int n = -1) const override;
    };

    PlainContextTranslator m_program;
    QTranslator m_qt;
    bool m_programLoaded = false;
    bool m_qtLoaded = false;
};

} // namespace zendrel::lmt::setup
