#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QJsonValue>
#include <QList>

namespace zendrel::lmt::setup {

// The entries of a JSON document whose root is an array, each parsed on its own when asked
// for. Parsing a large document whole builds a tree several times its size, all of it held
// until the last entry has been read; one entry at a time, only that entry's tree exists.
//
// split() only finds where the entries begin and end. It accepts nothing that the whole
// document's parse would reject: it gives up (returns false) on anything but a non-empty array
// of entries that each parse, with nothing but white space and commas between them, so the
// caller can leave every other document, and every error text, to the whole-document parse.
class LmtJsonArrayEntries
{
public:
    // Takes the document's bytes (shared, not copied) and finds its entries. False when the
    // document is not such an array; the entries are then empty.
    bool split(const QByteArray &document);

    qsizetype size() const { return m_entries.size(); }
    // The entry at index, parsed anew on every call.
    QJsonValue at(qsizetype index) const;

private:
    bool findEntries();
    QByteArray wrapped(qsizetype index) const;
    bool parses(qsizetype index) const;

    QByteArray m_document;
    QList<QByteArrayView> m_entries;
};

} // namespace zendrel::lmt::setup
