// Changes written where the rows are; see table_patch.h.
#include "engine/jet/table_patch.h"

#include <algorithm>
#include <bit>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "engine/base/coding.h"
#include "engine/base/error_codes.h"
#include "engine/jet/index_builder.h"
#include "engine/jet/index_key.h"
#include "engine/jet/index_patch.h"
#include "engine/jet/long_value_patch.h"
#include "engine/jet/row_codec.h"
#include "engine/jet/row_image.h"
#include "engine/jet/row_patch.h"
#include "engine/jet/stored_keys.h"

namespace velmora::engine::jet {
namespace {

using store::TableSchema;

Status damaged(const std::string& table, RowPointer where, const std::string& what) {
    return Status::error(err::kNotADatabase, "table " + table + ": row " +
                                                 std::to_string(where.row) + " of page " +
                                                 std::to_string(where.page) + " " + what);
}

// The data pages of one table as the commit changes them, read when first touched.
class PageEdits {
public:
    PageEdits(JetStorage& storage, CommitPages& out, const TableSchema& schema,
              PageAllocator& allocator)
        : m_storage(storage), m_out(out), m_schema(schema), m_allocator(allocator) {}

    // The table's data page `number`; damage when it is none.
    Result<DataPageEdit*> page(uint32_t number) {
        auto it = m_pages.find(number);
        if (it != m_pages.end())
            return &it->second;
        const JetFormat& fmt = m_storage.format();
        VELMORA_ASSIGN_OR_RETURN(std::vector<uint8_t> bytes,
                                 m_out.current(m_storage.pager(), number));
        if (bytes[0] != page_type::kData || getU32(bytes, fmt.dataOwner) != m_schema.tdefPage) {
            return Status::error(err::kNotADatabase, "table " + m_schema.name + ": page " +
                                                         std::to_string(number) +
                                                         " holds none of its rows");
        }
        VELMORA_ASSIGN_OR_RETURN(DataPageEdit edit,
                                 DataPageEdit::decode(fmt, number, std::move(bytes)));
        return &m_pages.emplace(number, std::move(edit)).first->second;
    }

    // The live slot at `where`; damage when it is missing or deleted.
    Result<DataPageEdit*> liveSlot(RowPointer where) {
        VELMORA_ASSIGN_OR_RETURN(DataPageEdit * edit, page(where.page));
        if (where.row >= edit->slotCount() || (edit->flags(where.row) & row_slot::kDeleted) != 0)
            return damaged(m_schema.name, where, "is not there to change");
        return edit;
    }

    // A place for a row image: the page that took the last one while it has room, at first
    // the table's last page, else a new page of the table.
    Result<RowPointer> place(Bytes image, uint16_t flags) {
        if (!m_targetChosen) {
            m_targetChosen = true;
            VELMORA_ASSIGN_OR_RETURN(
                UsageMap used, m_storage.usageMap(RowPointer::fromU32(m_schema.usedPagesRow)));
            m_usedBefore = used.pages;
            for (auto it = used.pages.rbegin(); it != used.pages.rend() && !m_target; ++it) {
                if (page(*it).isOk())
                    m_target = *it;
            }
            m_lastPage = m_target.value_or(0);
        }
        if (m_target) {
            VELMORA_ASSIGN_OR_RETURN(DataPageEdit * edit, page(*m_target));
            if (std::optional<uint8_t> slot = edit->add(image, flags))
                return RowPointer{*m_target, *slot};
        }
        // Rows are read in page order: new pages come after the table's last.
        const uint32_t number = m_allocator.allocateAfter(m_lastPage);
        m_lastPage = number;
        DataPageEdit& edit =
            m_pages
                .emplace(number, DataPageEdit::fresh(m_storage.format(), number, m_schema.tdefPage))
                .first->second;
        m_newPages.push_back(number);
        m_target = number;
        std::optional<uint8_t> slot = edit.add(image, flags);
        if (!slot) {
            return Status::error(err::kRecordTooLarge, "table " + m_schema.name + ": a row of " +
                                                           std::to_string(image.size()) +
                                                           " bytes does not fit a page");
        }
        return RowPointer{number, *slot};
    }

    // Once more pages than a few are edited, the images of all but the one taking added rows
    // go into the commit: a table changed throughout is then held once, as images, and a page
    // edited again is read back from its image. Only between rows, as it ends the edits
    // page() handed out.
    Status settle() {
        constexpr size_t kPagesHeld = 16;
        if (m_pages.size() <= kPagesHeld)
            return Status::ok();
        for (auto it = m_pages.begin(); it != m_pages.end();) {
            if (m_target && it->first == *m_target) {
                ++it;
                continue;
            }
            if (it->second.changed())
                VELMORA_RETURN_IF_ERROR(m_out.put(it->first, it->second.render()));
            it = m_pages.erase(it);
        }
        return Status::ok();
    }

    // The pages into the commit, and the new ones into the table's usage maps.
    Status finish(std::vector<MapUpdate>& maps) {
        for (auto it = m_pages.begin(); it != m_pages.end(); it = m_pages.erase(it)) {
            if (it->second.changed())
                VELMORA_RETURN_IF_ERROR(m_out.put(it->first, it->second.render()));
        }
        if (!m_newPages.empty()) {
            std::vector<uint32_t> used = m_usedBefore;
            used.insert(used.end(), m_newPages.begin(), m_newPages.end());
            std::sort(used.begin(), used.end());
            maps.push_back({RowPointer::fromU32(m_schema.usedPagesRow), std::move(used)});
        }
        std::vector<uint32_t> roomy;
        std::vector<uint8_t> image;
        for (uint32_t number : m_newPages) {
            VELMORA_ASSIGN_OR_RETURN(const bool put, m_out.find(number, image));
            if (put && getU16(image, m_storage.format().dataFreeSpace) >= kFreeMapThreshold)
                roomy.push_back(number);
        }
        if (!roomy.empty()) {
            // The free-space map keeps what it listed; Access checks a page's room before it
            // uses one, so a page listed that filled up since costs it a look only.
            Result<UsageMap> free = m_storage.usageMap(RowPointer::fromU32(m_schema.freePagesRow));
            if (free.isOk()) {
                roomy.insert(roomy.end(), free->pages.begin(), free->pages.end());
                std::sort(roomy.begin(), roomy.end());
                roomy.erase(std::unique(roomy.begin(), roomy.end()), roomy.end());
                maps.push_back({RowPointer::fromU32(m_schema.freePagesRow), std::move(roomy)});
            }
        }
        return Status::ok();
    }

private:
    JetStorage& m_storage;
    CommitPages& m_out;
    const TableSchema& m_schema;
    PageAllocator& m_allocator;
    std::map<uint32_t, DataPageEdit> m_pages;
    bool m_targetChosen = false;
    std::optional<uint32_t> m_target;
    uint32_t m_lastPage = 0;
    std::vector<uint32_t> m_usedBefore;
    std::vector<uint32_t> m_newPages;
};

// A row's image as the file holds it now, through the pointer of a moved row.
Result<RowBytes> storedImage(JetStorage& storage, const TableSchema& schema, RowPointer where) {
    const JetFormat& fmt = storage.format();
    VELMORA_ASSIGN_OR_RETURN(RowBytes slot, readRowSlot(storage.pager(), fmt, where));
    if (slot.slot.isPointer()) {
        if (slot.bytes.size() < 4)
            return damaged(schema.name, where, "is a pointer of under 4 bytes");
        const RowPointer target = RowPointer::fromU32(getU32(slot.bytes, 0));
        VELMORA_ASSIGN_OR_RETURN(slot, readRowSlot(storage.pager(), fmt, target));
    }
    return slot;
}

// How the rows' values are read from the file, long values included.
ValueContext valueContext(JetStorage& storage) {
    ValueContext ctx;
    ctx.fmt = &storage.format();
    ctx.codePage = storage.header().codePage;
    ctx.maxLongValueBytes = size_t(storage.pager().pageCount()) * storage.format().pageSize;
    ctx.readLongRow = [&storage](RowPointer where) {
        return readRowSlot(storage.pager(), storage.format(), where);
    };
    return ctx;
}

// A row as the file holds it now.
Result<store::Row> storedRow(JetStorage& storage, const TableSchema& schema, RowPointer where) {
    VELMORA_ASSIGN_OR_RETURN(RowBytes slot, storedImage(storage, schema, where));
    Result<store::Row> row = decodeRow(schema, slot.bytes, valueContext(storage));
    if (!row.isOk())
        return row.status().withContext("table " + schema.name + ": ");
    return row;
}

std::vector<uint8_t> pointerTo(RowPointer where) {
    std::vector<uint8_t> bytes(4);
    putU32(bytes, 0, where.toU32());
    return bytes;
}

// The slot a pointer slot names: where the row at `where` was moved to when it outgrew its
// page. A pointer that is too short or names no slot is damage.
struct MovedRow {
    DataPageEdit* page;
    uint8_t row;
};
Result<MovedRow> movedRow(PageEdits& pages, const std::string& table, DataPageEdit& edit,
                          RowPointer where) {
    const Bytes pointer = edit.row(where.row);
    if (pointer.size() < 4)
        return damaged(table, where, "is a pointer of under 4 bytes");
    const RowPointer target = RowPointer::fromU32(getU32(pointer, 0));
    VELMORA_ASSIGN_OR_RETURN(DataPageEdit * moved, pages.page(target.page));
    if (target.row >= moved->slotCount())
        return damaged(table, where, "points to a row that is not there");
    return MovedRow{moved, target.row};
}

// The slot that holds the image of the live row at `where`: its own, or the one its pointer
// names.
Result<MovedRow> imageSlot(PageEdits& pages, const std::string& table, RowPointer where) {
    VELMORA_ASSIGN_OR_RETURN(DataPageEdit * edit, pages.liveSlot(where));
    if ((edit->flags(where.row) & row_slot::kPointer) != 0)
        return movedRow(pages, table, *edit, where);
    return MovedRow{edit, where.row};
}

// An erased row: its slot, and the image it points to when it was moved.
Status eraseRow(PageEdits& pages, const std::string& table, RowPointer where) {
    VELMORA_ASSIGN_OR_RETURN(DataPageEdit * edit, pages.liveSlot(where));
    if ((edit->flags(where.row) & row_slot::kPointer) != 0) {
        VELMORA_ASSIGN_OR_RETURN(MovedRow moved, movedRow(pages, table, *edit, where));
        moved.page->erase(moved.row);
    }
    edit->erase(where.row);
    return Status::ok();
}

// A replaced row: in its slot (or the slot its pointer names) while the page has room for it,
// else moved to a page with room, its slot pointing there.
Status replaceRow(PageEdits& pages, const std::string& table, RowPointer where, Bytes image) {
    VELMORA_ASSIGN_OR_RETURN(DataPageEdit * edit, pages.liveSlot(where));
    if ((edit->flags(where.row) & row_slot::kPointer) == 0) {
        if (edit->replace(where.row, image, edit->flags(where.row)))
            return Status::ok();
    } else {
        VELMORA_ASSIGN_OR_RETURN(MovedRow moved, movedRow(pages, table, *edit, where));
        if (moved.page->replace(moved.row, image, moved.page->flags(moved.row)))
            return Status::ok();
        moved.page->erase(moved.row);
    }
    VELMORA_ASSIGN_OR_RETURN(RowPointer target, pages.place(image, row_slot::kDeleted));
    const std::vector<uint8_t> pointer = pointerTo(target);
    if (!edit->replace(where.row, pointer, row_slot::kPointer))
        return damaged(table, where, "has no room left for the pointer to its new place");
    return Status::ok();
}

// For checkStoredKeys(): the keys of the rows whose index values are still the ones read from
// the file (Table::storedAt()), built from the rows in memory, so that the check reads back
// only the rows changed or erased since. Only the index columns are decoded. `lists` keeps the
// keys' bytes. False, leaving every row to the check, when a key cannot be built here.
bool keysOfStoredRows(const store::Table& table, KeyFormat format, std::vector<IndexKeyList>& lists,
                      UnchangedRowKeys& out) {
    const TableSchema& schema = table.schema();
    std::vector<uint8_t> wanted(schema.columns.size(), 0);
    for (const store::RealIndex& index : schema.realIndexes) {
        for (const store::IndexColumn& ic : index.columns) {
            for (size_t i = 0; i < schema.columns.size(); ++i)
                wanted[i] |= uint8_t(schema.columns[i].number == ic.columnNumber);
        }
    }
    lists.assign(schema.realIndexes.size(), {});
    for (IndexKeyList& list : lists)
        list.reserve(table.storedRowCount());
    out.slots.reserve(table.storedRowCount());
    bool built = true;
    table.forEachLiveColumns(wanted, [&](store::RowId id, const store::Row& row) {
        const uint32_t at = table.storedAt(id);
        // A row an index leaves out has no key there to stand for its stored row's.
        if (!built || at == 0 ||
            std::any_of(schema.realIndexes.begin(), schema.realIndexes.end(),
                        [&](const store::RealIndex& ix) {
                            return ix.ignoresNulls() && allKeyColumnsNull(schema, ix, row);
                        }))
            return;
        for (size_t ix = 0; ix < lists.size() && built; ++ix) {
            built = lists[ix]
                        .add(schema, schema.realIndexes[ix], row, format, RowPointer::fromU32(at))
                        .isOk();
        }
        out.slots.push_back(at);
    });
    if (!built)
        return false;
    // Once a commit wrote the table the places read are forgotten, and with them the count of
    // rows read: no slots then stand for no row at all.
    out.everyStoredRow = !out.slots.empty() && out.slots.size() == table.storedRowCount();
    out.keys.resize(lists.size());
    for (size_t ix = 0; ix < lists.size(); ++ix) {
        out.keys[ix].reserve(lists[ix].size());
        for (size_t k = 0; k < lists[ix].size(); ++k)
            out.keys[ix].push_back(lists[ix].key(k));
    }
    return true;
}

// One table's changes, phase by phase.
class TablePatch {
public:
    TablePatch(JetStorage& storage, const store::Table& table, const TableDefinition& def,
               PageAllocator& allocator, CommitPages& out, RowPlaces& placed)
        : m_storage(storage),
          m_fmt(storage.format()),
          m_table(table),
          m_schema(table.schema()),
          m_def(def),
          m_allocator(allocator),
          m_out(out),
          m_placed(placed),
          m_keyFormat(m_fmt.isJet4() ? KeyFormat::Jet4 : KeyFormat::Jet3),
          m_pages(storage, out, m_schema, allocator),
          m_longValues(storage, out, m_schema, allocator),
          m_hasLongValues(std::any_of(m_schema.columns.begin(), m_schema.columns.end(),
                                      [](const store::ColumnDef& c) { return c.isLongValue(); })),
          m_encoder(m_fmt, storage.header().codePage, m_schema),
          m_patcher(m_fmt, storage.header().codePage, m_schema),
          m_tdef(def.bytes) {}

    // Check keys. Index entries may change when a row was erased or added, or a value of an
    // index column changed; before an entry of ours goes in among the file's, or an index is
    // built anew, the keys the file holds must be ours (stored_keys.h). Entries that only go
    // need no check first: each is taken out where our key for its stored row finds it, bit
    // for bit, and one that Access keyed otherwise is not found there; the index is then built
    // anew, and the check comes before that (writeIndexes()).
    Status checkKeys() {
        const bool erased = !m_table.erasedPlaces().empty();
        bool entering = false;
        for (store::RowId id = 0; id < m_table.idLimit() && !entering; ++id)
            entering = m_table.isLive(id) && m_table.keysChanged(id);
        if ((!erased && !entering) || m_schema.realIndexes.empty())
            return Status::ok();
        if (entering)
            VELMORA_RETURN_IF_ERROR(checkStored());
        m_checkBeforeRebuild = !entering;
        for (const store::RealIndex& ix : m_schema.realIndexes)
            VELMORA_RETURN_IF_ERROR(inTable(checkIndexEncodable(m_schema, ix, m_keyFormat)));
        m_indexChanges.resize(m_schema.realIndexes.size());
        return Status::ok();
    }

    // The entries to take out (and put in again, for rows staying in their slots): those of
    // the erased rows and of the rows whose index values changed, with the keys of the rows
    // as the file holds them.
    Status takeOutEntries() {
        if (m_indexChanges.empty())
            return Status::ok();
        for (uint32_t place : m_table.erasedPlaces())
            VELMORA_RETURN_IF_ERROR(takeOut(RowPointer::fromU32(place), nullptr));
        // Only the changed rows are decoded: a commit of a few rows costs a few rows.
        Status failed;
        store::Row row;
        m_table.forEachLiveId([&](store::RowId id) {
            if (!failed.isOk() || !m_table.keysChanged(id) || m_table.placeOf(id) == 0)
                return;
            m_table.rowInto(id, row);
            failed = takeOut(RowPointer::fromU32(m_table.placeOf(id)), &row);
        });
        return failed;
    }

    // Place rows: erased rows first, so that their room serves the rows that grow; then every
    // changed row in its slot, and the added rows after the others.
    Status placeRows() {
        for (uint32_t place : m_table.erasedPlaces()) {
            VELMORA_RETURN_IF_ERROR(releaseLongValues(RowPointer::fromU32(place)));
            VELMORA_RETURN_IF_ERROR(eraseRow(m_pages, m_schema.name, RowPointer::fromU32(place)));
            VELMORA_RETURN_IF_ERROR(m_pages.settle());
        }
        Status failure;
        m_placed.whole = false;
        store::Row row;
        m_table.forEachLiveId([&](store::RowId id) {
            if (!failure.isOk() || !m_table.isChanged(id))
                return;
            const uint32_t place = m_table.placeOf(id);
            if (place != 0 && m_table.fixedValuesChanged(id) != 0) {
                const Result<bool> patched = patchFixedValues(id, RowPointer::fromU32(place));
                if (!patched.isOk() || *patched) {
                    failure = patched.isOk() ? m_pages.settle() : patched.status();
                    return;
                }
            }
            m_table.rowInto(id, row);
            if (m_table.hasUnreadColumns()) {
                failure = withStoredUnread(place, row);
                if (!failure.isOk())
                    return;
            }
            Result<Bytes> image = encodeChanged(row, place);
            if (!image.isOk()) {
                failure = inTable(image.status());
            } else if (place != 0) {
                failure = replaceRow(m_pages, m_schema.name, RowPointer::fromU32(place), *image);
            } else if (Result<RowPointer> where = m_pages.place(*image, 0); where.isOk()) {
                m_placed.rows.emplace_back(id, where->toU32());
            } else {
                failure = where.status();
            }
            if (failure.isOk())
                failure = m_pages.settle();
        });
        VELMORA_RETURN_IF_ERROR(failure);
        VELMORA_RETURN_IF_ERROR(m_pages.finish(m_maps));
        return inTable(m_longValues.finish(m_maps));
    }

    // Write indexes: the changed entries where they sort, or a tree built anew when it cannot
    // take them so.
    Status writeIndexes() {
        for (size_t ix = 0; ix < m_indexChanges.size(); ++ix) {
            IndexChanges& changes = m_indexChanges[ix];
            for (const auto& [id, place] : m_placed.rows) {
                VELMORA_ASSIGN_OR_RETURN(std::optional<KeyedRow> key,
                                         keyOf(ix, m_table.row(id), RowPointer::fromU32(place)));
                if (key)
                    changes.added.push_back(std::move(*key));
            }
            if (changes.removed.empty() && changes.added.empty())
                continue;
            uint32_t newKeys = 0;
            VELMORA_ASSIGN_OR_RETURN(const bool patched,
                                     patchIndex(m_storage, m_schema.realIndexes[ix], changes,
                                                m_allocator, m_out, m_maps, newKeys));
            if (patched) {
                // Access keeps the count of distinct keys growing only.
                const size_t at = m_fmt.tdefBlocksStart + ix * m_fmt.realIndexCountBlock + 4;
                putU32(m_tdef, at, getU32(m_tdef, at) + newKeys);
                continue;
            }
            if (m_checkBeforeRebuild) {
                VELMORA_RETURN_IF_ERROR(checkStored());
                m_checkBeforeRebuild = false;
            }
            VELMORA_ASSIGN_OR_RETURN(IndexKeyList keys, everyKey(ix));
            VELMORA_RETURN_IF_ERROR(
                writeIndex(m_storage, m_schema, ix, keys, {}, m_allocator, m_out, m_maps, m_tdef));
        }
        return Status::ok();
    }

    // The definition's counts and the usage maps.
    Status finish() {
        VELMORA_RETURN_IF_ERROR(
            writeDefinition(m_storage, m_def, std::move(m_tdef), m_table, m_out));
        return inTable(applyMapUpdates(m_storage, m_maps, m_allocator, m_out));
    }

private:
    Status inTable(const Status& s) const { return s.withContext("table " + m_schema.name + ": "); }

    // The stored keys against ours, once a session, with the keys of the rows unchanged since
    // they were read taken from memory.
    Status checkStored() {
        if (m_storage.keysMatchOurs(m_schema.tdefPage))
            return Status::ok();
        const bool encodable =
            std::all_of(m_schema.realIndexes.begin(), m_schema.realIndexes.end(),
                        [&](const store::RealIndex& ix) {
                            return checkIndexEncodable(m_schema, ix, m_keyFormat).isOk();
                        });
        std::vector<IndexKeyList> lists;
        UnchangedRowKeys unchanged;
        const bool fromMemory =
            encodable && keysOfStoredRows(m_table, m_keyFormat, lists, unchanged);
        return checkStoredKeys(m_storage, m_schema.name, fromMemory ? &unchanged : nullptr);
    }

    // A row changed in fixed-width values alone, stored at `where`: those values written over
    // its image where it is (row_patch.h; invariant 1: its page is one the commit changes in
    // place). False, changing nothing, when the image must be encoded whole.
    Result<bool> patchFixedValues(store::RowId id, RowPointer where) {
        const uint64_t positions = m_table.fixedValuesChanged(id);
        m_patchValues.resize(m_schema.columns.size());
        for (uint64_t left = positions; left != 0; left &= left - 1) {
            const auto c = size_t(std::countr_zero(left));
            m_table.valueInto(id, c, m_patchValues[c]);
        }
        VELMORA_ASSIGN_OR_RETURN(MovedRow slot, imageSlot(m_pages, m_schema.name, where));
        // The image keeps its length, so it stays in its slot, changed where it is.
        bool patched = false;
        VELMORA_RETURN_IF_ERROR(slot.page->rewrite(slot.row, [&](MutableBytes image) -> Status {
            VELMORA_ASSIGN_OR_RETURN(patched, m_patcher.patch(image, positions, m_patchValues));
            return Status::ok();
        }));
        return patched;
    }

    // `row`, read from the table, with the values of its unread columns (Table::unreadColumns())
    // as the row stored at `place` holds them: for a row whose fixed values could not be
    // written over its image (one stored before the table had all its columns).
    Status withStoredUnread(uint32_t place, store::Row& row) {
        if (place == 0)
            return inTable(Status::error(err::kInvalidOperation, "a new row, columns unread"));
        VELMORA_ASSIGN_OR_RETURN(store::Row stored,
                                 storedRow(m_storage, m_schema, RowPointer::fromU32(place)));
        for (const int c : m_table.unreadColumns())
            row[size_t(c)] = std::move(stored[size_t(c)]);
        return Status::ok();
    }

    // The image of a changed row stored at `place` (0 for an added row), valid until the next
    // row is encoded. Its long values stay inline when small, unless that makes the row too
    // large; a value the stored row holds already keeps its field as it is, and the values the
    // row no longer holds leave their LVAL pages.
    Result<Bytes> encodeChanged(const store::Row& row, uint32_t place) {
        if (!m_hasLongValues) {
            return m_encoder.encode(row, refusingLongValueSink());
        }
        static const LongValueSink sizing = sizingLongValueSink();
        const bool allowInline = m_encoder.encode(row, sizing).isOk();
        RowBytes image;
        std::vector<RowField> stored;
        if (place != 0) {
            VELMORA_ASSIGN_OR_RETURN(image,
                                     storedImage(m_storage, m_schema, RowPointer::fromU32(place)));
            VELMORA_ASSIGN_OR_RETURN(stored, crackRow(m_fmt, m_schema, image.bytes));
        }
        const ValueContext ctx = valueContext(m_storage);
        std::vector<bool> given(m_schema.columns.size(), false);
        std::vector<std::pair<const store::ColumnDef*, Bytes>> gone;
        const LongValueSink keepOrStore =
            [&](const store::ColumnDef& c,
                std::vector<uint8_t> data) -> Result<std::vector<uint8_t>> {
            const size_t i = positionOf(c.number);
            given[i] = true;
            if (!stored.empty() && stored[i].present &&
                stored[i].data.size() >= long_value::kHeaderSize) {
                const Bytes old = stored[i].data;
                if (allowInline || old[3] != long_value::kInline) {
                    VELMORA_ASSIGN_OR_RETURN(
                        std::vector<uint8_t> was,
                        readLongValue(old, ctx.readLongRow, ctx.maxLongValueBytes));
                    if (was == data)
                        return std::vector<uint8_t>(old.begin(), old.end());
                }
                gone.emplace_back(&c, old);
            }
            return m_longValues.store(c, data, allowInline);
        };
        VELMORA_ASSIGN_OR_RETURN(const Bytes encoded, m_encoder.encode(row, keepOrStore));
        // A value set to Null reaches no sink.
        for (size_t i = 0; i < stored.size(); ++i) {
            if (!given[i] && m_schema.columns[i].isLongValue() && stored[i].present)
                gone.emplace_back(&m_schema.columns[i], stored[i].data);
        }
        for (const auto& [column, field] : gone)
            VELMORA_RETURN_IF_ERROR(m_longValues.release(*column, field));
        return encoded;
    }

    // The long values of the stored row at `where` leave their LVAL pages.
    Status releaseLongValues(RowPointer where) {
        if (!m_hasLongValues)
            return Status::ok();
        VELMORA_ASSIGN_OR_RETURN(RowBytes image, storedImage(m_storage, m_schema, where));
        VELMORA_ASSIGN_OR_RETURN(std::vector<RowField> stored,
                                 crackRow(m_fmt, m_schema, image.bytes));
        for (size_t i = 0; i < stored.size(); ++i) {
            if (m_schema.columns[i].isLongValue() && stored[i].present)
                VELMORA_RETURN_IF_ERROR(
                    inTable(m_longValues.release(m_schema.columns[i], stored[i].data)));
        }
        return Status::ok();
    }

    size_t positionOf(uint16_t columnNumber) const {
        for (size_t i = 0; i < m_schema.columns.size(); ++i) {
            if (m_schema.columns[i].number == columnNumber)
                return i;
        }
        return 0;  // the encoder hands out the schema's own columns
    }

    // The entry of `row`, stored at `where`, in real index ix; none when the index leaves it
    // out.
    Result<std::optional<KeyedRow>> keyOf(size_t ix, const store::Row& row,
                                          RowPointer where) const {
        const store::RealIndex& index = m_schema.realIndexes[ix];
        if (index.ignoresNulls() && allKeyColumnsNull(m_schema, index, row))
            return std::optional<KeyedRow>();
        KeyedRow k;
        k.row = where;
        VELMORA_RETURN_IF_ERROR(inTable(appendIndexKey(k.key, m_schema, index, row, m_keyFormat)));
        return std::optional(std::move(k));
    }

    // The entries of the stored row at `where` go; those of `now`, its new values, come.
    Status takeOut(RowPointer where, const store::Row* now) {
        VELMORA_ASSIGN_OR_RETURN(store::Row stored, storedRow(m_storage, m_schema, where));
        for (size_t ix = 0; ix < m_indexChanges.size(); ++ix) {
            VELMORA_ASSIGN_OR_RETURN(std::optional<KeyedRow> old, keyOf(ix, stored, where));
            std::optional<KeyedRow> fresh;
            if (now != nullptr) {
                VELMORA_ASSIGN_OR_RETURN(fresh, keyOf(ix, *now, where));
            }
            if (old && fresh && old->key == fresh->key)
                continue;
            if (old)
                m_indexChanges[ix].removed.push_back(std::move(*old));
            if (fresh)
                m_indexChanges[ix].added.push_back(std::move(*fresh));
        }
        return Status::ok();
    }

    // Every row's entry in real index ix, at its place after this commit.
    Result<IndexKeyList> everyKey(size_t ix) const {
        const store::RealIndex& index = m_schema.realIndexes[ix];
        IndexKeyList keys;
        keys.reserve(m_table.liveRowCount());
        Status failure;
        auto added = m_placed.rows.begin();
        m_table.forEachLive([&](store::RowId id, const store::Row& row) {
            uint32_t place = m_table.placeOf(id);
            if (added != m_placed.rows.end() && added->first == id)
                place = (added++)->second;
            if (!failure.isOk())
                return;
            if (place == 0) {
                failure = Status::error(err::kNotADatabase,
                                        "table " + m_schema.name + ": a row without a place");
            } else if (!index.ignoresNulls() || !allKeyColumnsNull(m_schema, index, row)) {
                failure = inTable(
                    keys.add(m_schema, index, row, m_keyFormat, RowPointer::fromU32(place)));
            }
        });
        VELMORA_RETURN_IF_ERROR(failure);
        return keys;
    }

    JetStorage& m_storage;
    const JetFormat& m_fmt;
    const store::Table& m_table;
    const TableSchema& m_schema;
    const TableDefinition& m_def;
    PageAllocator& m_allocator;
    CommitPages& m_out;
    RowPlaces& m_placed;
    const KeyFormat m_keyFormat;
    PageEdits m_pages;
    LongValueEdits m_longValues;
    const bool m_hasLongValues;
    RowEncoder m_encoder;
    FixedValuePatcher m_patcher;
    store::Row m_patchValues;  // the values patchFixedValues() writes, at their positions
    std::vector<uint8_t> m_tdef;
    std::vector<MapUpdate> m_maps;
    std::vector<IndexChanges> m_indexChanges;  // by real index; empty when no entry changes
    bool m_checkBeforeRebuild = false;         // the stored keys, unchecked, are only taken out
};

}  // namespace

Result<bool> patchTable(JetStorage& storage, const store::Table& table, const TableDefinition& def,
                        PageAllocator& allocator, CommitPages& out, RowPlaces& placed) {
    // A long-value column without maps of its own takes back the pages of its old values
    // only when the table is written anew (table_writer.h).
    const store::TableSchema& schema = table.schema();
    const bool unmappedLongValues =
        std::any_of(schema.columns.begin(), schema.columns.end(), [&](const store::ColumnDef& c) {
            return c.isLongValue() &&
                   std::none_of(
                       schema.longValueMaps.begin(), schema.longValueMaps.end(),
                       [&](const store::LongValueMaps& m) { return m.columnNumber == c.number; });
        });
    if (!table.placesKnown() || unmappedLongValues)
        return false;
    TablePatch patch(storage, table, def, allocator, out, placed);
    VELMORA_RETURN_IF_ERROR(patch.checkKeys());
    VELMORA_RETURN_IF_ERROR(patch.takeOutEntries());
    VELMORA_RETURN_IF_ERROR(patch.placeRows());
    VELMORA_RETURN_IF_ERROR(patch.writeIndexes());
    VELMORA_RETURN_IF_ERROR(patch.finish());
    return true;
}

}  // namespace velmora::engine::jet
