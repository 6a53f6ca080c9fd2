// Jet 3's General 97 sort order: its code table and key assembly. The table is kept as the compact
// text form "cp=CLASS bytes[+extra]" and parsed once on first use, which keeps it easy to compare
// line by line with Access's keys. Jet 4's General legacy order is in
// general_sort_order_legacy.cpp.
#include "engine/store/general_sort_order.h"

#include <array>
#include <cstdlib>
#include <unordered_map>

#include "engine/base/error_codes.h"
#include "engine/store/general_sort_order_text.h"

namespace velmora::engine::store {
namespace {

using sort_text::decodeUtf8;
using sort_text::invertFrom;
using sort_text::prepareText;

// What a character adds to a key. Simple and Significant characters put their bytes in the
// key; Inline ones (accented letters) add their base letter's bytes and an accent code that
// goes after the text; Ignored ones add nothing. Significant characters are the letters that
// have accented forms (A C E I N O S U Y) and the ligatures made of them (Æ, Œ, ß), each letter
// of which holds an accent position in the nibble list that follows the text.
enum class CodeClass : uint8_t { Ignored, Simple, Significant, Inline };

struct Code {
    CodeClass cls = CodeClass::Ignored;
    uint8_t length = 0;  // key bytes
    std::array<uint8_t, 3> bytes{};
    uint8_t extra = 0;  // accent code of Inline characters
};

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
    std::array<Code, 256> general97{};
    std::unordered_map<char16_t, uint8_t> toCp1252;  // above U+00FF only
};

const Tables& tables() {
    static const Tables t = [] {
        Tables r;
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

// Appends the bytes a character puts into the key.
void appendCodeBytes(KeyBytes& out, const Code& code) {
    for (uint8_t i = 0; i < code.length; ++i)
        out.push_back(code.bytes[i]);
}

}  // namespace

namespace {

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
