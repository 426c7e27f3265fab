#include "bookformat.h"

#include "platform/codepage.h"

#include <QList>
#include <QStringDecoder>

#include <algorithm>
#include <cstring>
#include <utility>

namespace book {
namespace {

QByteArrayView bytesOf(QLatin1StringView separator)
{
    return QByteArrayView(separator.data(), separator.size());
}

// The first occurrence of separator at or after from, looking with memchr for its character at
// offset `rare` and comparing only there.
qsizetype findByRareChar(QByteArrayView text, qsizetype from, QLatin1StringView separator, qsizetype rare)
{
    const QByteArrayView wanted = bytesOf(separator);
    const char *data = text.data();
    const qsizetype last = text.size() - (wanted.size() - rare); // the last place the rare character can stand
    for (qsizetype i = from + rare; i <= last; ++i) {
        const void *hit = std::memchr(data + i, wanted[rare], size_t(last - i + 1));
        if (!hit)
            return -1;
        i = static_cast<const char *>(hit) - data;
        if (text.sliced(i - rare, wanted.size()) == wanted)
            return i - rare;
    }
    return -1;
}

template <typename View, typename Find> View fieldOf(View record, int index, qsizetype separatorSize, Find find)
{
    qsizetype start = 0;
    for (int i = 0; i < index; ++i) {
        const qsizetype separator = find(record, start);
        if (separator < 0)
            return {};
        start = separator + separatorSize;
    }
    const qsizetype end = find(record, start);
    return end < 0 ? record.sliced(start) : record.sliced(start, end - start);
}

// The first "<<$$>>" at or after from: "<" abounds in HTML, "$" is rare.
qsizetype findSectionSeparator(QByteArrayView text, qsizetype from)
{
    return findByRareChar(text, from, kSectionSeparator, 2);
}

} // namespace

qsizetype findFieldSeparator(QByteArrayView text, qsizetype from)
{
    return findByRareChar(text, from, kFieldSeparator, 0);
}

TextForm textFormOf(QByteArrayView text)
{
    return text.startsWith(kUtf8Mark) ? TextForm::Utf8 : TextForm::CodePage;
}

QString decodeText(QByteArrayView bytes, TextForm form)
{
    if (form == TextForm::CodePage)
        return platform::decodeCodePage(bytes);
    // A mark at the start of a piece is a character of it, as it is in the whole record: a field
    // decoded alone reads as the same field of the record decoded.
    QStringDecoder utf8(QStringDecoder::Utf8,
                        QStringDecoder::Flag::Stateless | QStringDecoder::Flag::ConvertInitialBom);
    return utf8.decode(bytes);
}

BookSections cutSections(QByteArrayView text)
{
    BookSections sections;
    sections.titleBegin = textFormOf(text) == TextForm::Utf8 ? kUtf8Mark.size() : 0;
    sections.titleEnd = findSectionSeparator(text, sections.titleBegin);
    if (sections.titleEnd < 0)
        return sections;
    sections.sectionBegin = sections.titleEnd + kSectionSeparator.size();
    const qsizetype second = findSectionSeparator(text, sections.sectionBegin);
    sections.sectionEnd = second < 0 ? text.size() : second;
    return sections;
}

std::vector<TextSpan> cutRecords(QByteArrayView text, qsizetype begin, qsizetype end)
{
    std::vector<TextSpan> records;
    const char *data = text.data();
    const char separator = kRecordSeparator.front().toLatin1();
    qsizetype start = begin;
    while (const void *hit = std::memchr(data + start, separator, size_t(end - start))) {
        const qsizetype at = static_cast<const char *>(hit) - data;
        records.push_back({start, at - start});
        start = at + 1;
    }
    records.push_back({start, end - start});
    return records;
}

QStringView recordField(QStringView record, int index)
{
    return fieldOf(record, index, kFieldSeparator.size(),
                   [](QStringView text, qsizetype from) { return text.indexOf(kFieldSeparator, from); });
}

QByteArrayView recordField(QByteArrayView record, int index)
{
    return fieldOf(record, index, kFieldSeparator.size(), findFieldSeparator);
}

bool inCodePage(char32_t c)
{
    if (c < 0x80)
        return true;
    bool fits = true;
    platform::encodeCodePage(QString::fromUcs4(&c, 1), false, &fits);
    return fits;
}

const Separator *separatorAt(QStringView text)
{
    if (text.isEmpty())
        return nullptr;
    for (const Separator &separator : kSeparators)
        if (text.front() == separator.text.front() && text.startsWith(separator.text))
            return &separator;
    return nullptr;
}

std::vector<SeparatorAt> separatorsIn(QStringView text)
{
    std::vector<SeparatorAt> found;
    for (qsizetype at = 0; at < text.size();) {
        if (const Separator *separator = separatorAt(text.sliced(at))) {
            found.push_back({at, separator});
            at += separator->text.size();
        } else {
            ++at;
        }
    }
    return found;
}

bool holdsSeparator(QStringView text)
{
    for (const Separator &separator : kSeparators)
        if (text.contains(separator.text))
            return true;
    return false;
}

bool runsIntoFieldSeparator(QStringView pageName)
{
    return pageName.endsWith(kFieldSeparator.front());
}

BookWriter::BookWriter(QStringView title)
{
    addPlain(title);
    text_ += kSectionSeparator;
}

void BookWriter::addPlain(QStringView text)
{
    if (!needsUtf8_)
        needsUtf8_ = !std::ranges::all_of(QStringView(text).toUcs4(), inCodePage);
    text_ += text;
}

void BookWriter::addPage(QStringView name, QStringView html)
{
    if (!std::exchange(first_, false))
        text_ += kRecordSeparator;
    addPlain(name);
    text_ += kFieldSeparator;
    html_.push_back({text_.size(), html.size()});
    text_ += html;
}

void BookWriter::addRecord(QStringView record)
{
    if (!std::exchange(first_, false))
        text_ += kRecordSeparator;
    addPlain(record);
}

QByteArray BookWriter::take()
{
    const QString text = std::exchange(text_, QString());
    if (needsUtf8_)
        return kUtf8Mark.toByteArray() + text.toUtf8();
    QByteArray out;
    out.reserve(text.size());
    qsizetype at = 0;
    for (const TextSpan &html : html_) {
        out += platform::encodeCodePage(QStringView(text).sliced(at, html.offset - at), false);
        out += platform::encodeCodePage(QStringView(text).sliced(html.offset, html.length), true);
        at = html.offset + html.length;
    }
    out += platform::encodeCodePage(QStringView(text).sliced(at), false);
    html_.clear();
    return out;
}

} // namespace book
