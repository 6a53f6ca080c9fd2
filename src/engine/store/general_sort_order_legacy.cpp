// Jet 4 General legacy keys: each character's code from the generated runs, then the key
// assembled from the four parts Access writes. The parts, in their order in the key:
//   1. the key bytes of every character that has some, then 0x01;
//   2. the accent list: one entry per character with key bytes, up to the last accented one,
//      0x02 for a character without an accent; a combining mark adds to the entry before it
//      (or, before any character, stands as an entry of its own); trailing entries of 0x00..0x02
//      are dropped;
//   3. only when the text has kana or unprintable characters, 0x01 0x01 and then:
//      the kana list, when there are kana: each kana's size mark (2 small, 3 full-size),
//      trailing 3s dropped, packed three to a byte under the prefix 0x80, followed by
//      FF 02 80 FF 80, and FF more when unprintable entries follow;
//      the unprintable entries, when there are some: 0x01, then per unprintable character
//      0x8000 | (7 + 4 × position) big-endian, 0x06 and its code, where the position counts
//      the accent list's bytes so far plus the characters with key bytes not yet in it;
//   4. 0x00. A descending key is the whole of it inverted, then one 0x00 more.
#include <algorithm>
#include <array>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "engine/store/general_sort_order.h"
#include "engine/store/general_sort_order_codes.h"
#include "engine/store/general_sort_order_match.h"
#include "engine/store/general_sort_order_text.h"

namespace velmora::engine::store {
namespace {

namespace gl = general_legacy;
using sort_text::decodeUtf8;
using sort_text::invertFrom;
using sort_text::prepareText;

// One character's code, decoded from its run.
struct Code {
    uint8_t kind = gl::kIgnored;
    uint8_t keyLength = 0;  // key bytes (simple, accented and kana characters)
    std::array<uint8_t, 4> key{};
    uint8_t value = 0;  // trailer code of an unprintable character, amount of a mark
    uint8_t accentLength = 0;
    std::array<uint8_t, 2> accent{};
    uint8_t kanaMark = 0;  // 2 small, 3 full-size
};

// Steps key bytes by `distance` in Access's numbering, whose last byte counts 0x02..0xFF.
uint32_t stepped(uint32_t bytes, uint32_t distance) {
    uint32_t ordinal = (bytes >> 8) * 254 + (bytes & 0xFF) - 2 + distance;
    return ((ordinal / 254) << 8) | (ordinal % 254 + 2);
}

Code decode(const gl::CodeRun& run, char16_t c) {
    Code code;
    code.kind = run.form & gl::kKindMask;
    const auto length = static_cast<uint8_t>(((run.form >> gl::kBytesShift) & 0x03) + 1);
    uint32_t bytes = run.bytes;
    if ((run.form & gl::kStep) != 0)
        bytes = stepped(bytes, static_cast<uint32_t>(c - run.first));
    switch (code.kind) {
        case gl::kSimple:
        case gl::kAccented:
        case gl::kKana:
            code.keyLength = length;
            for (uint8_t i = 0; i < length; ++i)
                code.key[i] = static_cast<uint8_t>(bytes >> (8 * (length - 1 - i)));
            break;
        case gl::kUnprintable:
        case gl::kMark:
            code.value = static_cast<uint8_t>(bytes);
            break;
        default:
            break;
    }
    const gl::Accent& accent = gl::kAccents[run.accent];
    code.accentLength = accent.length;
    code.accent = accent.bytes;
    if (code.kind == gl::kKana)
        code.kanaMark = (run.form & gl::kSmallKana) != 0 ? 2 : 3;
    return code;
}

struct Tables {
    std::array<Code, 256> latin;
    // For each block of 256 code points, the index of the run holding its first code point.
    std::array<uint16_t, 257> blockRun;
};

const Tables& tables() {
    static const Tables t = [] {
        Tables r;
        const auto runs = gl::kCodeRuns;
        size_t run = 0;
        for (uint32_t block = 0; block <= 256; ++block) {
            const uint32_t first = std::min<uint32_t>(block << 8, 0xFFFF);
            while (run + 1 < runs.size() && runs[run + 1].first <= first)
                ++run;
            r.blockRun[block] = static_cast<uint16_t>(run);
        }
        run = 0;
        for (uint32_t c = 0; c < 256; ++c) {
            while (run + 1 < runs.size() && runs[run + 1].first <= c)
                ++run;
            r.latin[c] = decode(runs[run], static_cast<char16_t>(c));
        }
        return r;
    }();
    return t;
}

const gl::CodeRun& runOf(const Tables& t, char16_t c) {
    const auto runs = gl::kCodeRuns;
    const size_t block = c >> 8;
    // The last run of the block's range that starts at or before c.
    auto begin = runs.begin() + t.blockRun[block];
    auto end = runs.begin() + t.blockRun[block + 1] + 1;
    auto after = std::upper_bound(begin + 1, end, c,
                                  [](char16_t v, const gl::CodeRun& run) { return v < run.first; });
    return *(after - 1);
}

// The code of c: Latin-1 from the table at hand, the rest decoded into `decoded`.
const Code& codeOf(const Tables& t, char16_t c, Code& decoded) {
    if (c <= 0xFF)
        return t.latin[c];
    decoded = decode(runOf(t, c), c);
    return decoded;
}

// A byte list that lives on the stack: the parts of a key of at most 255 characters.
template <size_t N>
struct FixedBytes {
    std::array<uint8_t, N> bytes;
    size_t count = 0;
    void push_back(uint8_t b) { bytes[count++] = b; }
    size_t size() const { return count; }
    uint8_t& back() { return bytes[count - 1]; }
    uint8_t operator[](size_t i) const { return bytes[i]; }
    void pop_back() { --count; }
    const uint8_t* begin() const { return bytes.data(); }
    const uint8_t* end() const { return bytes.data() + count; }
};

// The parts that follow the key bytes, gathered on the way through the text. A character
// adds at most two accent bytes (or a 0x02 and a mark), one kana mark and four trailer bytes.
struct StackParts {
    FixedBytes<2 * 255 + 1> accents;
    FixedBytes<255> kana;
    FixedBytes<size_t{4} * 255> trailer;
};
// The same for texts of any length (comparison keys look at the whole text).
struct GrowingParts {
    std::vector<uint8_t> accents;
    std::vector<uint8_t> kana;
    std::vector<uint8_t> trailer;
};

template <class List>
void dropTrailing(List& list, uint8_t low, uint8_t high) {
    while (list.size() > 0 && list.back() >= low && list.back() <= high)
        list.pop_back();
}

std::string codePointName(std::u16string_view text, size_t i) {
    uint32_t cp = text[i];
    if (cp >= 0xD800 && cp < 0xDC00 && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
        text[i + 1] < 0xE000)
        cp = 0x10000 + ((cp - 0xD800) << 10) + (text[i + 1] - 0xDC00);
    char buf[12];
    std::snprintf(buf, sizeof buf, "U+%04X", unsigned(cp));
    return buf;
}

// Appends a General legacy key to `out`. Strict keys refuse a character whose key we cannot
// build (those outside the Basic Multilingual Plane); the comparison key sorts such a
// character after every other, by its code unit. `out` is left as it was on a refusal.
template <class Parts>
Status appendLegacyKey(KeyBytes& out, std::u16string_view text, bool ascending, bool strict) {
    // No reserve() here: `out` may be a buffer of many keys, which must keep growing
    // geometrically.
    const Tables& t = tables();
    const size_t start = out.size();
    Parts parts;
    size_t keyed = 0;        // characters that put key bytes in so far
    size_t accentChars = 0;  // of them, those the accent list holds an entry for
    size_t markPrefix = 0;   // 1 when the list starts with a mark that came before any letter
    Code decoded;
    for (size_t i = 0; i < text.size(); ++i) {
        const Code& code = codeOf(t, text[i], decoded);
        if (code.kind == gl::kRefused) {
            if (strict) {
                out.resize(start);
                return Status::error(err::kOperationNotSupported,
                                     "character " + codePointName(text, i) +
                                         " has no key in the General sort order");
            }
            out.insert(out.end(),
                       {0xFF, static_cast<uint8_t>(text[i] >> 8), static_cast<uint8_t>(text[i])});
            ++keyed;
            continue;
        }
        for (uint8_t k = 0; k < code.keyLength; ++k)
            out.push_back(code.key[k]);
        if (code.kind == gl::kSimple) {
            ++keyed;
            continue;
        }
        const size_t position = keyed;  // the character's place among those with key bytes
        keyed += code.keyLength > 0 ? 1 : 0;
        if (code.accentLength > 0 || code.kind == gl::kMark) {
            for (; accentChars < position; ++accentChars)
                parts.accents.push_back(0x02);
            if (code.accentLength > 0) {
                for (uint8_t k = 0; k < code.accentLength; ++k)
                    parts.accents.push_back(code.accent[k]);
                ++accentChars;
            } else if (parts.accents.size() > 0) {
                parts.accents.back() = static_cast<uint8_t>(parts.accents.back() + code.value);
            } else {
                parts.accents.push_back(code.value);
                markPrefix = 1;
            }
        }
        if (code.kind == gl::kUnprintable) {
            // Once the accent list is begun, its bytes count instead of its characters.
            const size_t place = parts.accents.size() > 0
                                     ? parts.accents.size() + (position - accentChars) - markPrefix
                                     : position;
            const auto entry = static_cast<uint16_t>(0x8000 | (7 + 4 * place));
            parts.trailer.push_back(static_cast<uint8_t>(entry >> 8));
            parts.trailer.push_back(static_cast<uint8_t>(entry));
            parts.trailer.push_back(0x06);
            parts.trailer.push_back(code.value);
        }
        if (code.kanaMark != 0)
            parts.kana.push_back(code.kanaMark);
    }
    out.push_back(0x01);
    dropTrailing(parts.accents, 0x00, 0x02);
    out.insert(out.end(), parts.accents.begin(), parts.accents.end());
    const bool anyKana = parts.kana.size() > 0;
    const bool anyTrailer = parts.trailer.size() > 0;
    if (anyKana || anyTrailer) {
        out.insert(out.end(), {0x01, 0x01});
        if (anyKana) {
            dropTrailing(parts.kana, 0x03, 0x03);
            const size_t n = parts.kana.size();
            for (size_t k = 0; k < n; k += 3) {
                uint8_t packed = 0x80;
                for (size_t j = 0; j < 3 && k + j < n; ++j)
                    packed = static_cast<uint8_t>(packed | (parts.kana[k + j] << (4 - 2 * j)));
                out.push_back(packed);
            }
            out.insert(out.end(), {0xFF, 0x02, 0x80, 0xFF, 0x80});
            if (anyTrailer)
                out.push_back(0xFF);
        }
        if (anyTrailer) {
            out.push_back(0x01);
            out.insert(out.end(), parts.trailer.begin(), parts.trailer.end());
        }
    }
    out.push_back(0x00);
    if (!ascending) {
        invertFrom(out, start);
        out.push_back(0x00);
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

bool generalLegacyCovers(char16_t c) {
    Code decoded;
    return codeOf(tables(), c, decoded).kind != gl::kRefused;
}

Result<KeyBytes> generalLegacyTextKey(std::u16string_view text, bool ascending) {
    KeyBytes key;
    VELMORA_RETURN_IF_ERROR(appendLegacyKey<StackParts>(key, prepareText(text), ascending, true));
    return key;
}

void appendGeneralLegacyCollationKey(KeyBytes& out, std::u16string_view text) {
    // Lenient: never fails. The parts of a text as short as a key's fit on the stack.
    if (text.size() <= 255)
        (void)appendLegacyKey<StackParts>(out, text, true, false);
    else
        (void)appendLegacyKey<GrowingParts>(out, text, true, false);
}

bool generalLegacyCollationKeyMayBe(std::u16string_view text, std::string_view key) {
    // The bytes appendLegacyKey() puts first for a comparison key, compared as they come.
    const Tables& t = tables();
    size_t at = 0;
    const auto next = [&](uint8_t b) {
        return at < key.size() && static_cast<uint8_t>(key[at++]) == b;
    };
    Code decoded;
    for (const char16_t c : text) {
        const Code& code = codeOf(t, c, decoded);
        if (code.kind == gl::kRefused) {
            if (!next(0xFF) || !next(static_cast<uint8_t>(c >> 8)) ||
                !next(static_cast<uint8_t>(c)))
                return false;
            continue;
        }
        for (uint8_t k = 0; k < code.keyLength; ++k) {
            if (!next(code.key[k]))
                return false;
        }
    }
    return next(0x01);
}

KeyBytes generalLegacyCollationKey(std::u16string_view text) {
    KeyBytes key;
    appendGeneralLegacyCollationKey(key, text);
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
            appendLegacyKey<StackParts>(slot.key, prepareText(text.view()), ascending, true));
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

}  // namespace velmora::engine::store
