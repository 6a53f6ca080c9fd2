// Decoding of page 0; see header.h for the layout.
#include "engine/jet/header.h"

#include <cmath>
#include <cstring>

#include "engine/base/error_codes.h"
#include "engine/base/text_codec.h"

namespace velmora::engine::jet {
namespace {

constexpr size_t kMaskStart = 0x18;
constexpr char kJetSignature[] = "Standard Jet DB";
constexpr char kAceSignature[] = "Standard ACE DB";

bool hasSignature(Bytes start, const char* signature) {
    size_t n = std::strlen(signature);
    return start.size() >= 4 + n && std::memcmp(start.data() + 4, signature, n) == 0;
}

}  // namespace

void rc4Apply(Bytes key, MutableBytes data) {
    uint8_t s[256];
    for (int i = 0; i < 256; ++i)
        s[i] = uint8_t(i);
    uint8_t j = 0;
    for (int i = 0; i < 256; ++i) {
        j = uint8_t(j + s[i] + key[size_t(i) % key.size()]);
        std::swap(s[i], s[j]);
    }
    uint8_t a = 0, b = 0;
    for (auto& byte : data) {
        a = uint8_t(a + 1);
        b = uint8_t(b + s[a]);
        std::swap(s[a], s[b]);
        byte ^= s[uint8_t(s[a] + s[b])];
    }
}

const std::vector<uint8_t>& headerMask() {
    static const std::vector<uint8_t> mask = [] {
        std::vector<uint8_t> m(128, 0);
        const uint8_t key[] = {0xC7, 0xDA, 0x39, 0x6B};
        rc4Apply(key, m);
        return m;
    }();
    return mask;
}

FileKind identifyFile(Bytes start) {
    if (start.size() < 0x18 || start[0] != 0x00 || start[1] != 0x01 || start[2] != 0 ||
        start[3] != 0)
        return FileKind::NotJet;
    if (hasSignature(start, kAceSignature))
        return FileKind::Ace;
    if (!hasSignature(start, kJetSignature))
        return FileKind::NotJet;
    uint32_t version = getU32(start, 0x14);
    if (version == 0)
        return FileKind::Jet3;
    if (version == 1)
        return FileKind::Jet4;
    return FileKind::Ace;
}

Result<DatabaseHeader> decodeHeader(Bytes page0) {
    FileKind kind = identifyFile(page0);
    if (kind == FileKind::NotJet)
        return Status::error(err::kNotADatabase, "not a Jet database (no Jet header on page 0)");
    if (kind == FileKind::Ace)
        return Status::error(err::kUnrecognizedFormat,
                             "the file is in the Access 2007 or later (ACE) format, version " +
                                 std::to_string(getU32(page0, 0x14)));
    if (page0.size() < 0x100)
        return Status::error(err::kNotADatabase, "page 0 is too short for a database header");

    DatabaseHeader h;
    h.rawVersion = getU32(page0, 0x14);
    h.version = kind == FileKind::Jet3 ? JetVersion::Jet3 : JetVersion::Jet4;
    const JetFormat& fmt = formatFor(h.version);
    h.pageSize = fmt.pageSize;

    std::vector<uint8_t> plain(page0.begin(), page0.begin() + 0x100);
    const auto& mask = headerMask();
    for (size_t i = 0; i < fmt.headerMaskLength; ++i)
        plain[kMaskStart + i] ^= mask[i];

    h.codePage = getU16(plain, 0x3C);
    h.databaseKey = getU32(plain, 0x3E);
    if (h.version == JetVersion::Jet3) {
        h.sortOrder = getU16(plain, 0x3A);
        size_t len = 0;
        while (len < fmt.passwordLength && plain[0x42 + len] != 0)
            ++len;
        h.password = text::decodeCodePage(Bytes(plain).subspan(0x42, len), h.codePage);
    } else {
        h.sortOrder = getU16(plain, 0x6E);
        h.sortVersion = plain[0x71];
        h.creationDate = getF64(plain, 0x72);
        // The password bytes are XORed with the integer part of the creation date.
        uint32_t dateMask = 0;
        if (std::isfinite(h.creationDate) && std::fabs(h.creationDate) < 4e9)
            dateMask = uint32_t(int64_t(h.creationDate));
        uint8_t pw[40];
        for (size_t i = 0; i < 40; ++i)
            pw[i] = plain[0x42 + i] ^ uint8_t(dateMask >> (8 * (i % 4)));
        size_t len = 0;
        while (len + 1 < 40 && (pw[len] != 0 || pw[len + 1] != 0))
            len += 2;
        h.password = text::decodeUtf16le(Bytes(pw, len));
    }
    return h;
}

}  // namespace velmora::engine::jet
