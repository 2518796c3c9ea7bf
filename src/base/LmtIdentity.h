#pragma once

#include "base/LmtVersion.h"

#include <QString>

namespace zendrel::lmt::setup {

// The four numbers of a product version.
struct LmtVersionNumbers {
    qint64 major;
    qint64 minor;
    qint64 patch;
    qint64 build;
};

// This build's version, taken from the project version in the top-level CMakeLists.txt.
const LmtVersionNumbers &productVersionNumbers();

// Product identity, fixed at build time.
QString productName(); // "Lumetra™ Setup"
const LmtVersion &productVersion(); // e.g. 1.2.0.787
QString applicationDisplayName(); // e.g. "Lumetra™ Setup 1.2"

// The product name without the characters Windows forbids in file names and without any
// character at or above code 127: safe as a path component. Computed once.
QString sanitizedApplicationName();
// Same rule for any text.
QString sanitizeApplicationName(const QString &name);

} // namespace zendrel::lmt::setup
