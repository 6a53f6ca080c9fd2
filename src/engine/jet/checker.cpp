// The structural check; see checker.h.
#include "engine/jet/checker.h"

#include <algorithm>
#include <map>
#include <optional>
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
    explicit Checker(JetStorage& db)
        : m_db(db),
          m_fmt(db.format()),
          m_keyFormat(m_fmt.isJet4() ? KeyFormat::Jet4 : KeyFormat::Jet3) {
        m_values.fmt = &m_fmt;
        m_values.codePage = db.header().codePage;
        m_values.maxLongValueBytes = size_t(db.pager().pageCount()) * m_fmt.pageSize;
        m_values.readLongRow = [this](RowPointer where) {
            return readRowSlot(m_db.pager(), m_fmt, where);
        };
    }

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
        std::optional<RowScan> scan = scanRows(*def);
        if (!scan)
            return;
        m_report.rowsChecked += scan->rows.size();
        if (def->rowCount != scan->rows.size()) {
            // Access itself leaves such counts (an MSysQueries counting 82 of 90 rows, a user
            // table counting 274 of 275); readers go by the rows, and our writer stores the
            // true count whenever it writes the table.
            m_report.notes.push_back(name + ": the table definition counts " +
                                     std::to_string(def->rowCount) + " rows, " +
                                     std::to_string(scan->rows.size()) +
                                     " were found (Access leaves such counts; the next write of "
                                     "the table stores the true one)");
        }
        for (size_t ix = 0; ix < schema.realIndexes.size(); ++ix)
            checkIndex(*def, ix, *scan);
    }

    // One pass over the rows of a table: where each live row lies, sorted by the slot that
    // index entries point at, and how many rows each real index must hold. The rows
    // themselves are not kept; an index check reads again the row each entry points at.
    struct RowScan {
        std::vector<RowLocation> rows;
        std::vector<size_t> indexed;  // per real index
    };

    std::optional<RowScan> scanRows(const TableDefinition& def) {
        const store::TableSchema& schema = def.schema;
        RowScan scan;
        scan.indexed.assign(schema.realIndexes.size(), 0);
        const Status scanned = m_db.scanRows(def, [&](store::Row&& row, const RowLocation& where) {
            scan.rows.push_back(where);
            for (size_t ix = 0; ix < schema.realIndexes.size(); ++ix) {
                const store::RealIndex& index = schema.realIndexes[ix];
                if (!(index.ignoresNulls() && allKeyColumnsNull(schema, index, row)))
                    ++scan.indexed[ix];
            }
            return Status::ok();
        });
        if (!scanned.isOk()) {
            problem(schema.name + ": " + scanned.message());
            return std::nullopt;
        }
        std::sort(scan.rows.begin(), scan.rows.end(),
                  [](const RowLocation& a, const RowLocation& b) {
                      return a.slot.toU32() < b.slot.toU32();
                  });
        return scan;
    }

    // The live row whose slot an index entry names, or null.
    static const RowLocation* rowAtSlot(const RowScan& scan, RowPointer slot) {
        auto it = std::lower_bound(
            scan.rows.begin(), scan.rows.end(), slot.toU32(),
            [](const RowLocation& row, uint32_t wanted) { return row.slot.toU32() < wanted; });
        return it != scan.rows.end() && it->slot == slot ? &*it : nullptr;
    }

    Result<store::Row> readRow(const TableDefinition& def, const RowLocation& where) {
        VELMORA_ASSIGN_OR_RETURN(RowBytes image, readRowSlot(m_db.pager(), m_fmt, where.stored));
        return decodeRow(def.schema, image.bytes, m_values);
    }

    // An index of a table, one page of its tree at a time: the pages' own fields, the order of
    // the leaves and of their entries, and each entry against the row it points at.
    void checkIndex(const TableDefinition& def, size_t ix, const RowScan& scan) {
        const store::TableSchema& schema = def.schema;
        const store::RealIndex& index = schema.realIndexes[ix];
        const std::string what = indexName(schema, ix);
        claimMap(RowPointer::fromU32(index.usageMapRow), schema.name);
        IndexEntryCheck entries(def, index, what, scan);
        std::vector<LeafLinks> leaves;
        NodeEntries nodes;
        const Status walked =
            visitIndexTree(m_db.pager(), m_fmt, index.rootPage, [&](IndexPage&& p) {
                checkIndexPage(what, schema, p);
                nodes.note(p);
                if (p.isLeaf()) {
                    leaves.push_back({p.number, p.prevPage, p.nextPage});
                    for (const IndexEntry& e : p.entries)
                        checkEntry(entries, p.number, e);
                }
                return Status::ok();
            });
        if (!walked.isOk()) {
            problem(what + ": " + walked.message());
            return;
        }
        // Leaves in tree order must be linked in that order.
        for (size_t i = 0; i < leaves.size(); ++i) {
            const uint32_t prev = i > 0 ? leaves[i - 1].number : 0;
            const uint32_t next = i + 1 < leaves.size() ? leaves[i + 1].number : 0;
            if (leaves[i].prev != prev || leaves[i].next != next) {
                problem(what + ": leaf page " + std::to_string(leaves[i].number) +
                        " is not linked to its neighbours");
                break;
            }
        }
        checkNodeEntries(what, nodes);
        if (entries.count != scan.indexed[ix]) {
            problem(what + ": " + std::to_string(entries.count) + " entries for " +
                    std::to_string(scan.indexed[ix]) + " rows");
        }
        if (entries.uncovered > 0) {
            m_report.notes.push_back(what + ": " + std::to_string(entries.uncovered) +
                                     " keys not compared (sort order or characters outside "
                                     "our tables)");
        }
    }

    static std::string indexName(const store::TableSchema& schema, size_t ix) {
        for (const auto& li : schema.logicalIndexes) {
            if (li.realIndex == ix)
                return schema.name + " index '" + li.name + "'";
        }
        return schema.name + " index " + std::to_string(ix);
    }

    void checkIndexPage(const std::string& what, const store::TableSchema& schema,
                        const IndexPage& p) {
        claim(p.number, "pages of " + what);
        const size_t used = m_fmt.ixEntries + p.usedBytes;
        if (p.freeSpace != m_fmt.pageSize - used) {
            problem(what + ": page " + std::to_string(p.number) + " says " +
                    std::to_string(p.freeSpace) + " free bytes, its entries leave " +
                    std::to_string(m_fmt.pageSize - used));
        }
        if (p.owner != schema.tdefPage) {
            problem(what + ": page " + std::to_string(p.number) + " names owner " +
                    std::to_string(p.owner));
        }
    }

    struct LeafLinks {
        uint32_t number, prev, next;
    };

    // What the node entries of one index are checked against, kept per page rather than per
    // entry: every node entry, each node page's tail and each leaf's last entry.
    struct NodeEntries {
        struct Entry {
            uint32_t node;
            IndexEntry entry;
        };
        std::vector<Entry> entries;                 // in tree order
        std::map<uint32_t, uint32_t> tails;         // node page -> its tail page
        std::map<uint32_t, IndexEntry> lastOfLeaf;  // leaf page with entries -> its last one

        void note(const IndexPage& p) {
            if (p.isLeaf()) {
                if (!p.entries.empty())
                    lastOfLeaf[p.number] = p.entries.back();
                return;
            }
            tails[p.number] = p.tailPage;
            for (const IndexEntry& e : p.entries)
                entries.push_back({p.number, e});
        }
        // The last leaf entry under a page: down the tails (the tree walk refused loops).
        const IndexEntry* lastUnder(uint32_t number) const {
            for (size_t hop = 0; hop <= tails.size(); ++hop) {
                if (auto leaf = lastOfLeaf.find(number); leaf != lastOfLeaf.end())
                    return &leaf->second;
                auto node = tails.find(number);
                if (node == tails.end())
                    return nullptr;  // an empty leaf, or no page of this tree
                number = node->second;
            }
            return nullptr;
        }
    };

    // A node entry holds the key and row of the last leaf entry under its child: a seek that
    // compares against it goes down the right way only then.
    void checkNodeEntries(const std::string& what, const NodeEntries& nodes) {
        for (const NodeEntries::Entry& n : nodes.entries) {
            const IndexEntry& e = n.entry;
            const IndexEntry* last = nodes.lastUnder(e.childPage);
            if (last == nullptr || last->key != e.key || last->dataPage != e.dataPage ||
                last->dataRow != e.dataRow) {
                problem(what + ": node page " + std::to_string(n.node) +
                        " holds an entry for page " + std::to_string(e.childPage) +
                        " that is not that page's last entry");
            }
        }
    }

    // The walk over one index's leaf entries, in tree order.
    struct IndexEntryCheck {
        IndexEntryCheck(const TableDefinition& d, const store::RealIndex& i, const std::string& w,
                        const RowScan& s)
            : def(d), index(i), what(w), scan(s) {}
        const TableDefinition& def;
        const store::RealIndex& index;
        const std::string& what;
        const RowScan& scan;
        size_t count = 0;
        size_t uncovered = 0;
        // The previous entry, copied: its page has gone by the time the next page is read.
        bool hasPrevious = false;
        std::vector<uint8_t> previousKey;
        uint32_t previousPage = 0;
        uint8_t previousRow = 0;
    };

    void checkEntry(IndexEntryCheck& walk, uint32_t leafPage, const IndexEntry& e) {
        ++walk.count;
        const LeafEntry entry{e.key, e.dataPage, e.dataRow};
        if (walk.hasPrevious &&
            !entryLess(LeafEntry{walk.previousKey, walk.previousPage, walk.previousRow}, entry))
            problem(walk.what + ": entries out of order on page " + std::to_string(leafPage));
        walk.hasPrevious = true;
        walk.previousKey = e.key;
        walk.previousPage = e.dataPage;
        walk.previousRow = e.dataRow;

        const std::string entryName =
            "page " + std::to_string(e.dataPage) + " row " + std::to_string(e.dataRow);
        const RowLocation* where = rowAtSlot(walk.scan, RowPointer{e.dataPage, e.dataRow});
        if (!where) {
            problem(walk.what + ": an entry points at " + entryName + ", where no row lives");
            return;
        }
        Result<store::Row> row = readRow(walk.def, *where);
        if (!row.isOk()) {
            problem(walk.what + ": the row of the entry for " + entryName + ": " +
                    row.status().message());
            return;
        }
        Result<KeyBytes> key = encodeIndexKey(walk.def.schema, walk.index, *row, m_keyFormat);
        if (!key.isOk()) {
            ++walk.uncovered;
            return;
        }
        ++m_report.indexEntriesChecked;
        if (*key != e.key)
            problem(walk.what + ": the entry for " + entryName +
                    " differs from the key of its row");
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
    const KeyFormat m_keyFormat;
    ValueContext m_values;  // decodes the rows index entries point at
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
