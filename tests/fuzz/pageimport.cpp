// Importing a web page: any bytes, decoded as a page file is, rewritten against a site that answers
// every reference with text the book format can't hold, and read for its links alone as the walk
// through a site reads it. The page must then stand in a book as one whole page, the reader's picture
// rewriting must read exactly the picture values that the import wrote, and the page's links must be
// those the site gave, in order. The shared HTML scanner's pieces must cover the text without gaps.
// The book check reads the imported page and the input taken as a book, naming only lines that the
// pages have, and never an empty link or a script's. A page drafted without its site and finished
// with it is the page rewritten whole; drafted from the file a part at a time, it is the page drafted
// whole.
#include "fuzzcheck.h"

#include "author/pagerewrite.h"
#include "book/bookcheck.h"
#include "book/bookfile.h"
#include "book/bookformat.h"
#include "book/htmlreading.h"
#include "book/htmlscan.h"
#include "book/linkrule.h"
#include "book/pagelinks.h"
#include "book/parsingimage.h"
#include "book/record.h"
#include "platform/codepage.h"

#include <QSet>
#include <QStringList>

namespace {

// Answers each reference with a value that holds every separator and quote, except pictures, which
// get a name under images/ as the import gives them.
class HostileSite final : public PageSite {
public:
    std::optional<QString> rewrite(UrlRole role, const QString &url, qsizetype offset) override
    {
        FUZZ_CHECK(offset >= 0);
        if (url.size() % 5 == 1) {
            if (role == UrlRole::Picture)
                pictures.insert(url); // left as written
            if (role == UrlRole::Link)
                leftLinks.insert(url);
            return std::nullopt;
        }
        ++count;
        if (role == UrlRole::Picture) {
            const QString picture = QStringLiteral("images/p%1.png").arg(count);
            pictures.insert(picture);
            return picture;
        }
        const QString value = QStringLiteral("~a##b<<$$>>\"'&<img background= %1").arg(count);
        if (role == UrlRole::Link)
            links.append(value);
        return value;
    }

    QString keepAside(QStringView suffix, const QString &text) override
    {
        aside.append(text);
        return QStringLiteral("tavlo-inline/p-%1.%2").arg(aside.size()).arg(suffix);
    }

    void reading(QStringView text, qsizetype origin, qsizetype linesBefore) override
    {
        readings.append(QStringLiteral("%1+%2 after %3 lines").arg(origin).arg(text.size()).arg(linesBefore));
    }

    int count = 0;
    QStringList readings;
    QSet<QString> pictures;
    QSet<QString> leftLinks;
    QStringList links;
    QStringList aside;
};

// What a draft may give itself of HostileSite's answers: the links it leaves as written, which change
// nothing it counts.
class LeftLinkAnswers final : public DraftAnswers {
public:
    std::optional<std::optional<QString>> answer(UrlRole role, const QString &url) const override
    {
        if (role == UrlRole::Link)
            links.push_back(url);
        if (role == UrlRole::Link && url.size() % 5 == 1)
            return std::optional<QString>();
        return std::nullopt;
    }
    mutable std::vector<QString> links; // asked for, in turn
};

// Notes the links it is asked for, in order, and leaves every reference as written.
class LinkRecorder final : public PageSite {
public:
    std::optional<QString> rewrite(UrlRole role, const QString &url, qsizetype offset) override
    {
        if (role == UrlRole::Link)
            links.append(QString::number(offset) + u' ' + url);
        return std::nullopt;
    }
    QString keepAside(QStringView, const QString &) override { return QStringLiteral("aside.js"); }
    QStringList links;
};

bool sameChanges(const TextChanges &a, const TextChanges &b)
{
    return a.tildes == b.tildes && a.doubleHashes == b.doubleHashes && a.sectionMarks == b.sectionMarks &&
           a.outsideCodePage == b.outsideCodePage && a.scriptsMoved == b.scriptsMoved && a.stylesMoved == b.stylesMoved;
}

// The page for a report, its NULs shown.
QString shown(const QString &html)
{
    return QString(html).replace(QChar(0), QStringLiteral("\\0"));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArrayView bytes(data, qsizetype(size));
    QString problem;
    const PageText page = decodePage(bytes, &problem);
    FUZZ_CHECK(!page.charset.isEmpty());

    // The scanner's pieces follow each other without gaps or overlaps.
    {
        book::HtmlScanner scanner(page.text);
        book::HtmlToken token;
        qsizetype at = 0;
        while (scanner.next(token)) {
            FUZZ_CHECK_MSG(token.begin == at && token.end > token.begin && token.end <= page.text.size(),
                           QStringLiteral("piece %1..%2 after %3").arg(token.begin).arg(token.end).arg(at));
            at = token.end;
        }
        FUZZ_CHECK(at == page.text.size());
        // Text runs to the next "<" that begins markup, told from text without reading a tag's name.
        const auto *units = reinterpret_cast<const char16_t *>(page.text.utf16());
        const char16_t *end = units + page.text.size();
        for (qsizetype i = page.text.indexOf(u'<'); i >= 0; i = page.text.indexOf(u'<', i + 1))
            FUZZ_CHECK(book::html::beginsMarkup(units + i, end) ==
                       (book::html::markupAt(units + i, end).kind != book::html::Markup::Text));
    }

    // The walk through a site reads a page's links without rewriting it: the same links, at the
    // same places, as the rewriting asks for.
    const PageFileLinks fromFile = pageFileLinks(bytes);
    {
        LinkRecorder rewritten;
        LinkRecorder read;
        TextChanges ignored;
        rewritePage(page.text, rewritten, ignored);
        readLinks(page.text, read);
        FUZZ_CHECK_MSG(rewritten.links == read.links, QStringLiteral("rewriting asks for %1, reading for %2")
                                                          .arg(rewritten.links.join(u'|'), read.links.join(u'|')));
        // Read from the file's bytes, most of them never decoded: the same links, next page and problem.
        const PageLinks fromText = pageLinks(page.text);
        QStringList textUrls;
        for (const auto &link : fromText.links)
            textUrls.append(link.first);
        const QStringList fileUrls(fromFile.links.begin(), fromFile.links.end());
        FUZZ_CHECK_MSG(
            fileUrls == textUrls && fromFile.next == fromText.next && fromFile.problem == problem,
            QStringLiteral("from the text %1 (next %2), from the file %3 (next %4, %5)")
                .arg(textUrls.join(u'|'), fromText.next, fileUrls.join(u'|'), fromFile.next, fromFile.problem));
    }

    HostileSite site;
    TextChanges changes;
    const QString html = rewritePage(page.text, site, changes);

    // Drafted on another core, with what it can answer itself, then finished with the site: the same
    // page as the book encodes it in either form, the same questions to the site in the same order,
    // the same changes counted (characters outside the code page only where the book writes them
    // as references).
    for (const book::TextForm form : {book::TextForm::CodePage, book::TextForm::Utf8}) {
        HostileSite again;
        TextChanges counted;
        const LeftLinkAnswers answers;
        const QByteArray finished = finishPage(draftPage(page.text, form, &answers), again, counted);
        const QByteArray whole = book::BookEncoder(form).pageText(html);
        FUZZ_CHECK_MSG(finished == whole,
                       QStringLiteral("drafted: %1\nwhole: %2")
                           .arg(shown(QString::fromLatin1(finished)), shown(QString::fromLatin1(whole))));
        FUZZ_CHECK(again.links == site.links && again.aside == site.aside && again.pictures == site.pictures);
        TextChanges expected = changes;
        expected.outsideCodePage = form == book::TextForm::CodePage ? changes.outsideCodePage : 0;
        FUZZ_CHECK(sameChanges(counted, expected));
        // Drafted from the file a few characters at a time, which the first byte tells.
        HostileSite inParts;
        TextChanges countedInParts;
        const qsizetype partSize = 33 + (size > 0 ? data[0] % 64 : 0);
        // The links asked for as the walk reads them, from the start again where the UTF-8 fails.
        const LeftLinkAnswers walkAnswers;
        DraftReading reading;
        FUZZ_CHECK(finishPage(draftPageFile(bytes, form, &walkAnswers, partSize, &reading), inParts, countedInParts) ==
                   finished);
        const std::vector<QString> &asked = walkAnswers.links;
        FUZZ_CHECK(asked.size() >= fromFile.links.size() &&
                   std::equal(fromFile.links.begin(), fromFile.links.end(), asked.end() - fromFile.links.size()));
        FUZZ_CHECK(reading.next == fromFile.next && reading.problem == fromFile.problem);
        FUZZ_CHECK_MSG(
            inParts.readings == again.readings && inParts.links == again.links && inParts.aside == again.aside,
            QStringLiteral("in parts: %1\nwhole: %2").arg(inParts.readings.join(u'|'), again.readings.join(u'|')));
        FUZZ_CHECK(sameChanges(countedInParts, counted));
    }
    FUZZ_CHECK_MSG(!book::holdsSeparator(html), shown(html));
    for (const QString &aside : site.aside)
        FUZZ_CHECK(!aside.isEmpty());

    // One whole page of a book: its name, and the HTML that the book's encoding gives, unchanged.
    const QByteArray encoded = platform::encodeCodePage(html, true);
    const book::Book book = book::parseBook("Title<<$$>>page##" + encoded, QStringLiteral("fuzz"));
    FUZZ_CHECK(book.pages.size() == 1 && book.ignoredLength == 0);
    const QString record = book.pages.record(0);
    FUZZ_CHECK(record.split(QStringLiteral("##")).size() == 2);
    FUZZ_CHECK(book::pageHtmlOf(record) == platform::decodeCodePage(encoded));

    // What the reader takes for pictures: only the picture values of the page, as the import wrote
    // them or as they were (or empty ones).
    for (const book::PictureReference &picture : book::pictureReferences(html)) {
        const QString value = book::html::decodeAttributeValue(picture.value).trimmed();
        FUZZ_CHECK_MSG(value.isEmpty() || site.pictures.contains(value),
                       QStringLiteral("the reader reads \"%1\" as a picture in: %2").arg(picture.value, shown(html)));
    }

    // The links that the page view reports are the values the site gave, whole and in order; but for
    // a link of the page's own that begins as they do ("~a##b"), which the site left as written.
    qsizetype next = 0;
    for (const book::PageLink &link : book::pageLinks(html)) {
        if (!link.href.startsWith(u"~a##b") || site.leftLinks.contains(link.href.trimmed()))
            continue;
        while (next < site.links.size() && site.links[next] != link.href)
            ++next;
        FUZZ_CHECK_MSG(next < site.links.size(), link.href);
        ++next;
    }

    // The check on the imported page and on the input as it stands, in a folder without files.
    const QString folder = QStringLiteral("/nonexistent-tavlo-fuzz/app");
    for (const book::Defect &defect : book::checkBook(book, folder))
        FUZZ_CHECK_MSG(defect.line >= 0 && defect.line <= html.count(u'\n') + 1, defect.message);
    const QByteArray raw = "T<<$$>>page##" + bytes.toByteArray();
    const book::Book asBook = book::parseBook(raw, QStringLiteral("fuzz"));
    for (const book::Defect &defect : book::checkBook(asBook, folder)) {
        FUZZ_CHECK_MSG(defect.line >= 0 && defect.line <= raw.count('\n') + 1, defect.message);
        // An empty link shows the page itself, and the page's own scripts take theirs: neither is a
        // defect. A warning for another scheme names a scheme the reader doesn't follow itself.
        if (defect.kind == book::DefectKind::DeadLink || defect.kind == book::DefectKind::OtherScheme) {
            FUZZ_CHECK_MSG(!defect.subject.trimmed().isEmpty(), defect.message);
            FUZZ_CHECK_MSG(book::linkScheme(defect.subject) != u"javascript", defect.message);
        }
        if (defect.kind == book::DefectKind::OtherScheme) {
            const QString scheme = book::linkScheme(defect.subject);
            FUZZ_CHECK_MSG(!scheme.isEmpty() && scheme != u"http" && scheme != u"https" && scheme != u"file",
                           defect.message);
        }
    }
    return 0;
}
