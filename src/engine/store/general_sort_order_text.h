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
#include "engine/base/text_codec.h"
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

// Decodes UTF-8 by Utf8Rule::Generalised, handing every UTF-16 code unit to `emit`; malformed
// input is refused (3421).
template <class Emit>
Status decodeUtf8(std::string_view s, Emit&& emit) {
    if (!text::forEachUtf16Unit(s, text::Utf8Rule::Generalised, emit))
        return Status::error(err::kTypeConversion, "malformed UTF-8 in text value");
    return Status::ok();
}

}  // namespace velmora::engine::store::sort_text
