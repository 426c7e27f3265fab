#include "htmlreading.h"

#include <QChar>

#include <algorithm>
#include <array>
#include <iterator>

namespace book::html {
namespace {

constexpr NamedReference kNamedReferences[] = {
#include "htmlreferences.inc"
};

struct ElementName {
    std::string_view name;
    Element element;
};

constexpr ElementName kElements[] = {
    {"a", Element::A},
    {"address", Element::Break},
    {"area", Element::Area},
    {"article", Element::Break},
    {"aside", Element::Break},
    {"audio", Element::Break},
    {"blockquote", Element::Break},
    {"body", Element::Break},
    {"br", Element::Break},
    {"button", Element::Break},
    {"canvas", Element::Break},
    {"caption", Element::Break},
    {"center", Element::Break},
    {"dd", Element::Break},
    {"details", Element::Break},
    {"dialog", Element::Break},
    {"dir", Element::Break},
    {"div", Element::Break},
    {"dl", Element::Break},
    {"dt", Element::Break},
    {"embed", Element::Break},
    {"fieldset", Element::Break},
    {"figcaption", Element::Break},
    {"figure", Element::Break},
    {"footer", Element::Break},
    {"form", Element::Break},
    {"frame", Element::Break},
    {"frameset", Element::Break},
    {"h1", Element::Break},
    {"h2", Element::Break},
    {"h3", Element::Break},
    {"h4", Element::Break},
    {"h5", Element::Break},
    {"h6", Element::Break},
    {"head", Element::Break},
    {"header", Element::Break},
    {"hgroup", Element::Break},
    {"hr", Element::Break},
    {"html", Element::Break},
    {"iframe", Element::Iframe},
    {"img", Element::Break},
    {"input", Element::Break},
    {"legend", Element::Break},
    {"li", Element::Break},
    {"listing", Element::Break},
    {"main", Element::Break},
    {"menu", Element::Break},
    {"nav", Element::Break},
    {"noembed", Element::Noembed},
    {"noframes", Element::Noframes},
    {"noscript", Element::Noscript},
    {"object", Element::Break},
    {"ol", Element::Break},
    {"optgroup", Element::Break},
    {"option", Element::Break},
    {"p", Element::Break},
    {"plaintext", Element::Plaintext},
    {"pre", Element::Break},
    {"script", Element::Script},
    {"section", Element::Break},
    {"select", Element::Break},
    {"style", Element::Style},
    {"summary", Element::Break},
    {"table", Element::Break},
    {"tbody", Element::Break},
    {"td", Element::Break},
    {"textarea", Element::Textarea},
    {"tfoot", Element::Break},
    {"th", Element::Break},
    {"thead", Element::Break},
    {"title", Element::Title},
    {"tr", Element::Break},
    {"ul", Element::Break},
    {"video", Element::Break},
    {"xmp", Element::Xmp},
};

// A hash of the whole of a name (FNV-1a).
constexpr std::uint64_t hashName(std::string_view name)
{
    std::uint64_t h = 0xCBF29CE484222325ULL;
    for (const char c : name)
        h = (h ^ static_cast<unsigned char>(c)) * 0x100000001B3ULL;
    return h;
}

// An open hash table of entries by their names, built as the program is compiled: a lookup, done for
// every tag and reference of every page searched, hashes the name and compares a name or two.
template <typename Entry, size_t Slots> struct NameTable {
    static_assert((Slots & (Slots - 1)) == 0, "a power of two");
    std::array<const Entry *, Slots> entries{};

    static constexpr size_t slotOf(std::string_view name) { return size_t(hashName(name) >> 40) & (Slots - 1); }

    template <size_t N> constexpr explicit NameTable(const Entry (&all)[N])
    {
        static_assert(N * 3 / 2 <= Slots, "room enough for short probes");
        for (const Entry &entry : all) {
            size_t slot = slotOf(entry.name);
            while (entries[slot])
                slot = (slot + 1) & (Slots - 1);
            entries[slot] = &entry;
        }
    }

    constexpr const Entry *find(std::string_view name) const
    {
        for (size_t slot = slotOf(name); entries[slot]; slot = (slot + 1) & (Slots - 1)) {
            if (entries[slot]->name == name)
                return entries[slot];
        }
        return nullptr;
    }
};

constexpr NameTable<ElementName, 256> kElementTable(kElements);
constexpr NameTable<NamedReference, 4096> kReferenceTable(kNamedReferences);

// The references are sorted by name, none is longer than the longest that is read, and no legacy one
// longer than the longest legacy one.
constexpr bool referencesInOrder()
{
    for (size_t i = 0; i < std::size(kNamedReferences); ++i) {
        const NamedReference &r = kNamedReferences[i];
        if ((i > 0 && !(kNamedReferences[i - 1].name < r.name)) || r.name.size() > size_t(kLongestReferenceName) ||
            (r.legacy && r.name.size() > size_t(kLongestLegacyName)))
            return false;
    }
    return true;
}
static_assert(referencesInOrder());

} // namespace

const NamedReference *namedReference(std::string_view name)
{
    if (name.size() > size_t(kLongestReferenceName))
        return nullptr;
    return kReferenceTable.find(name);
}

std::span<const NamedReference> namedReferences()
{
    return kNamedReferences;
}

namespace {

// The names of up to eight letters, packed as elementOfPacked() takes them, with their length: a
// lookup, done for every tag of every page read, is a multiplication and a comparison or two.
struct PackedName {
    std::uint64_t letters = 0;
    int length = 0; // 0 for an empty place
    Element element = Element::Other;
};

struct PackedNames {
    static constexpr size_t kPlaces = 256;
    std::array<PackedName, kPlaces> places{};

    static constexpr size_t placeOf(std::uint64_t letters, int length)
    {
        return size_t(((letters + std::uint64_t(length)) * 0x9E3779B97F4A7C15ULL) >> 56);
    }

    static constexpr std::uint64_t pack(std::string_view name)
    {
        std::uint64_t letters = 0;
        for (size_t i = 0; i < name.size(); ++i)
            letters |= std::uint64_t(static_cast<unsigned char>(name[i])) << (8 * i);
        return letters;
    }

    constexpr PackedNames()
    {
        for (const ElementName &entry : kElements) {
            if (entry.name.size() > 8)
                continue;
            const int length = int(entry.name.size());
            size_t place = placeOf(pack(entry.name), length);
            while (places[place].length != 0)
                place = (place + 1) % kPlaces;
            places[place] = {pack(entry.name), length, entry.element};
        }
    }

    constexpr Element find(std::uint64_t letters, int length) const
    {
        for (size_t place = placeOf(letters, length); places[place].length != 0; place = (place + 1) % kPlaces) {
            if (places[place].letters == letters && places[place].length == length)
                return places[place].element;
        }
        return Element::Other;
    }
};

constexpr PackedNames kPackedNames;

// Every name of up to eight letters is found as the table of all finds it, and another is not.
constexpr bool packedAsAll()
{
    for (const ElementName &entry : kElements) {
        if (entry.name.size() <= 8 &&
            kPackedNames.find(PackedNames::pack(entry.name), int(entry.name.size())) != entry.element)
            return false;
    }
    return kPackedNames.find(PackedNames::pack("span"), 4) == Element::Other &&
           kPackedNames.find(PackedNames::pack("a"), 2) == Element::Other;
}
static_assert(packedAsAll());

} // namespace

Element elementOf(std::string_view lowerName)
{
    const ElementName *e = kElementTable.find(lowerName);
    return e ? e->element : Element::Other;
}

Element elementOfPacked(std::uint64_t letters, int length)
{
    return kPackedNames.find(letters, length);
}

namespace {

QString decodeReferences(QStringView value, bool inAttribute)
{
    const char16_t *p = value.utf16();
    const char16_t *end = p + value.size();
    if (find(p, end, u'&') == end) // as nearly every value: a site's every link comes through here
        return value.toString();
    QString out;
    out.reserve(value.size());
    while (p < end) {
        const char16_t *amp = find(p, end, u'&');
        out.append(QStringView(p, amp));
        if (amp == end)
            break;
        const Reference ref = readReference(amp, end, inAttribute);
        if (ref.length) {
            if (QChar::requiresSurrogates(ref.c)) {
                out.append(QChar(QChar::highSurrogate(ref.c)));
                out.append(QChar(QChar::lowSurrogate(ref.c)));
            } else {
                out.append(QChar(char16_t(ref.c)));
            }
            if (ref.c2)
                out.append(QChar(ref.c2));
            p = amp + ref.length;
        } else {
            out.append(u'&');
            p = amp + 1;
        }
    }
    return out;
}

} // namespace

QString decodeAttributeValue(QStringView value)
{
    return decodeReferences(value, true);
}

QString decodeText(QStringView text)
{
    return decodeReferences(text, false);
}

} // namespace book::html
