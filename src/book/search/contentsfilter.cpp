#include "contentsfilter.h"

#include <algorithm>

namespace book {

ContentsFilter::ContentsFilter(const Contents &contents)
{
    folded_.reserve(contents.entries().size());
    for (const Contents::Entry &entry : contents.entries())
        folded_.push_back(QString(entry.title + u'\n' + entry.name).toCaseFolded());
}

std::vector<qsizetype> ContentsFilter::filter(QStringView query) const
{
    const QString folded = query.toString().toCaseFolded();
    std::vector<QStringView> words;
    for (qsizetype i = 0, n = folded.size(); i < n;) {
        while (i < n && folded[i].isSpace())
            ++i;
        const qsizetype begin = i;
        while (i < n && !folded[i].isSpace())
            ++i;
        if (i > begin)
            words.push_back(QStringView(folded).sliced(begin, i - begin));
    }
    // The longest word first: it rules out the most entries at the least cost.
    std::sort(words.begin(), words.end(), [](QStringView a, QStringView b) { return a.size() > b.size(); });
    std::vector<qsizetype> kept;
    for (size_t i = 0; i < folded_.size(); ++i) {
        const QString &text = folded_[i];
        if (std::all_of(words.begin(), words.end(), [&](QStringView word) { return text.contains(word); }))
            kept.push_back(qsizetype(i));
    }
    return kept;
}

} // namespace book
