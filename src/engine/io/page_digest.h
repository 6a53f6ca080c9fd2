// A digest of a whole database file that a commit's page images can bring up to date without
// reading the file again: the sum (modulo 2^64) of one 64-bit hash per page, each hash taken
// over the page's number and bytes. Replacing page n's bytes `before` by `after` changes the
// digest by pageHash(n, after) - pageHash(n, before); a page added at the end adds its hash.
//
// It tells whether a file is still in the state a program left it in. Equal digests of files
// of equal size mean, short of a 64-bit collision, equal pages.
#pragma once

#include <cstdint>
#include <span>

#include "engine/base/status.h"
#include "engine/io/file.h"

namespace velmora::engine::io {

uint64_t pageHash(uint32_t number, std::span<const uint8_t> bytes);

// Another hash of a page's number and bytes, of a few instructions per eight bytes where
// pageHash() takes several per byte; for checks whose values are never kept beside digests of
// pageHash() (the rollback journal's checksum).
uint64_t quickPageHash(uint32_t number, std::span<const uint8_t> bytes);

// Every whole page of `file`, and the bytes after the last whole page as a page of their own.
Result<uint64_t> fileDigest(File& file, uint32_t pageSize);

}  // namespace velmora::engine::io
