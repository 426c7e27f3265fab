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

// A name of up to eight characters as one number, its first character in the lowest byte; names are
// looked up by these numbers rather than compared as strings, as there is a lookup for every tag.
constexpr std::uint64_t packName(std::string_view name)
{
    std::uint64_t key = 0;
    for (size_t i = 0; i < name.size() && i < 8; ++i)
        key |= std::uint64_t(static_cast<unsigned char>(name[i])) << (8 * i);
    return key;
}

// An open hash table of the entries by the keys of their names, built as the program is compiled: a
// lookup, done for every tag and reference of every page searched, is a multiplication and a compare
// or two.
template <typename Entry, size_t Slots> struct NameTable {
    static_assert((Slots & (Slots - 1)) == 0, "a power of two");
    std::array<std::uint64_t, Slots> keys{};
    std::array<const Entry *, Slots> entries{};

    static constexpr size_t slotOf(std::uint64_t key)
    {
        return size_t((key * 0x9E3779B97F4A7C15ULL) >> 40) & (Slots - 1);
    }

    template <size_t N, typename NameOf> constexpr NameTable(const Entry (&all)[N], NameOf nameOf)
    {
        static_assert(N * 2 <= Slots, "room enough for short probes");
        for (const Entry &entry : all) {
            const std::uint64_t key = packName(nameOf(entry));
            size_t slot = slotOf(key);
            while (entries[slot])
                slot = (slot + 1) & (Slots - 1);
            keys[slot] = key;
            entries[slot] = &entry;
        }
    }

    // The entry whose name has the key; key 0, the empty name, has none.
    constexpr const Entry *find(std::uint64_t key) const
    {
        for (size_t slot = slotOf(key); entries[slot]; slot = (slot + 1) & (Slots - 1)) {
            if (keys[slot] == key)
                return entries[slot];
        }
        return nullptr;
    }
};

constexpr NameTable<ElementName, 256> kElementTable(kElements, [](const ElementName &e) { return e.name; });

// Every element name has a key of its own.
constexpr bool distinctKeys()
{
    for (const ElementName &e : kElements)
        if (kElementTable.find(packName(e.name)) != &e)
            return false;
    return true;
}
static_assert(distinctKeys());

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

// An open hash table of the references by the whole of their names, built as the program is
// compiled: a lookup, done for every reference of every page searched, hashes a few characters and
// compares a name or two.
constexpr std::uint64_t hashName(std::string_view name)
{
    std::uint64_t h = 0xCBF29CE484222325ULL; // FNV-1a
    for (const char c : name)
        h = (h ^ static_cast<unsigned char>(c)) * 0x100000001B3ULL;
    return h;
}

struct ReferenceTable {
    static constexpr size_t kSlots = 4096;
    static_assert(std::size(kNamedReferences) * 3 / 2 <= kSlots, "room enough for short probes");
    std::array<std::uint16_t, kSlots> entries{}; // index + 1 in kNamedReferences, or 0

    static constexpr size_t slotOf(std::uint64_t hash) { return size_t(hash >> 40) & (kSlots - 1); }

    constexpr ReferenceTable()
    {
        for (size_t i = 0; i < std::size(kNamedReferences); ++i) {
            size_t slot = slotOf(hashName(kNamedReferences[i].name));
            while (entries[slot])
                slot = (slot + 1) & (kSlots - 1);
            entries[slot] = std::uint16_t(i + 1);
        }
    }

    const NamedReference *find(std::string_view name) const
    {
        for (size_t slot = slotOf(hashName(name)); entries[slot]; slot = (slot + 1) & (kSlots - 1)) {
            const NamedReference &r = kNamedReferences[entries[slot] - 1];
            if (r.name == name)
                return &r;
        }
        return nullptr;
    }
};
constexpr ReferenceTable kReferenceTable;

} // namespace

const NamedReference *namedReference(std::string_view name)
{
    if (name.empty() || name.size() > size_t(kLongestReferenceName))
        return nullptr;
    return kReferenceTable.find(name);
}

std::span<const NamedReference> namedReferences()
{
    return kNamedReferences;
}

Element elementOf(std::string_view lowerName)
{
    // Names of eight characters or fewer, of the same length, are the same when their keys are; the
    // longer ones are compared whole.
    const ElementName *e = kElementTable.find(packName(lowerName));
    if (!e || e->name.size() != lowerName.size())
        return Element::Other;
    return lowerName.size() <= 8 || e->name == lowerName ? e->element : Element::Other;
}

namespace {

QString decodeReferences(QStringView value, bool inAttribute)
{
    if (!value.contains(u'&'))
        return value.toString();
    QString out;
    out.reserve(value.size());
    const char16_t *p = value.utf16();
    const char16_t *end = p + value.size();
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
