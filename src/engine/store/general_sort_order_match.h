// A cheap test of a text against a General legacy comparison key, for a scan that looks for
// one text among many without building every row's key.
#pragma once

#include <string_view>

namespace velmora::engine::store {

// False when the collation key of `text` (appendGeneralLegacyCollationKey()) cannot be `key`:
// the key starts with the bytes of the text's characters, and a text is told from most others
// by the first of them. True says only that the key bytes of the characters agree.
bool generalLegacyCollationKeyMayBe(std::u16string_view text, std::string_view key);

}  // namespace velmora::engine::store
