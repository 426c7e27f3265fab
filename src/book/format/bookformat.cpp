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
    // Not QString::fromUcs4(), which takes a U+FEFF at the start for a byte-order mark and drops it.
    qsizetype unheld = 0;
    platform::encodeCodePage(QChar::fromUcs4(c), false, &unheld);
    return unheld == 0;
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

bool BookEncoder::fitsCodePage(QStringView plainText)
{
    return std::ranges::all_of(plainText.toUcs4(), inCodePage);
}

QByteArray BookEncoder::plain(QStringView text) const
{
    return form_ == TextForm::Utf8 ? text.toUtf8() : platform::encodeCodePage(text, false);
}

QByteArray BookEncoder::separatorBefore()
{
    return std::exchange(first_, false) ? QByteArray() : QByteArray(kRecordSeparator.data(), kRecordSeparator.size());
}

QByteArray BookEncoder::title(QStringView title) const
{
    QByteArray out = form_ == TextForm::Utf8 ? kUtf8Mark.toByteArray() : QByteArray();
    out += plain(title);
    out += QByteArrayView(kSectionSeparator.data(), kSectionSeparator.size());
    return out;
}

QByteArray BookEncoder::page(QStringView name, QStringView html)
{
    return pageHead(name) + pageText(html);
}

QByteArray BookEncoder::pageHead(QStringView name)
{
    QByteArray out = separatorBefore();
    out += plain(name);
    out += QByteArrayView(kFieldSeparator.data(), kFieldSeparator.size());
    return out;
}

QByteArray BookEncoder::pageText(QStringView html, qsizetype *unheld) const
{
    if (form_ == TextForm::CodePage)
        return platform::encodeCodePage(html, true, unheld);
    if (unheld)
        *unheld = 0;
    return html.toUtf8();
}

void PageTextStream::append(QStringView text)
{
    if (text.isEmpty())
        return;
    if (heldHigh_) {
        const char16_t pair[2] = {std::exchange(heldHigh_, char16_t(0)), text.front().unicode()};
        const bool paired = QChar::isLowSurrogate(pair[1]);
        encode(QStringView(pair, paired ? 2 : 1));
        text = text.sliced(paired ? 1 : 0);
    }
    if (!text.isEmpty() && text.back().isHighSurrogate()) {
        heldHigh_ = text.back().unicode();
        text.chop(1);
    }
    encode(text);
}

void PageTextStream::append(QLatin1StringView text)
{
    if (std::all_of(text.begin(), text.end(), [](char c) { return uchar(c) < 0x80; }) && !heldHigh_) {
        bytes_.append(text.data(), text.size()); // ASCII, as the references written beside a page's text are
        return;
    }
    append(QStringView(QString(text)));
}

qsizetype PageTextStream::cut()
{
    if (heldHigh_) {
        const char16_t high = std::exchange(heldHigh_, char16_t(0));
        encode(QStringView(&high, 1));
    }
    return bytes_.size();
}

QByteArray PageTextStream::take(qsizetype *unheld)
{
    cut();
    if (unheld)
        *unheld = std::exchange(unheld_, 0);
    return std::move(bytes_);
}

void PageTextStream::encode(QStringView text)
{
    if (form_ == TextForm::CodePage) {
        unheld_ += platform::appendCodePage(bytes_, text, true);
        return;
    }
    // As QString::toUtf8() writes it: a lone surrogate as "?". Room for a byte a unit, as nearly all
    // of a page is ASCII, made more of as other characters come.
    qsizetype written = bytes_.size();
    bytes_.resize(written + text.size());
    char *out = bytes_.data();
    const char16_t *units = text.utf16();
    for (qsizetype i = 0; i < text.size();) {
        for (const qsizetype end = platform::asciiRunEnd(text, i); i < end; ++i)
            out[written++] = char(units[i]);
        if (i >= text.size())
            break;
        if (constexpr qsizetype kMostBytes = 4; bytes_.size() - written < kMostBytes + (text.size() - i)) {
            bytes_.resize(written + kMostBytes + (text.size() - i));
            out = bytes_.data();
        }
        char32_t c = units[i++];
        if (QChar::isSurrogate(c)) {
            if (!QChar::isHighSurrogate(c) || i >= text.size() || !QChar::isLowSurrogate(units[i])) {
                out[written++] = '?';
                continue;
            }
            c = QChar::surrogateToUcs4(char16_t(c), units[i++]);
        }
        if (c < 0x800) {
            out[written++] = char(0xC0 | (c >> 6));
        } else if (c < 0x10000) {
            out[written++] = char(0xE0 | (c >> 12));
            out[written++] = char(0x80 | ((c >> 6) & 0x3F));
        } else {
            out[written++] = char(0xF0 | (c >> 18));
            out[written++] = char(0x80 | ((c >> 12) & 0x3F));
            out[written++] = char(0x80 | ((c >> 6) & 0x3F));
        }
        out[written++] = char(0x80 | (c & 0x3F));
    }
    bytes_.truncate(written);
}

QByteArray BookEncoder::record(QStringView record)
{
    return separatorBefore() + plain(record);
}

void BookWriter::addPage(QStringView name, QStringView html)
{
    needsUtf8_ = needsUtf8_ || !BookEncoder::fitsCodePage(name);
    records_.push_back({name.toString(), html.toString(), true});
}

void BookWriter::addRecord(QStringView record)
{
    needsUtf8_ = needsUtf8_ || !BookEncoder::fitsCodePage(record);
    records_.push_back({record.toString(), {}, false});
}

QByteArray BookWriter::take()
{
    BookEncoder encoder(form());
    QByteArray out = encoder.title(title_);
    for (const Record &record : std::exchange(records_, {}))
        out += record.page ? encoder.page(record.name, record.html) : encoder.record(record.name);
    return out;
}

} // namespace book
