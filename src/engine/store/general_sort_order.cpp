// Code tables and key assembly of Jet's General sort orders. The tables are kept as the
// compact text form "cp=CLASS bytes[+extra]" and parsed once on first use, which keeps them
// easy to compare line by line with the format notes.
#include "engine/store/general_sort_order.h"

#include <array>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <unordered_map>

#include "engine/base/blanks.h"
#include "engine/base/error_codes.h"

namespace velmora::engine::store {
namespace {

// What a character adds to a key. Simple and Significant characters put their bytes in the
// key; Inline ones (accented letters) add their base letter's bytes and an accent code that
// goes after the text; Unprintable ones (Jet 4) go to a trailer with their position; Ignored
// ones add nothing. Significant is General 97's own class: the letters that have accented
// forms (A C E I N O S U Y) and the ligatures made of them (Æ, Œ, ß), each letter of which
// holds an accent position in the nibble list that follows the text.
enum class CodeClass : uint8_t { Ignored, Simple, Significant, Inline, Unprintable };

struct Code {
    CodeClass cls = CodeClass::Ignored;
    uint8_t length = 0;  // inline bytes (Simple, Significant, Inline) or trailer bytes
    std::array<uint8_t, 3> bytes{};
    uint8_t extra = 0;  // accent code of Inline characters
};

// Jet 4 General legacy, U+0000..U+00FF.
constexpr std::string_view kLegacyTable = R"(
00=X 01=U03 02=U04 03=U05 04=U06 05=U07 06=U08 07=U09 08=U0A 09=S0803 0A=S0804 0B=S0805 0C=S0806 0D=S0807 0E=U0B 0F=U0C
10=U0D 11=U0E 12=U0F 13=U10 14=U11 15=U12 16=U13 17=U14 18=U15 19=U16 1A=U17 1B=U18 1C=U19 1D=U1A 1E=U1B 1F=U1C
20=S07 21=S09 22=S0A 23=S0C 24=S0E 25=S10 26=S12 27=U80 28=S14 29=S16 2A=S18 2B=S2C 2C=S1A 2D=U82 2E=S1C 2F=S1E
30=S36 31=S38 32=S3A 33=S3C 34=S3E 35=S40 36=S42 37=S44 38=S46 39=S48 3A=S20 3B=S22 3C=S2E 3D=S30 3E=S32 3F=S24
40=S26 41=S4A 42=S4C 43=S4D 44=S4F 45=S51 46=S53 47=S55 48=S57 49=S59 4A=S5B 4B=S5C 4C=S5E 4D=S60 4E=S62 4F=S64
50=S66 51=S68 52=S69 53=S6B 54=S6D 55=S6F 56=S71 57=S73 58=S75 59=S76 5A=S78 5B=S27 5C=S29 5D=S2A 5E=S2B02 5F=S2B03
60=S2B07 61=S4A 62=S4C 63=S4D 64=S4F 65=S51 66=S53 67=S55 68=S57 69=S59 6A=S5B 6B=S5C 6C=S5E 6D=S60 6E=S62 6F=S64
70=S66 71=S68 72=S69 73=S6B 74=S6D 75=S6F 76=S71 77=S73 78=S75 79=S76 7A=S78 7B=S2B09 7C=S2B0B 7D=S2B0D 7E=S2B0F 7F=U1D
80=U1E 81=U1F 82=U20 83=U21 84=U22 85=U23 86=U24 87=U25 88=U26 89=U27 8A=U28 8B=U29 8C=U2A 8D=U2B 8E=U2C 8F=U2D
90=U2E 91=U2F 92=U30 93=U31 94=U32 95=U33 96=U34 97=U35 98=U36 99=U37 9A=U38 9B=U39 9C=U3A 9D=U3B 9E=U3C 9F=U3D
A0=S0802 A1=S2B10 A2=S34A6 A3=S34A7 A4=S34A8 A5=S34A9 A6=S2B11 A7=S34AA A8=S2B12 A9=S34AB AA=I4A+03 AB=S3305 AC=S34AC AD=U83 AE=S34AD AF=S2B13
B0=S34AE B1=S3304 B2=S3A B3=S3C B4=S2B14 B5=S34AF B6=S34B0 B7=S34B1 B8=S2B15 B9=S38 BA=I64+03 BB=S3307 BC=S3712 BD=S3716 BE=S371A BF=S2B16
C0=I4A+0F C1=I4A+0E C2=I4A+12 C3=I4A+19 C4=I4A+13 C5=I4A+1A C6=S4A51 C7=I4D+1C C8=I51+0F C9=I51+0E CA=I51+12 CB=I51+13 CC=I59+0F CD=I59+0E CE=I59+12 CF=I59+13
D0=I4F+68 D1=I62+19 D2=I64+0F D3=I64+0E D4=I64+12 D5=I64+19 D6=I64+13 D7=S3309 D8=I64+21 D9=I6F+0F DA=I6F+0E DB=I6F+12 DC=I6F+13 DD=I76+0E DE=S6D57 DF=S6B6B
E0=I4A+0F E1=I4A+0E E2=I4A+12 E3=I4A+19 E4=I4A+13 E5=I4A+1A E6=S4A51 E7=I4D+1C E8=I51+0F E9=I51+0E EA=I51+12 EB=I51+13 EC=I59+0F ED=I59+0E EE=I59+12 EF=I59+13
F0=I4F+68 F1=I62+19 F2=I64+0F F3=I64+0E F4=I64+12 F5=I64+19 F6=I64+13 F7=S330A F8=I64+21 F9=I6F+0F FA=I6F+0E FB=I6F+12 FC=I6F+13 FD=I76+0E FE=S6D57 FF=I76+13
)";

// Jet 4 General legacy above U+00FF: the Windows-1252 characters.
constexpr std::string_view kLegacyExtended = R"(
20AC=S35A1 201A=S2B39 201E=S2B3D 2026=S34B9 2018=S2B37 2019=S2B38 201C=S2B3B 201D=S2B3C
2022=S34B5 2013=U89 2014=U8B 2122=S6E04 0160=I6B+14 0161=I6B+14 017D=I78+14 017E=I78+14
0152=S6451 0153=S6451 0178=I76+13 0192=I53+7B
)";

// Jet 3 General 97, indexed by Windows-1252 byte. NUL is a control character like the others
// (0x10): Access writes it into the key of a text that holds one.
constexpr std::string_view kGeneral97Table = R"(
00=S10 01=S10 02=S10 03=S10 04=S10 05=S10 06=S10 07=S10 08=S10 09=S11 0A=S10 0B=S10 0C=S10 0D=S10 0E=S10 0F=S10
10=S10 11=S10 12=S10 13=S10 14=S10 15=S10 16=S10 17=S10 18=S10 19=S10 1A=S10 1B=S10 1C=S10 1D=S10 1E=S10 1F=S10
20=S11 21=S12 22=S13 23=S14 24=S15 25=S16 26=S17 27=S18 28=S19 29=S1A 2A=S1B 2B=S1C 2C=S1D 2D=S1E 2E=S1F 2F=S20
30=S56 31=S57 32=S58 33=S59 34=S5A 35=S5B 36=S5C 37=S5D 38=S5E 39=S5F 3A=S21 3B=S22 3C=S23 3D=S24 3E=S25 3F=S26
40=S27 41=G60 42=S61 43=G62 44=S64 45=G66 46=S67 47=S68 48=S69 49=G6A 4A=S6B 4B=S6C 4C=S6D 4D=S6F 4E=G70 4F=G72
50=S73 51=S74 52=S75 53=G76 54=S77 55=G78 56=S7A 57=S7B 58=S7C 59=G7D 5A=S7E 5B=S28 5C=S29 5D=S2A 5E=S2B 5F=S2C
60=S2D 61=G60 62=S61 63=G62 64=S64 65=G66 66=S67 67=S68 68=S69 69=G6A 6A=S6B 6B=S6C 6C=S6D 6D=S6F 6E=G70 6F=G72
70=S73 71=S74 72=S75 73=G76 74=S77 75=G78 76=S7A 77=S7B 78=S7C 79=G7D 7A=S7E 7B=S2E 7C=S2F 7D=S30 7E=S31 7F=S10
80=S10 81=S10 82=S18 83=S32 84=S13 85=S33 86=S34 87=S35 88=S36 89=S37 8A=I76+0A 8B=S18 8C=G7266 8D=S10 8E=S10 8F=S10
90=S10 91=S18 92=S18 93=S13 94=S13 95=S38 96=S1E 97=S1E 98=S39 99=S3A 9A=I76+0A 9B=S18 9C=G7266 9D=S10 9E=S10 9F=I7D+06
A0=S11 A1=S3B A2=S3C A3=S3D A4=S3E A5=S3F A6=S40 A7=S41 A8=S42 A9=S43 AA=S44 AB=S13 AC=S45 AD=S1E AE=S46 AF=S47
B0=S48 B1=S49 B2=S58 B3=S59 B4=S4A B5=S4B B6=S4C B7=S4D B8=S4E B9=S57 BA=S4F BB=S13 BC=S50 BD=S51 BE=S52 BF=S53
C0=I60+03 C1=I60+04 C2=I60+05 C3=I60+07 C4=I60+06 C5=I60+08 C6=G6066 C7=I62+09 C8=I66+03 C9=I66+04 CA=I66+05 CB=I66+06 CC=I6A+03 CD=I6A+04 CE=I6A+05 CF=I6A+06
D0=S65 D1=I70+07 D2=I72+03 D3=I72+04 D4=I72+05 D5=I72+07 D6=I72+06 D7=S54 D8=S81 D9=I78+03 DA=I78+04 DB=I78+05 DC=I78+06 DD=I7D+04 DE=S7F DF=G7676
E0=I60+03 E1=I60+04 E2=I60+05 E3=I60+07 E4=I60+06 E5=I60+08 E6=G6066 E7=I62+09 E8=I66+03 E9=I66+04 EA=I66+05 EB=I66+06 EC=I6A+03 ED=I6A+04 EE=I6A+05 EF=I6A+06
F0=S65 F1=I70+07 F2=I72+03 F3=I72+04 F4=I72+05 F5=I72+07 F6=I72+06 F7=S55 F8=S81 F9=I78+03 FA=I78+04 FB=I78+05 FC=I78+06 FD=I7D+04 FE=S7F FF=I7D+06
)";

// Unicode of the Windows-1252 bytes 0x80..0x9F; the five undefined bytes map to the C1
// control of the same value, as Windows does.
constexpr std::array<char16_t, 32> kCp1252High = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

int hexValue(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return c - 'a' + 10;
}

uint8_t hexByte(std::string_view s, size_t pos) {
    return static_cast<uint8_t>(hexValue(s[pos]) * 16 + hexValue(s[pos + 1]));
}

// Parses one "cp=CLASSbytes[+extra]" token into `code`, returning the code point.
uint32_t parseToken(std::string_view token, Code& code) {
    size_t eq = token.find('=');
    uint32_t cp = 0;
    for (size_t i = 0; i < eq; ++i)
        cp = cp * 16 + static_cast<uint32_t>(hexValue(token[i]));
    char cls = token[eq + 1];
    std::string_view rest = token.substr(eq + 2);
    size_t plus = rest.find('+');
    std::string_view hex = rest.substr(0, plus);
    code = Code{};
    switch (cls) {
        case 'X':
            code.cls = CodeClass::Ignored;
            return cp;
        case 'S':
            code.cls = CodeClass::Simple;
            break;
        case 'G':
            code.cls = CodeClass::Significant;
            break;
        case 'I':
            code.cls = CodeClass::Inline;
            break;
        case 'U':
            code.cls = CodeClass::Unprintable;
            break;
        default:
            std::abort();  // the tables above are fixed text; a bad class is a typo here
    }
    code.length = static_cast<uint8_t>(hex.size() / 2);
    for (size_t i = 0; i < code.length; ++i)
        code.bytes[i] = hexByte(hex, i * 2);
    if (plus != std::string_view::npos)
        code.extra = hexByte(rest, plus + 1);
    return cp;
}

template <class F>
void forEachToken(std::string_view table, F&& f) {
    size_t pos = 0;
    while (pos < table.size()) {
        while (pos < table.size() && (table[pos] == ' ' || table[pos] == '\n'))
            ++pos;
        size_t end = pos;
        while (end < table.size() && table[end] != ' ' && table[end] != '\n')
            ++end;
        if (end > pos)
            f(table.substr(pos, end - pos));
        pos = end;
    }
}

struct Tables {
    std::array<Code, 256> legacy{};
    std::unordered_map<char16_t, Code> legacyExtended;
    std::array<Code, 256> general97{};
    std::unordered_map<char16_t, uint8_t> toCp1252;  // above U+00FF only
};

const Tables& tables() {
    static const Tables t = [] {
        Tables r;
        forEachToken(kLegacyTable, [&](std::string_view tok) {
            Code c;
            uint32_t cp = parseToken(tok, c);
            r.legacy[cp] = c;
        });
        forEachToken(kLegacyExtended, [&](std::string_view tok) {
            Code c;
            uint32_t cp = parseToken(tok, c);
            r.legacyExtended[static_cast<char16_t>(cp)] = c;
        });
        forEachToken(kGeneral97Table, [&](std::string_view tok) {
            Code c;
            uint32_t cp = parseToken(tok, c);
            r.general97[cp] = c;
        });
        for (size_t i = 0; i < kCp1252High.size(); ++i) {
            if (kCp1252High[i] > 0xFF)
                r.toCp1252[kCp1252High[i]] = static_cast<uint8_t>(0x80 + i);
        }
        return r;
    }();
    return t;
}

const Code* legacyCode(const Tables& t, char16_t c) {
    if (c <= 0xFF)
        return &t.legacy[c];
    auto it = t.legacyExtended.find(c);
    return it == t.legacyExtended.end() ? nullptr : &it->second;
}

const Code* legacyCode(char16_t c) {
    return legacyCode(tables(), c);
}

// Appends the bytes a character puts into the key.
void appendCodeBytes(KeyBytes& out, const Code& code) {
    for (uint8_t i = 0; i < code.length; ++i)
        out.push_back(code.bytes[i]);
}

// Keeps at most 255 characters and drops trailing blanks, as Jet does before building a key.
template <class S>
S prepareText(S text) {
    if (text.size() > 255)
        text = text.substr(0, 255);
    return withoutTrailingBlanks(text);
}

// Inverts the bytes a descending key appended from `from` on.
void invertFrom(KeyBytes& bytes, size_t from) {
    for (size_t i = from; i < bytes.size(); ++i)
        bytes[i] = static_cast<uint8_t>(~bytes[i]);
}

// Decodes UTF-8, handing every UTF-16 code unit to `emit`; malformed input is refused (3421).
template <class Emit>
Status decodeUtf8(std::string_view s, Emit&& emit) {
    for (size_t i = 0; i < s.size();) {
        uint8_t b = static_cast<uint8_t>(s[i]);
        uint32_t cp = 0;
        size_t extra = 0;
        if (b < 0x80) {
            cp = b;
        } else if ((b & 0xE0) == 0xC0) {
            cp = b & 0x1F;
            extra = 1;
        } else if ((b & 0xF0) == 0xE0) {
            cp = b & 0x0F;
            extra = 2;
        } else if ((b & 0xF8) == 0xF0) {
            cp = b & 0x07;
            extra = 3;
        } else {
            return Status::error(err::kTypeConversion, "malformed UTF-8 in text value");
        }
        if (extra > 0 && i + extra >= s.size())
            return Status::error(err::kTypeConversion, "truncated UTF-8 in text value");
        for (size_t k = 1; k <= extra; ++k) {
            uint8_t cont = static_cast<uint8_t>(s[i + k]);
            if ((cont & 0xC0) != 0x80)
                return Status::error(err::kTypeConversion, "malformed UTF-8 in text value");
            cp = (cp << 6) | (cont & 0x3F);
        }
        i += extra + 1;
        if (cp >= 0x10000) {
            cp -= 0x10000;
            emit(static_cast<char16_t>(0xD800 + (cp >> 10)));
            emit(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
        } else {
            emit(static_cast<char16_t>(cp));
        }
    }
    return Status::ok();
}

// A key looks at the first 255 characters only: the text's first units, kept on the stack so
// that building a key allocates nothing, while the whole text is still checked.
struct KeyText {
    std::array<char16_t, 255> units;
    size_t size = 0;
    std::u16string_view view() const { return {units.data(), size}; }
};

Status decodeKeyText(std::string_view utf8, KeyText& text) {
    text.size = 0;
    return decodeUtf8(utf8, [&](char16_t c) {
        if (text.size < text.units.size())
            text.units[text.size++] = c;
    });
}

}  // namespace

Result<std::u16string> utf8ToUtf16(std::string_view s) {
    std::u16string out;
    out.reserve(s.size());
    VELMORA_RETURN_IF_ERROR(decodeUtf8(s, [&](char16_t c) { out.push_back(c); }));
    return out;
}

bool generalLegacyCovers(char16_t c) {
    return legacyCode(c) != nullptr;
}

namespace {

// Appends a General legacy key to `out`. Strict keys refuse characters outside the tables;
// the collation key sorts such a character after every tabulated one, by its code unit.
// The accent codes and the unprintable trailer are taken in passes of their own over the
// text rather than gathered on the way, so that nothing but `out` grows.
Status appendLegacyKey(KeyBytes& out, std::u16string_view text, bool ascending, bool strict) {
    // No reserve() here: `out` may be a buffer of many keys, which must keep growing
    // geometrically.
    const Tables& t = tables();
    const size_t start = out.size();
    // The text's bytes; an accent code goes after them up to the last one above 0x02.
    size_t accentsEnd = 0;
    bool anyUnprintable = false;
    for (size_t i = 0; i < text.size(); ++i) {
        const char16_t c = text[i];
        const Code* code = legacyCode(t, c);
        if (code == nullptr && !strict) {
            out.insert(out.end(), {0xFF, static_cast<uint8_t>(c >> 8), static_cast<uint8_t>(c)});
            continue;
        }
        if (code == nullptr) {
            out.resize(start);
            char buf[8];
            std::snprintf(buf, sizeof buf, "%04X", unsigned(c));
            return Status::error(err::kOperationNotSupported,
                                 "character U+" + std::string(buf) +
                                     " is not covered by the General sort order tables");
        }
        switch (code->cls) {
            case CodeClass::Ignored:
                break;
            case CodeClass::Unprintable:
                anyUnprintable = true;
                break;
            case CodeClass::Simple:
            case CodeClass::Significant:
            case CodeClass::Inline:
                appendCodeBytes(out, *code);
                if (code->cls == CodeClass::Inline && code->extra > 0x02)
                    accentsEnd = i + 1;
                break;
        }
    }
    out.push_back(0x01);
    // One accent code per character that put bytes in, 0x02 for an unaccented one.
    for (size_t i = 0; i < accentsEnd; ++i) {
        const Code* code = legacyCode(t, text[i]);
        if (code == nullptr)
            out.push_back(0x02);
        else if (code->cls == CodeClass::Inline)
            out.push_back(code->extra);
        else if (code->cls == CodeClass::Simple || code->cls == CodeClass::Significant)
            out.push_back(0x02);
    }
    if (anyUnprintable) {
        out.insert(out.end(), {0x01, 0x01, 0x01});
        // Each unprintable character with the count of characters before it that put bytes in.
        size_t mainCount = 0;
        for (char16_t c : text) {
            const Code* code = legacyCode(t, c);
            if (code == nullptr || code->cls == CodeClass::Simple ||
                code->cls == CodeClass::Significant || code->cls == CodeClass::Inline) {
                ++mainCount;
                continue;
            }
            if (code->cls != CodeClass::Unprintable)
                continue;
            uint16_t pos = static_cast<uint16_t>(0x8000 | (7 + 4 * mainCount));
            out.push_back(static_cast<uint8_t>(pos >> 8));
            out.push_back(static_cast<uint8_t>(pos));
            out.push_back(0x06);
            appendCodeBytes(out, *code);
        }
    }
    out.push_back(0x00);
    if (!ascending) {
        invertFrom(out, start);
        out.push_back(0x00);
    }
    return Status::ok();
}

// The accent codes follow the text as nibbles: a 0 opens them, then each accented letter adds
// a 2 for every accent position passed since the previous accented letter and its own code; a
// 0 closes them, padded to a whole byte. A text without accents ends in a single 0x00 instead.
// A ligature holds a position for each letter it stands for: "ß" two, as "ss" would.
void appendGeneral97Key(KeyBytes& out, std::string_view input, bool ascending) {
    std::string_view text = prepareText(input);
    const Tables& t = tables();
    const size_t start = out.size();
    // At most 255 characters, each adding at most two positions and one code.
    std::array<uint8_t, 3 * 255 + 4> nibbles;
    size_t nibbleCount = 0;
    nibbles[nibbleCount++] = 0;
    bool anyInline = false;
    size_t significantSinceInline = 0;
    for (char ch : text) {
        const Code& code = t.general97[static_cast<uint8_t>(ch)];
        if (code.cls == CodeClass::Ignored)
            continue;
        appendCodeBytes(out, code);
        if (code.cls == CodeClass::Significant) {
            significantSinceInline += code.length;
        } else if (code.cls == CodeClass::Inline) {
            anyInline = true;
            for (; significantSinceInline > 0; --significantSinceInline)
                nibbles[nibbleCount++] = 0x2;
            nibbles[nibbleCount++] = code.extra;
        }
    }
    if (!anyInline) {
        out.push_back(0x00);
    } else {
        nibbles[nibbleCount++] = 0;
        if (nibbleCount % 2 != 0)
            nibbles[nibbleCount++] = 0;
        for (size_t i = 0; i < nibbleCount; i += 2)
            out.push_back(static_cast<uint8_t>((nibbles[i] << 4) | nibbles[i + 1]));
    }
    if (!ascending)
        invertFrom(out, start);
}

}  // namespace

Result<KeyBytes> generalLegacyTextKey(std::u16string_view text, bool ascending) {
    KeyBytes key;
    VELMORA_RETURN_IF_ERROR(appendLegacyKey(key, prepareText(text), ascending, true));
    return key;
}

KeyBytes generalLegacyCollationKey(std::u16string_view text) {
    KeyBytes key;
    (void)appendLegacyKey(key, text, true, false);  // lenient: never fails
    return key;
}

Status appendGeneralLegacyTextKey(KeyBytes& out, std::string_view utf8, bool ascending) {
    // A table's key texts repeat (a source, a group name, on every row), and a commit, the
    // unique-key checks and the lookups key them again and again: the last keys are kept by
    // the text's hash, in slots that stop allocating once they have grown.
    struct Kept {
        bool filled = false;
        bool ascending = false;
        std::string text;
        KeyBytes key;
    };
    constexpr size_t kSlots = 64;
    thread_local std::array<Kept, kSlots> kept;
    Kept& slot = kept[std::hash<std::string_view>{}(utf8) % kSlots];
    if (!slot.filled || slot.ascending != ascending || slot.text != utf8) {
        slot.filled = false;
        KeyText text;
        VELMORA_RETURN_IF_ERROR(decodeKeyText(utf8, text));
        slot.key.clear();
        VELMORA_RETURN_IF_ERROR(
            appendLegacyKey(slot.key, prepareText(text.view()), ascending, true));
        slot.text.assign(utf8);
        slot.ascending = ascending;
        slot.filled = true;
    }
    out.insert(out.end(), slot.key.begin(), slot.key.end());
    return Status::ok();
}

Result<KeyBytes> generalLegacyTextKey(std::string_view utf8, bool ascending) {
    KeyBytes key;
    VELMORA_RETURN_IF_ERROR(appendGeneralLegacyTextKey(key, utf8, ascending));
    return key;
}

KeyBytes general97TextKey(std::string_view input, bool ascending) {
    KeyBytes key;
    appendGeneral97Key(key, input, ascending);
    return key;
}

Status appendGeneral97TextKeyUtf8(KeyBytes& out, std::string_view utf8, bool ascending) {
    // Every character must have a Windows-1252 byte; the key looks at the first 255.
    const Tables& t = tables();
    std::array<char, 255> bytes;
    size_t count = 0;
    bool unmapped = false;
    VELMORA_RETURN_IF_ERROR(decodeUtf8(utf8, [&](char16_t c) {
        // U+0080..U+009F have a byte of their own only where Windows-1252 leaves it undefined.
        bool c1Control = c >= 0x80 && c <= 0x9F;
        char byte = 0;
        if (c <= 0xFF && (!c1Control || kCp1252High[c - 0x80] == c)) {
            byte = static_cast<char>(c);
        } else if (auto it = t.toCp1252.find(c); it != t.toCp1252.end()) {
            byte = static_cast<char>(it->second);
        } else {
            unmapped = true;
        }
        if (count < bytes.size())
            bytes[count++] = byte;
    }));
    if (unmapped) {
        return Status::error(err::kOperationNotSupported,
                             "text has a character without a Windows-1252 byte, which the "
                             "Jet 3 General sort order cannot index");
    }
    appendGeneral97Key(out, std::string_view(bytes.data(), count), ascending);
    return Status::ok();
}

Result<KeyBytes> general97TextKeyUtf8(std::string_view utf8, bool ascending) {
    KeyBytes key;
    VELMORA_RETURN_IF_ERROR(appendGeneral97TextKeyUtf8(key, utf8, ascending));
    return key;
}

}  // namespace velmora::engine::store
