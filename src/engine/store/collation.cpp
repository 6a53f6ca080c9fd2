// Text collation on top of the General legacy code tables.
#include "engine/store/collation.h"

#include "engine/base/text_codec.h"
#include "engine/store/general_sort_order.h"
#include "engine/store/general_sort_order_match.h"

namespace velmora::engine::store {
namespace {

// The UTF-16 units of a text into `units`; malformed UTF-8 must still compare: such input is
// read byte by byte as Latin-1.
void decodeLenient(std::u16string& units, std::string_view utf8) {
    units.clear();
    if (text::forEachUtf16Unit(utf8, text::Utf8Rule::Generalised,
                               [&](char16_t unit) { units.push_back(unit); }))
        return;
    units.clear();
    for (char c : utf8)
        units.push_back(static_cast<char16_t>(static_cast<unsigned char>(c)));
}

}  // namespace

void assignSortKey(std::string& key, std::string_view utf8) {
    // Every row of a scan or a grouping is keyed: the text's units and the key bytes are
    // built in buffers that stop allocating once they have grown.
    thread_local std::u16string units;
    thread_local KeyBytes bytes;
    decodeLenient(units, utf8);
    bytes.clear();
    appendGeneralLegacyCollationKey(bytes, units);
    key.assign(bytes.begin(), bytes.end());
}

bool sortKeyMayBe(std::string_view utf8, std::string_view key) {
    thread_local std::u16string units;
    decodeLenient(units, utf8);
    return generalLegacyCollationKeyMayBe(units, key);
}

std::string sortKey(std::string_view utf8) {
    std::string key;
    assignSortKey(key, utf8);
    return key;
}

int compareText(std::string_view a, std::string_view b) {
    std::string ka = sortKey(a);
    std::string kb = sortKey(b);
    int c = ka.compare(kb);
    return c < 0 ? -1 : (c > 0 ? 1 : 0);
}

}  // namespace velmora::engine::store
