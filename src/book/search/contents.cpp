#include "contents.h"

#include "book/bookformat.h"
#include "book/pagetitle.h"
#include "book/record.h"

#include <QHash>

#include <algorithm>

namespace book {

QString pageTitleAt(const PageTable &pages, qsizetype i)
{
    const QByteArrayView html = recordField(pages.recordBytes(i), 1);
    return pages.form() == TextForm::Utf8 ? pageTitle(QStringView(pages.decode(html))) : pageTitle(html);
}

Contents::Contents(const PageTable &pages)
{
    // Folders by their whole path, so that "a/b" and "c/b" are two folders.
    QHash<QString, int> folderOf;
    entries_.reserve(size_t(pages.size()));
    for (qsizetype i = 0; i < pages.size(); ++i) {
        const QByteArrayView record = pages.recordBytes(i);
        if (findFieldSeparator(record, 0) < 0)
            continue;
        Entry entry;
        entry.page = i;
        entry.name = trimSpaces(pages.decode(recordField(record, 0))).toString();
        entry.title = pageTitleAt(pages, i);
        if (entry.title.isEmpty())
            entry.title = entry.name;

        // Each part of the path but the last is a folder, found or added.
        int parent = -1;
        for (qsizetype slash = entry.name.indexOf(u'/'), from = 0; slash >= 0;
             from = slash + 1, slash = entry.name.indexOf(u'/', from)) {
            if (slash == from)
                continue; // "a//b" or a leading "/": no folder without a name
            const QString path = entry.name.first(slash);
            auto found = folderOf.constFind(path);
            if (found == folderOf.cend()) {
                found = folderOf.insert(path, int(folders_.size()));
                folders_.push_back({entry.name.sliced(from, slash - from), parent});
            }
            parent = *found;
        }
        entry.folder = parent;
        entries_.push_back(std::move(entry));
    }
}

qsizetype Contents::entryOf(qsizetype page) const
{
    const auto found = std::lower_bound(entries_.begin(), entries_.end(), page,
                                        [](const Entry &e, qsizetype p) { return e.page < p; });
    return found != entries_.end() && found->page == page ? found - entries_.begin() : -1;
}

} // namespace book
