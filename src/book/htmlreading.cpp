#include "htmlreading.h"

#include <algorithm>
#include <array>
#include <iterator>

namespace book::html {
namespace {

constexpr NamedReference kNamedReferences[] = {
    {"AElig", 0x00C6, true},     {"AMP", 0x0026, true},      {"Aacute", 0x00C1, true},   {"Acirc", 0x00C2, true},
    {"Agrave", 0x00C0, true},    {"Alpha", 0x0391, false},   {"Aring", 0x00C5, true},    {"Atilde", 0x00C3, true},
    {"Auml", 0x00C4, true},      {"Beta", 0x0392, false},    {"COPY", 0x00A9, true},     {"Ccedil", 0x00C7, true},
    {"Chi", 0x03A7, false},      {"Dagger", 0x2021, false},  {"Delta", 0x0394, false},   {"ETH", 0x00D0, true},
    {"Eacute", 0x00C9, true},    {"Ecirc", 0x00CA, true},    {"Egrave", 0x00C8, true},   {"Epsilon", 0x0395, false},
    {"Eta", 0x0397, false},      {"Euml", 0x00CB, true},     {"GT", 0x003E, true},       {"Gamma", 0x0393, false},
    {"Iacute", 0x00CD, true},    {"Icirc", 0x00CE, true},    {"Igrave", 0x00CC, true},   {"Iota", 0x0399, false},
    {"Iuml", 0x00CF, true},      {"Kappa", 0x039A, false},   {"LT", 0x003C, true},       {"Lambda", 0x039B, false},
    {"Mu", 0x039C, false},       {"Ntilde", 0x00D1, true},   {"Nu", 0x039D, false},      {"OElig", 0x0152, false},
    {"Oacute", 0x00D3, true},    {"Ocirc", 0x00D4, true},    {"Ograve", 0x00D2, true},   {"Omega", 0x03A9, false},
    {"Omicron", 0x039F, false},  {"Oslash", 0x00D8, true},   {"Otilde", 0x00D5, true},   {"Ouml", 0x00D6, true},
    {"Phi", 0x03A6, false},      {"Pi", 0x03A0, false},      {"Prime", 0x2033, false},   {"Psi", 0x03A8, false},
    {"QUOT", 0x0022, true},      {"REG", 0x00AE, true},      {"Rho", 0x03A1, false},     {"Scaron", 0x0160, false},
    {"Sigma", 0x03A3, false},    {"THORN", 0x00DE, true},    {"Tau", 0x03A4, false},     {"Theta", 0x0398, false},
    {"Uacute", 0x00DA, true},    {"Ucirc", 0x00DB, true},    {"Ugrave", 0x00D9, true},   {"Upsilon", 0x03A5, false},
    {"Uuml", 0x00DC, true},      {"Xi", 0x039E, false},      {"Yacute", 0x00DD, true},   {"Yuml", 0x0178, false},
    {"Zeta", 0x0396, false},     {"aacute", 0x00E1, true},   {"acirc", 0x00E2, true},    {"acute", 0x00B4, true},
    {"aelig", 0x00E6, true},     {"agrave", 0x00E0, true},   {"alefsym", 0x2135, false}, {"alpha", 0x03B1, false},
    {"amp", 0x0026, true},       {"and", 0x2227, false},     {"ang", 0x2220, false},     {"apos", 0x0027, false},
    {"aring", 0x00E5, true},     {"asymp", 0x2248, false},   {"atilde", 0x00E3, true},   {"auml", 0x00E4, true},
    {"bdquo", 0x201E, false},    {"beta", 0x03B2, false},    {"brvbar", 0x00A6, true},   {"bull", 0x2022, false},
    {"cap", 0x2229, false},      {"ccedil", 0x00E7, true},   {"cedil", 0x00B8, true},    {"cent", 0x00A2, true},
    {"chi", 0x03C7, false},      {"circ", 0x02C6, false},    {"clubs", 0x2663, false},   {"cong", 0x2245, false},
    {"copy", 0x00A9, true},      {"crarr", 0x21B5, false},   {"cup", 0x222A, false},     {"curren", 0x00A4, true},
    {"dArr", 0x21D3, false},     {"dagger", 0x2020, false},  {"darr", 0x2193, false},    {"deg", 0x00B0, true},
    {"delta", 0x03B4, false},    {"diams", 0x2666, false},   {"divide", 0x00F7, true},   {"eacute", 0x00E9, true},
    {"ecirc", 0x00EA, true},     {"egrave", 0x00E8, true},   {"empty", 0x2205, false},   {"emsp", 0x2003, false},
    {"ensp", 0x2002, false},     {"epsilon", 0x03B5, false}, {"equiv", 0x2261, false},   {"eta", 0x03B7, false},
    {"eth", 0x00F0, true},       {"euml", 0x00EB, true},     {"euro", 0x20AC, false},    {"exist", 0x2203, false},
    {"fnof", 0x0192, false},     {"forall", 0x2200, false},  {"frac12", 0x00BD, true},   {"frac14", 0x00BC, true},
    {"frac34", 0x00BE, true},    {"frasl", 0x2044, false},   {"gamma", 0x03B3, false},   {"ge", 0x2265, false},
    {"gt", 0x003E, true},        {"hArr", 0x21D4, false},    {"harr", 0x2194, false},    {"hearts", 0x2665, false},
    {"hellip", 0x2026, false},   {"iacute", 0x00ED, true},   {"icirc", 0x00EE, true},    {"iexcl", 0x00A1, true},
    {"igrave", 0x00EC, true},    {"image", 0x2111, false},   {"infin", 0x221E, false},   {"int", 0x222B, false},
    {"iota", 0x03B9, false},     {"iquest", 0x00BF, true},   {"isin", 0x2208, false},    {"iuml", 0x00EF, true},
    {"kappa", 0x03BA, false},    {"lArr", 0x21D0, false},    {"lambda", 0x03BB, false},  {"lang", 0x27E8, false},
    {"laquo", 0x00AB, true},     {"larr", 0x2190, false},    {"lceil", 0x2308, false},   {"ldquo", 0x201C, false},
    {"le", 0x2264, false},       {"lfloor", 0x230A, false},  {"lowast", 0x2217, false},  {"loz", 0x25CA, false},
    {"lrm", 0x200E, false},      {"lsaquo", 0x2039, false},  {"lsquo", 0x2018, false},   {"lt", 0x003C, true},
    {"macr", 0x00AF, true},      {"mdash", 0x2014, false},   {"micro", 0x00B5, true},    {"middot", 0x00B7, true},
    {"minus", 0x2212, false},    {"mu", 0x03BC, false},      {"nabla", 0x2207, false},   {"nbsp", 0x00A0, true},
    {"ndash", 0x2013, false},    {"ne", 0x2260, false},      {"ni", 0x220B, false},      {"not", 0x00AC, true},
    {"notin", 0x2209, false},    {"nsub", 0x2284, false},    {"ntilde", 0x00F1, true},   {"nu", 0x03BD, false},
    {"oacute", 0x00F3, true},    {"ocirc", 0x00F4, true},    {"oelig", 0x0153, false},   {"ograve", 0x00F2, true},
    {"oline", 0x203E, false},    {"omega", 0x03C9, false},   {"omicron", 0x03BF, false}, {"oplus", 0x2295, false},
    {"or", 0x2228, false},       {"ordf", 0x00AA, true},     {"ordm", 0x00BA, true},     {"oslash", 0x00F8, true},
    {"otilde", 0x00F5, true},    {"otimes", 0x2297, false},  {"ouml", 0x00F6, true},     {"para", 0x00B6, true},
    {"part", 0x2202, false},     {"permil", 0x2030, false},  {"perp", 0x22A5, false},    {"phi", 0x03C6, false},
    {"pi", 0x03C0, false},       {"piv", 0x03D6, false},     {"plusmn", 0x00B1, true},   {"pound", 0x00A3, true},
    {"prime", 0x2032, false},    {"prod", 0x220F, false},    {"prop", 0x221D, false},    {"psi", 0x03C8, false},
    {"quot", 0x0022, true},      {"rArr", 0x21D2, false},    {"radic", 0x221A, false},   {"rang", 0x27E9, false},
    {"raquo", 0x00BB, true},     {"rarr", 0x2192, false},    {"rceil", 0x2309, false},   {"rdquo", 0x201D, false},
    {"real", 0x211C, false},     {"reg", 0x00AE, true},      {"rfloor", 0x230B, false},  {"rho", 0x03C1, false},
    {"rlm", 0x200F, false},      {"rsaquo", 0x203A, false},  {"rsquo", 0x2019, false},   {"sbquo", 0x201A, false},
    {"scaron", 0x0161, false},   {"sdot", 0x22C5, false},    {"sect", 0x00A7, true},     {"shy", 0x00AD, true},
    {"sigma", 0x03C3, false},    {"sigmaf", 0x03C2, false},  {"sim", 0x223C, false},     {"spades", 0x2660, false},
    {"sub", 0x2282, false},      {"sube", 0x2286, false},    {"sum", 0x2211, false},     {"sup", 0x2283, false},
    {"sup1", 0x00B9, true},      {"sup2", 0x00B2, true},     {"sup3", 0x00B3, true},     {"supe", 0x2287, false},
    {"szlig", 0x00DF, true},     {"tau", 0x03C4, false},     {"there4", 0x2234, false},  {"theta", 0x03B8, false},
    {"thetasym", 0x03D1, false}, {"thinsp", 0x2009, false},  {"thorn", 0x00FE, true},    {"tilde", 0x02DC, false},
    {"times", 0x00D7, true},     {"trade", 0x2122, false},   {"uArr", 0x21D1, false},    {"uacute", 0x00FA, true},
    {"uarr", 0x2191, false},     {"ucirc", 0x00FB, true},    {"ugrave", 0x00F9, true},   {"uml", 0x00A8, true},
    {"upsih", 0x03D2, false},    {"upsilon", 0x03C5, false}, {"uuml", 0x00FC, true},     {"weierp", 0x2118, false},
    {"xi", 0x03BE, false},       {"yacute", 0x00FD, true},   {"yen", 0x00A5, true},      {"yuml", 0x00FF, true},
    {"zeta", 0x03B6, false},     {"zwj", 0x200D, false},     {"zwnj", 0x200C, false},
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
constexpr NameTable<NamedReference, 1024> kReferenceTable(kNamedReferences,
                                                          [](const NamedReference &r) { return r.name; });

// Every name has a key of its own, and no reference name is longer than the longest that is read.
constexpr bool distinctKeys()
{
    for (const ElementName &e : kElements)
        if (kElementTable.find(packName(e.name)) != &e)
            return false;
    for (const NamedReference &r : kNamedReferences)
        if (kReferenceTable.find(packName(r.name)) != &r || r.name.size() > size_t(kLongestReferenceName))
            return false;
    return true;
}
static_assert(distinctKeys());

} // namespace

const NamedReference *namedReference(std::string_view name)
{
    if (name.size() > size_t(kLongestReferenceName))
        return nullptr;
    const NamedReference *r = kReferenceTable.find(packName(name));
    return r && r->name.size() == name.size() ? r : nullptr;
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
            const char32_t c = ref.c;
            out.append(QStringView(QString::fromUcs4(&c, 1)));
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
