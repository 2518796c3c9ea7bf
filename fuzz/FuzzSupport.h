#pragma once

#include <QByteArray>
#include <QString>

#include <cstddef>
#include <cstdint>

namespace lmtfuzz {

// Called from LLVMFuzzerInitialize: creates the application object the parsers expect, points
// home, settings and temp folders into a private scratch folder (a fuzzed input must never
// touch the user's files) and silences the log, whose formatting would dominate every run.
void setUp(int *argc, char ***argv);

// The private folder set up by setUp(); removed when the process ends.
QString scratchDir();

inline QByteArray bytes(const uint8_t *data, size_t size)
{
    return QByteArray(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
}

} // namespace lmtfuzz
