// Jet 3 row images against the rows Access 97 wrote: every live row of every Jet 3 fixture is
// decoded, encoded again and compared byte for byte with the stored image (long values given
// back as the fields Access stored, so only the row layout is under test; the fixed fields of
// Null columns, where Access leaves old bytes, count as zero). Hand-made rows cover what the
// fixtures lack: real jump-table entries.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>

#include "engine/base/error_codes.h"
#include "engine/io/file.h"
#include "engine/jet/jet3_row_encoder.h"
#include "engine/jet/jet_storage.h"
#include "engine/jet/row_codec.h"
#include "reader_fixtures.h"

namespace velmora::engine::jet {
namespace {

namespace fs = std::filesystem;

std::string hex(Bytes b) {
    static const char* digits = "0123456789ABCDEF";
    std::string out;
    for (uint8_t x : b) {
        out += digits[x >> 4];
        out += digits[x & 15];
        out += ' ';
    }
    return out;
}

using testing::fixtureDir;

TEST(Jet3Rows, AccessRowsAreReproduced) {
    if (!fs::exists(fixtureDir()))
        GTEST_SKIP() << "the shared fixtures are absent: " << fixtureDir();
    size_t exact = 0, withJumps = 0;
    for (const auto& f : fs::directory_iterator(fixtureDir())) {
        auto db = openDatabase(f.path().string(), io::Env::real());
        if (!db.isOk() || (*db)->format().isJet4())
            continue;
        JetStorage& s = **db;
        const JetFormat& fmt = s.format();
        for (const CatalogEntry& entry : s.catalog()) {
            if (!entry.isTable())
                continue;
            auto def = s.tableDefinition(entry.name);
            auto rows = s.tableRows(entry.name);
            ASSERT_TRUE(def.isOk() && rows.isOk()) << entry.name;
            const store::TableSchema& schema = def->schema;
            for (size_t r = 0; r < rows->rows.size(); ++r) {
                RowPointer at = rows->locations[r].stored;
                auto page = s.pager().read(at.page);
                ASSERT_TRUE(page.isOk());
                auto dp = decodeDataPage(fmt, at.page, **page);
                ASSERT_TRUE(dp.isOk());
                const RowSlot& slot = dp->slots[at.row];
                Bytes raw = Bytes(**page).subspan(slot.offset, slot.length());
                auto fields = crackRow(fmt, schema, raw);
                ASSERT_TRUE(fields.isOk());
                std::map<uint16_t, std::vector<uint8_t>> longFields;
                for (size_t i = 0; i < schema.columns.size(); ++i) {
                    const auto& d = (*fields)[i].data;
                    longFields[schema.columns[i].number].assign(d.begin(), d.end());
                }
                // Access leaves old bytes in the fixed field of a Null column; we write zeros.
                std::vector<uint8_t> normal(raw.begin(), raw.end());
                for (size_t i = 0; i < schema.columns.size(); ++i) {
                    const store::ColumnDef& c = schema.columns[i];
                    if (c.isFixed() && c.type != store::ColumnType::Boolean &&
                        !(*fields)[i].present && c.number < raw[0]) {
                        size_t from = 1 + c.fixedOffset;
                        size_t to = std::min(normal.size(), from + c.length);
                        std::fill(normal.begin() + long(std::min(from, to)),
                                  normal.begin() + long(to), 0);
                    }
                }
                Bytes stored(normal);
                LongValueSink asStored = [&](const store::ColumnDef& c, std::vector<uint8_t>) {
                    return Result<std::vector<uint8_t>>(longFields[c.number]);
                };
                std::string where =
                    f.path().filename().string() + " " + entry.name + " row " + std::to_string(r);
                auto image = encodeJet3Row(schema, rows->rows[r], asStored, s.header().codePage);
                ASSERT_TRUE(image.isOk()) << where << ": " << image.status().toString();
                if (image->size() > 256)
                    ++withJumps;
                if (std::equal(image->begin(), image->end(), stored.begin(), stored.end()))
                    ++exact;
                else
                    ADD_FAILURE() << where << " differs:\n  stored " << hex(stored) << "\n  ours   "
                                  << hex(*image);
            }
        }
    }
    std::cout << exact << " Jet 3 rows reproduced byte for byte, " << withJumps
              << " of them over 256 bytes\n";
    EXPECT_GT(exact, 3000u);
    EXPECT_GT(withJumps, 0u);
}

// Rows long enough for real jump entries, with variable slots on both sides of each
// multiple of 256, read back through the reader's decoder.
TEST(Jet3Rows, JumpTablesRoundTrip) {
    store::TableSchema schema;
    schema.name = "T";
    for (uint16_t i = 0; i < 6; ++i) {
        store::ColumnDef c;
        c.name = "c" + std::to_string(i);
        c.type = i == 0 ? store::ColumnType::Long : store::ColumnType::Text;
        c.number = i;
        c.length = i == 0 ? 4 : 255;
        c.flags = i == 0 ? 0x03 : 0x02;
        c.variableSlot = uint16_t(i == 0 ? 0 : i - 1);
        schema.columns.push_back(c);
    }
    schema.maxColumns = 6;
    schema.variableColumns = 5;
    ValueContext ctx;
    ctx.fmt = &jet3Format();
    // Lengths chosen so that EOD lands just below, on, and above multiples of 256, and one
    // row has an empty slot exactly at a boundary.
    const std::vector<std::vector<size_t>> shapes = {
        {250, 0, 0, 0, 0},    {251, 1, 0, 0, 0},      {200, 55, 0, 0, 0},
        {255, 255, 0, 0, 0},  {100, 155, 0, 200, 55}, {255, 255, 255, 255, 255},
        {10, 20, 30, 40, 50}, {0, 0, 0, 0, 251}};
    for (const auto& shape : shapes) {
        store::Row row{int64_t(7)};
        for (size_t n : shape)
            row.push_back(n == 0 ? store::Value(store::Null{}) : store::Value(std::string(n, 'x')));
        auto image = encodeJet3Row(schema, row, sizingLongValueSink(), 1252);
        ASSERT_TRUE(image.isOk()) << image.status().toString();
        auto back = decodeRow(schema, *image, ctx);
        ASSERT_TRUE(back.isOk()) << back.status().toString() << " size " << image->size();
        EXPECT_EQ(*back, row) << "row of " << image->size() << " bytes";
    }
    // Text the code page cannot hold is refused, not written as question marks.
    store::Row greek{int64_t(1),    std::string("\xCE\xB1\xCE\xB2"),
                     store::Null{}, store::Null{},
                     store::Null{}, store::Null{}};
    EXPECT_EQ(encodeJet3Row(schema, greek, sizingLongValueSink(), 1252).status().code(),
              err::kTypeConversion);
}

}  // namespace
}  // namespace velmora::engine::jet
