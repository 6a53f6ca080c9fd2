// Jet 4 compressed text read back for every length and every place of a letter that changes
// how a text is decoded: one of U+0080..U+00FF (two UTF-8 bytes), and a run of UTF-16 between
// two 0x00 switches. The reader looks at the text eight bytes at a time, so a letter is put
// on each side of those steps.
#include <gtest/gtest.h>

#include "engine/base/text_codec.h"

namespace velmora::engine::text {
namespace {

TEST(Jet4Text, CompressedTextsOfEveryShapeDecode) {
    struct Letter {
        const char* what;
        std::vector<uint8_t> stored;  // in the compressed text
        std::string utf8;
    };
    const std::vector<Letter> letters = {
        {"a Latin-1 letter", {0xE4}, "\xC3\xA4"},
        {"a switch to UTF-16 and back", {0x00, 0xB1, 0x03, 0x00}, "\xCE\xB1"},
        // Counted eight bytes at a time: a whole word of them.
        {"nine Latin-1 letters", std::vector<uint8_t>(9, 0xFC),
         "\xC3\xBC\xC3\xBC\xC3\xBC\xC3\xBC\xC3\xBC\xC3\xBC\xC3\xBC\xC3\xBC\xC3\xBC"},
    };
    for (size_t length = 0; length <= 19; ++length) {
        std::vector<uint8_t> plain = {0xFF, 0xFE};
        std::string plainUtf8;
        for (size_t k = 0; k < length; ++k) {
            plain.push_back(uint8_t('a' + k));
            plainUtf8 += char('a' + k);
        }
        EXPECT_EQ(decodeJet4Text(plain), plainUtf8) << length << " ASCII letters";
        for (const Letter& letter : letters) {
            for (size_t at = 0; at < length; ++at) {
                std::vector<uint8_t> bytes(plain.begin(), plain.begin() + long(2 + at));
                bytes.insert(bytes.end(), letter.stored.begin(), letter.stored.end());
                bytes.insert(bytes.end(), plain.begin() + long(3 + at), plain.end());
                std::string expected = plainUtf8;
                expected.replace(at, 1, letter.utf8);
                EXPECT_EQ(decodeJet4Text(bytes), expected)
                    << letter.what << " at " << at << " of " << length;
            }
        }
    }
}

}  // namespace
}  // namespace velmora::engine::text
