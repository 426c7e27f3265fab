#pragma once

#include "book/pagetable.h"

#include <QString>

#include <vector>

namespace book {

// The title that page i gives itself (see pageTitle), read in the page table's form.
QString pageTitleAt(const PageTable &pages, qsizetype i);

// The contents of a book: every page that has page HTML (blank and empty records have none), in book
// order, by its title, as a tree whose folders are the paths of the page names: "c3ref/open.html"
// lies in the folder "c3ref", itself at the top. Reading it decodes the start of every page, so it is
// made off the window thread for a large book.
class Contents {
public:
    struct Entry {
        qsizetype page = -1; // its index in the page table
        QString name;        // the page name without its outer spaces
        QString title;       // the page's title (see pageTitle), else its first heading, else its name
        int folder = -1;     // the folder it lies in, an index of folders(); -1 at the top
    };
    struct Folder {
        QString name; // the last part of its path
        int parent = -1;
    };

    Contents() = default;
    explicit Contents(const PageTable &pages);

    const std::vector<Entry> &entries() const { return entries_; }
    // Every folder before those inside it, in the order of the first page in each.
    const std::vector<Folder> &folders() const { return folders_; }
    // The entry of page i, as an index of entries(); -1 when the page is not listed.
    qsizetype entryOf(qsizetype page) const;

private:
    std::vector<Entry> entries_;
    std::vector<Folder> folders_;
};

} // namespace book
