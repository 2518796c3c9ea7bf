#pragma once

#include <QByteArray>
#include <QtGlobal>

namespace zendrel::lmt::vendorservice {

// What a "Range" request header asks of a file of a given size. Only single byte ranges are
// answered partially; several ranges or another unit get the whole file (a server may always
// ignore Range), while a byte range that is malformed or lies outside the file is refused.
struct ByteRange {
    enum class Kind { WholeFile, Partial, Unsatisfiable };

    Kind kind = Kind::WholeFile;
    qint64 first = 0;
    qint64 last = -1; // inclusive

    qint64 length() const { return last - first + 1; }
    // "bytes first-last/size"
    QByteArray contentRange(qint64 size) const;

    static ByteRange parse(const QByteArray &header, qint64 size);
};

} // namespace zendrel::lmt::vendorservice
