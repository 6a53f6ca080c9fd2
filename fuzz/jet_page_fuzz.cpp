// libFuzzer target for the page decoders on their own, below whole files: the first byte
// picks the format (Jet 3 or Jet 4) and the decoder; the next page-size bytes (zero-padded)
// are the page. A data page's rows are then cracked and decoded with the columns of a table
// definition decoded from the bytes after the page, so odd rows meet odd column layouts.
// Any input must end in a Status, never a crash, a hang or a read outside the input.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "engine/jet/data_page.h"
#include "engine/jet/format.h"
#include "engine/jet/header.h"
#include "engine/jet/index_page.h"
#include "engine/jet/row_codec.h"
#include "engine/jet/table_definition.h"

namespace {

using namespace velmora::engine;

void decodeRows(const jet::JetFormat& fmt, const jet::DataPage& page,
                const std::vector<uint8_t>& image, Bytes definition) {
    auto def = jet::decodeTableDefinition(fmt, definition, 1252);
    if (!def.isOk())
        return;
    jet::ValueContext ctx;
    ctx.fmt = &fmt;
    ctx.maxLongValueBytes = 1 << 16;
    ctx.readLongRow = [](jet::RowPointer) -> Result<jet::RowBytes> {
        return Status::error(3049, "no long values here");
    };
    for (const jet::RowSlot& slot : page.slots) {
        if (slot.isDeleted() || slot.offset >= slot.end || slot.end > image.size())
            continue;
        const Bytes row(image.data() + slot.offset, slot.length());
        (void)jet::crackRow(fmt, def->schema, row);
        (void)jet::decodeRow(def->schema, row, ctx);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1)
        return 0;
    const uint8_t choice = data[0];
    const jet::JetFormat& fmt = (choice & 1) ? jet::jet4Format() : jet::jet3Format();
    const size_t body = size - 1;
    const size_t pageBytes = std::min<size_t>(body, fmt.pageSize);
    std::vector<uint8_t> image(fmt.pageSize, 0);
    std::copy_n(data + 1, pageBytes, image.begin());
    const Bytes page(image.data(), image.size());
    const Bytes rest(data + 1 + pageBytes, body - pageBytes);

    switch ((choice >> 1) % 4) {
        case 0: {
            auto decoded = jet::decodeDataPage(fmt, 7, page);
            if (decoded.isOk())
                decodeRows(fmt, *decoded, image, rest);
            break;
        }
        case 1:
            (void)jet::decodeIndexPage(fmt, 7, page);
            break;
        case 2:
            (void)jet::decodeTableDefinition(fmt, Bytes(data + 1, body), 1252);
            break;
        default:
            (void)jet::decodeHeader(page);
            break;
    }
    return 0;
}
