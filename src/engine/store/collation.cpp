// Text collation on top of the General legacy code tables.
#include "engine/store/collation.h"

#include "engine/base/text_codec.h"
#include "engine/store/general_sort_order.h"

namespace velmora::engine::store {
namespace {

// Malformed UTF-8 must still compare: such input is read byte by byte as Latin-1.
std::u16string decodeLenient(std::string_view utf8) {
    std::optional<std::u16string> decoded = text::utf8ToUtf16(utf8, text::Utf8Rule::Generalised);
    if (decoded)
        return std::move(*decoded);
    std::u16string out;
    out.reserve(utf8.size());
    for (char c : utf8)
        out.push_back(static_cast<char16_t>(static_cast<unsigned char>(c)));
    return out;
}

}  // namespace

std::string sortKey(std::string_view utf8) {
    KeyBytes key = generalLegacyCollationKey(decodeLenient(utf8));
    return std::string(key.begin(), key.end());
}

int compareText(std::string_view a, std::string_view b) {
    std::string ka = sortKey(a);
    std::string kb = sortKey(b);
    int c = ka.compare(kb);
    return c < 0 ? -1 : (c > 0 ? 1 : 0);
}

}  // namespace velmora::engine::store
