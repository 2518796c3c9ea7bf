#include "ByteRange.h"

namespace zendrel::lmt::vendorservice {

namespace {

bool readNumber(const QByteArray &text, qint64 *value)
{
    if (text.isEmpty())
        return false;
    for (const char c : text) {
        if (c < '0' || c > '9')
            return false;
    }
    bool ok = false;
    *value = text.toLongLong(&ok);
    return ok;
}

ByteRange refused()
{
    ByteRange range;
    range.kind = ByteRange::Kind::Unsatisfiable;
    return range;
}

ByteRange partial(qint64 first, qint64 last)
{
    ByteRange range;
    range.kind = ByteRange::Kind::Partial;
    range.first = first;
    range.last = last;
    return range;
}

} // namespace

QByteArray ByteRange::contentRange(qint64 size) const
{
    return "bytes " + QByteArray::number(first) + '-' + QByteArray::number(last) + '/'
        + QByteArray::number(size);
}

ByteRange ByteRange::parse(const QByteArray &header, qint64 size)
{
    const QByteArray rangeHeader = header.trimmed();
    if (rangeHeader.isEmpty() || !rangeHeader.toLower().startsWith("bytes="))
        return ByteRange();
    const QByteArray set = rangeHeader.mid(6).trimmed();
    if (set.contains(','))
        return ByteRange();

    const int dash = set.indexOf('-');
    if (dash < 0)
        return refused();
    const QByteArray firstText = set.left(dash).trimmed();
    const QByteArray lastText = set.mid(dash + 1).trimmed();

    if (firstText.isEmpty()) {
        // "-N": the last N bytes.
        qint64 suffix = 0;
        if (!readNumber(lastText, &suffix) || suffix == 0 || size == 0)
            return refused();
        return partial(qMax<qint64>(0, size - suffix), size - 1);
    }

    qint64 first = 0;
    if (!readNumber(firstText, &first) || first >= size)
        return refused();
    if (lastText.isEmpty())
        return partial(first, size - 1);
    qint64 last = 0;
    if (!readNumber(lastText, &last) || last < first)
        return refused();
    return partial(first, qMin(last, size - 1));
}

} // namespace zendrel::lmt::vendorservice
