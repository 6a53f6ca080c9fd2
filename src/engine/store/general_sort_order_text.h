// What both General sort orders do to a text before and after its characters are coded:
// decoding UTF-8, keeping the characters a key looks at, inverting a descending key.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "engine/base/blanks.h"
#include "engine/base/error_codes.h"
#include "engine/base/status.h"
#include "engine/store/general_sort_order.h"

namespace velmora::engine::store::sort_text {

// Keeps at most 255 characters and drops trailing blanks, as Jet does before building a key.
template <class S>
S prepareText(S text) {
    if (text.size() > 255)
        text = text.substr(0, 255);
    return withoutTrailingBlanks(text);
}

// Inverts the bytes a descending key appended from `from` on.
inline void invertFrom(KeyBytes& bytes, size_t from) {
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

}  // namespace velmora::engine::store::sort_text
