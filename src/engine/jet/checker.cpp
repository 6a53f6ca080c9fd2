// The structural check; see checker.h.
#include "engine/jet/checker.h"

#include <algorithm>
#include <map>
#include <set>
#include <string>

#include "engine/base/error_codes.h"
#include "engine/jet/index_builder.h"
#include "engine/jet/index_key.h"
#include "engine/jet/row_codec.h"

namespace velmora::engine::jet {
namespace {

class Checker {
public:
    explicit Checker(JetStorage& db) : m_db(db), m_fmt(db.format()) {}

    Result<CheckReport> run() {
        io::Pager& pager = m_db.pager();
        m_report.pagesChecked = pager.pageCount();
        claim(0, "the database header");
        claim(1, "the global usage map");
        VELMORA_ASSIGN_OR_RETURN(UsageMap global, m_db.globalUsageMap());
        for (uint32_t p : global.pages)
            m_free.insert(p);
        for (uint32_t p : global.mapPages) {
            if (p != 0)
                claim(p, "the global usage map");
        }
        for (const CatalogEntry& e : m_db.catalog()) {
            if (e.isTable())
                checkTable(e.name);
        }
        finishPages();
        return m_report;
    }

private:
    void problem(const std::string& s) { m_report.problems.push_back(s); }

    void claim(uint32_t page, const std::string& owner) { m_owners[page].insert(owner); }

    void claimMap(RowPointer where, const std::string& table) {
        if (where.page == 0)
            return;
        // Host pages carry the maps of many objects: one owner, "usage maps".
        claim(where.page, "usage maps");
        Result<UsageMap> m = m_db.usageMap(where);
        if (!m.isOk()) {
            problem(table + ": " + m.status().message());
            return;
        }
        for (uint32_t p : m->mapPages) {
            if (p != 0)
                claim(p, "usage map pages of " + table);
        }
    }

    void checkDataPage(const std::string& table, const DataPage& dp) {
        if (dp.freeSpace != dp.computedFreeSpace(m_fmt)) {
            problem(table + ": page " + std::to_string(dp.number) + " says " +
                    std::to_string(dp.freeSpace) + " free bytes, its rows leave " +
                    std::to_string(dp.computedFreeSpace(m_fmt)));
        }
        if (dp.slots.size() > kMaxSlotsPerPage)
            problem(table + ": page " + std::to_string(dp.number) + " has over 255 rows");
    }

    // Follows the long values of one row, claiming their pages.
    void checkLongValues(const std::string& table, const store::TableSchema& schema, Bytes image) {
        Result<std::vector<RowField>> fields = crackRow(m_fmt, schema, image);
        if (!fields.isOk())
            return;  // reported by the row scan
        for (size_t i = 0; i < schema.columns.size(); ++i) {
            const auto& c = schema.columns[i];
            const RowField& f = (*fields)[i];
            if (!c.isLongValue() || !f.present || f.data.size() < 12)
                continue;
            uint8_t kind = f.data[3] & 0xC0;
            if (kind == long_value::kInline)
                continue;
            RowPointer where = RowPointer::fromU32(getU32(f.data, 4));
            std::set<uint32_t> seen;
            for (int hop = 0; hop < 100000; ++hop) {
                if (!seen.insert(where.toU32()).second) {
                    problem(table + "." + c.name + ": long value chain loops");
                    break;
                }
                Result<RowBytes> row = readRowSlot(m_db.pager(), m_fmt, where);
                if (!row.isOk()) {
                    problem(table + "." + c.name + ": " + row.status().message());
                    break;
                }
                Result<io::PageRef> page = m_db.pager().read(where.page);
                if (page.isOk() && getU32(**page, m_fmt.dataOwner) != kLongValueOwner) {
                    problem(table + "." + c.name + ": long value on page " +
                            std::to_string(where.page) + ", which is not an LVAL page");
                }
                m_lvalPages[where.page].insert(table);
                if (kind == long_value::kSingleRow || row->bytes.size() < 4)
                    break;
                uint32_t next = getU32(row->bytes, 0);
                if (next == 0)
                    break;
                where = RowPointer::fromU32(next);
            }
        }
    }

    void checkTable(const std::string& name) {
        Result<TableDefinition> def = m_db.tableDefinition(name);
        if (!def.isOk()) {
            problem(name + ": " + def.status().message());
            return;
        }
        const store::TableSchema& schema = def->schema;
        for (uint32_t p : def->pages)
            claim(p, "table definition of " + name);
        claimMap(RowPointer::fromU32(schema.usedPagesRow), name);
        claimMap(RowPointer::fromU32(schema.freePagesRow), name);
        for (const auto& m : schema.longValueMaps) {
            claimMap(RowPointer::fromU32(m.ownedPagesRow), name);
            claimMap(RowPointer::fromU32(m.freeSpaceRow), name);
        }

        Result<std::vector<DataPage>> pages = m_db.tableDataPages(name);
        if (!pages.isOk()) {
            problem(name + ": " + pages.status().message());
            return;
        }
        for (const DataPage& dp : *pages) {
            claim(dp.number, "data of " + name);
            checkDataPage(name, dp);
            Result<io::PageRef> page = m_db.pager().read(dp.number);
            if (!page.isOk())
                continue;
            for (const RowSlot& s : dp.slots) {
                if (s.isDeleted() || s.isPointer())
                    continue;
                checkLongValues(name, schema, Bytes(**page).subspan(s.offset, s.length()));
            }
            // Moved rows: their images live on pages of the table too.
            for (const RowSlot& s : dp.slots) {
                if (!s.isDeleted() && s.isPointer() && s.length() >= 4) {
                    RowPointer target = RowPointer::fromU32(getU32(**page, s.offset));
                    Result<RowBytes> t = readRowSlot(m_db.pager(), m_fmt, target);
                    if (t.isOk())
                        checkLongValues(name, schema, t->bytes);
                }
            }
        }
        Result<TableRows> rows = m_db.tableRows(name);
        if (!rows.isOk()) {
            problem(name + ": " + rows.status().message());
            return;
        }
        m_report.rowsChecked += rows->rows.size();
        if (def->rowCount != rows->rows.size()) {
            // Access itself leaves such counts (an MSysQueries counting 82 of 90 rows, a user
            // table counting 274 of 275); readers go by the rows, and our writer stores the
            // true count whenever it writes the table.
            m_report.notes.push_back(name + ": the table definition counts " +
                                     std::to_string(def->rowCount) + " rows, " +
                                     std::to_string(rows->rows.size()) +
                                     " were found (Access leaves such counts; the next write of "
                                     "the table stores the true one)");
        }
        KeyFormat format = m_fmt.isJet4() ? KeyFormat::Jet4 : KeyFormat::Jet3;
        for (size_t ix = 0; ix < schema.realIndexes.size(); ++ix)
            checkIndex(name, schema, ix, *rows, format);
    }

    // A node entry holds the key and row of the last leaf entry under its child: a seek that
    // compares against it goes down the right way only then.
    void checkNodeEntries(const std::string& what, const std::vector<IndexPage>& tree) {
        std::map<uint32_t, const IndexPage*> byNumber;
        for (const IndexPage& p : tree)
            byNumber[p.number] = &p;
        // The last leaf entry under a page: down the tails (the tree walk refused loops).
        auto lastUnder = [&](uint32_t number) -> const IndexEntry* {
            for (size_t hop = 0; hop <= tree.size(); ++hop) {
                auto it = byNumber.find(number);
                if (it == byNumber.end())
                    return nullptr;
                const IndexPage& p = *it->second;
                if (p.isLeaf())
                    return p.entries.empty() ? nullptr : &p.entries.back();
                number = p.tailPage;
            }
            return nullptr;
        };
        for (const IndexPage& p : tree) {
            if (p.isLeaf())
                continue;
            for (const IndexEntry& e : p.entries) {
                const IndexEntry* last = lastUnder(e.childPage);
                if (last == nullptr || last->key != e.key || last->dataPage != e.dataPage ||
                    last->dataRow != e.dataRow) {
                    problem(what + ": node page " + std::to_string(p.number) +
                            " holds an entry for page " + std::to_string(e.childPage) +
                            " that is not that page's last entry");
                }
            }
        }
    }

    void checkIndex(const std::string& table, const store::TableSchema& schema, size_t ix,
                    const TableRows& rows, KeyFormat format) {
        const store::RealIndex& index = schema.realIndexes[ix];
        std::string what = table + " index " + std::to_string(ix);
        for (const auto& li : schema.logicalIndexes) {
            if (li.realIndex == ix) {
                what = table + " index '" + li.name + "'";
                break;
            }
        }
        claimMap(RowPointer::fromU32(index.usageMapRow), table);
        Result<std::vector<IndexPage>> tree = m_db.indexPages(index);
        if (!tree.isOk()) {
            problem(what + ": " + tree.status().message());
            return;
        }
        std::vector<const IndexPage*> leaves;
        for (const IndexPage& p : *tree) {
            claim(p.number, "pages of " + what);
            size_t used = m_fmt.ixEntries + p.usedBytes;
            if (p.freeSpace != m_fmt.pageSize - used) {
                problem(what + ": page " + std::to_string(p.number) + " says " +
                        std::to_string(p.freeSpace) + " free bytes, its entries leave " +
                        std::to_string(m_fmt.pageSize - used));
            }
            if (p.owner != schema.tdefPage) {
                problem(what + ": page " + std::to_string(p.number) + " names owner " +
                        std::to_string(p.owner));
            }
            if (p.isLeaf())
                leaves.push_back(&p);
        }
        // Leaves in tree order must be linked in that order.
        for (size_t i = 0; i < leaves.size(); ++i) {
            uint32_t prev = i > 0 ? leaves[i - 1]->number : 0;
            uint32_t next = i + 1 < leaves.size() ? leaves[i + 1]->number : 0;
            if (leaves[i]->prevPage != prev || leaves[i]->nextPage != next) {
                problem(what + ": leaf page " + std::to_string(leaves[i]->number) +
                        " is not linked to its neighbours");
                break;
            }
        }
        checkNodeEntries(what, *tree);
        std::map<uint32_t, size_t> bySlot;
        for (size_t i = 0; i < rows.locations.size(); ++i)
            bySlot[rows.locations[i].slot.toU32()] = i;
        size_t expected = 0;
        for (const store::Row& r : rows.rows) {
            if (!(index.ignoresNulls() && allKeyColumnsNull(schema, index, r)))
                ++expected;
        }
        size_t count = 0;
        size_t uncovered = 0;
        const LeafEntry* prevEntry = nullptr;
        LeafEntry prevStore;
        for (const IndexPage* leaf : leaves) {
            for (const IndexEntry& e : leaf->entries) {
                ++count;
                LeafEntry le{e.key, e.dataPage, e.dataRow};
                if (prevEntry && !entryLess(*prevEntry, le)) {
                    problem(what + ": entries out of order on page " +
                            std::to_string(leaf->number));
                }
                prevStore = le;
                prevEntry = &prevStore;
                auto it = bySlot.find(RowPointer{e.dataPage, e.dataRow}.toU32());
                if (it == bySlot.end()) {
                    problem(what + ": an entry points at page " + std::to_string(e.dataPage) +
                            " row " + std::to_string(e.dataRow) + ", where no row lives");
                    continue;
                }
                Result<KeyBytes> key = encodeIndexKey(schema, index, rows.rows[it->second], format);
                if (!key.isOk()) {
                    ++uncovered;
                    continue;
                }
                ++m_report.indexEntriesChecked;
                if (*key != e.key) {
                    problem(what + ": the entry for page " + std::to_string(e.dataPage) + " row " +
                            std::to_string(e.dataRow) + " differs from the key of its row");
                }
            }
        }
        if (count != expected) {
            problem(what + ": " + std::to_string(count) + " entries for " +
                    std::to_string(expected) + " rows");
        }
        if (uncovered > 0) {
            m_report.notes.push_back(what + ": " + std::to_string(uncovered) +
                                     " keys not compared (sort order or characters outside "
                                     "our tables)");
        }
    }

    void finishPages() {
        for (const auto& [page, tables] : m_lvalPages) {
            std::string owner = "long values of " + *tables.begin();
            claim(page, owner);
            if (tables.size() > 1)
                problem("page " + std::to_string(page) + " holds long values of several tables");
        }
        size_t idle = 0;
        io::Pager& pager = m_db.pager();
        for (uint32_t p = 0; p < pager.pageCount(); ++p) {
            auto it = m_owners.find(p);
            bool free = m_free.count(p) != 0;
            if (it == m_owners.end()) {
                if (!free)
                    ++idle;
                continue;
            }
            if (it->second.size() > 1) {
                std::string list;
                for (const auto& o : it->second)
                    list += (list.empty() ? "" : ", ") + o;
                problem("page " + std::to_string(p) + " has several owners: " + list);
            }
            if (free)
                problem("page " + std::to_string(p) + " is used (" + *it->second.begin() +
                        ") but marked free in the global map");
        }
        if (idle > 0) {
            m_report.notes.push_back(std::to_string(idle) +
                                     " pages are neither used nor marked free (harmless)");
        }
    }

    JetStorage& m_db;
    const JetFormat& m_fmt;
    CheckReport m_report;
    std::map<uint32_t, std::set<std::string>> m_owners;
    std::map<uint32_t, std::set<std::string>> m_lvalPages;
    std::set<uint32_t> m_free;
};

}  // namespace

Result<CheckReport> checkDatabase(JetStorage& db) {
    return Checker(db).run();
}

}  // namespace velmora::engine::jet
