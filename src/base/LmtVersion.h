#pragma once

#include <QString>

namespace zendrel::lmt::setup {

// A version of up to four parts; -1 marks an absent part. Only a prefix of the parts may be
// present (major; major.minor; major.minor.patch; all four) and none may be negative,
// otherwise the constructor throws std::runtime_error("Invalid version").
class LmtVersion
{
public:
    explicit LmtVersion(qint64 major, qint64 minor = -1, qint64 patch = -1, qint64 build = -1);

    qint64 major() const { return m_major; }
    qint64 minor() const { return m_minor; }
    qint64 patch() const { return m_patch; }
    qint64 build() const { return m_build; }

    // The present parts joined by points ("1.2.0.787").
    QString toString() const;
    // major.minor ("1.2"); an absent minor part reads as 0.
    QString shortText() const;

private:
    qint64 m_major;
    qint64 m_minor;
    qint64 m_patch;
    qint64 m_build;
};

} // namespace zendrel::lmt::setup
