// A digest of a whole database file that a commit's page images can bring up to date without
// reading the file again: the sum (modulo 2^64) of one 64-bit hash per page, each hash taken
// over the page's number and bytes. Replacing page n's bytes `before` by `after` changes the
// digest by hash(n, after) - hash(n, before); a page added at the end adds its hash. Digests
// are only compared when taken with the same hash.
//
// It tells whether a file is still in the state a program left it in. Equal digests of files
// of equal size mean, short of a 64-bit collision, equal pages.
#pragma once

#include <cstdint>
#include <span>

#include "engine/base/status.h"
#include "engine/io/file.h"

namespace velmora::engine::io {

// A hash of a page's number and bytes.
using PageHash = uint64_t (*)(uint32_t number, std::span<const uint8_t> bytes);

// The first hash of pages, several instructions per byte; the journals and undo histories
// of earlier layouts were checked with it.
uint64_t pageHash(uint32_t number, std::span<const uint8_t> bytes);

// The hash of pages in use now, a few instructions per eight bytes; never compared with a
// value of pageHash().
uint64_t quickPageHash(uint32_t number, std::span<const uint8_t> bytes);

// Every whole page of `file`, and the bytes after the last whole page as a page of their own.
Result<uint64_t> fileDigest(File& file, uint32_t pageSize, PageHash hash = quickPageHash);

}  // namespace velmora::engine::io
