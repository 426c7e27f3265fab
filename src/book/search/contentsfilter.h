#pragma once

#include "contents.h"

#include <QString>
#include <QStringView>

#include <vector>

namespace book {

// Filters the entries of a book's contents by what the reader types: an entry is kept when its title
// or its name holds every word typed, in any order, whatever their letter case.
class ContentsFilter {
public:
    explicit ContentsFilter(const Contents &contents);

    // The entries kept, as indices of contents.entries(), in book order; every entry when the query
    // holds no word.
    std::vector<qsizetype> filter(QStringView query) const;

private:
    // The title and the name of each entry, case-folded, one after the other.
    std::vector<QString> folded_;
};

} // namespace book
