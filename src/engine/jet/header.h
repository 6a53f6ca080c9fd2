// Page 0 of a Jet file: the database header.
//
//   offset  size  field
//   0x00    4     00 01 00 00
//   0x04    15    "Standard Jet DB" ("Standard ACE DB" in Access 2007 and later files)
//   0x14    4     version: 0 = Jet 3, 1 = Jet 4, 2 and up = ACE
//   0x18    126/128  region masked with a constant RC4 keystream (Jet 3 / Jet 4 length)
//   0x3A    2     Jet 3 default sort order
//   0x3C    2     default code page
//   0x3E    4     database key: non-zero when every other page is RC4-encoded
//   0x42    20/40 database password (Jet 4: UTF-16LE, XORed with the creation date)
//   0x6E    2     Jet 4 default sort order; 0x71: its version
//   0x72    8     Jet 4 creation date (Access date double)
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "engine/base/coding.h"
#include "engine/base/status.h"
#include "engine/jet/format.h"

namespace velmora::engine::jet {

struct DatabaseHeader {
    JetVersion version = JetVersion::Jet4;
    uint32_t rawVersion = 0;  // the stored version number
    uint32_t pageSize = 0;
    uint16_t codePage = 0;
    uint16_t sortOrder = 0;
    uint8_t sortVersion = 0;  // Jet 4
    uint32_t databaseKey = 0;
    double creationDate = 0;  // Jet 4
    std::string password;     // decoded, empty when none is set

    bool isEncoded() const { return databaseKey != 0; }
    bool hasPassword() const { return !password.empty(); }
};

// The fixed RC4 keystream that masks the header region from 0x18 (128 bytes).
const std::vector<uint8_t>& headerMask();

// RC4 over `data` in place with `key` (the header mask and encoded pages both use it).
void rc4Apply(Bytes key, MutableBytes data);

// How the first bytes of a file identify it, before any page size is known.
enum class FileKind { Jet3, Jet4, Ace, NotJet };
FileKind identifyFile(Bytes start);

// Decodes page 0 (at least 0x100 bytes of it). Refuses nothing: callers decide what an ACE
// version, an encoded file or a password means for them. 3049 when the bytes are not a Jet
// header at all, 3343 for a version it does not know.
Result<DatabaseHeader> decodeHeader(Bytes page0);

}  // namespace velmora::engine::jet
