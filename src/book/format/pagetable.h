#pragma once

#include "bookformat.h"

#include <QByteArray>
#include <QString>

#include <memory>
#include <vector>

namespace book {

// The page table: every page record of the book, in file order, kept once as the text read from the
// book file, in the code page or UTF-8, and decoded only when a record is asked for.
class PageTable {
public:
    PageTable() = default;

    // The records of text, each given by its offset and length in text. owner keeps text's bytes
    // where text doesn't own them (a mapped book file); every copy of the table shares it.
    PageTable(QByteArray text, std::vector<TextSpan> records, TextForm form = TextForm::CodePage,
              std::shared_ptr<const void> owner = {});

    // N, the number of records.
    qsizetype size() const { return qsizetype(records_.size()); }

    // Record i, character for character as in the book file. i must lie within 0 to N-1; outside it
    // fails with "subscript out of range" (9).
    QString record(qsizetype i) const;
    QByteArrayView recordBytes(qsizetype i) const;

    // The form of the records' text, and a piece of it decoded.
    TextForm form() const { return form_; }
    QString decode(QByteArrayView bytes) const { return decodeText(bytes, form_); }

private:
    std::shared_ptr<const void> owner_;
    QByteArray text_;
    std::vector<TextSpan> records_;
    TextForm form_ = TextForm::CodePage;
};

} // namespace book
