// Index entries changed where they sort; see index_patch.h.
#include "engine/jet/index_patch.h"

#include <algorithm>
#include <cstring>
#include <map>
#include <optional>
#include <set>
#include <vector>

#include "engine/base/coding.h"

namespace velmora::engine::jet {
namespace {

constexpr int kMaxTreeDepth = 32;

// Orders an entry against (key, row) as the tree does: key bytes, then page, then row.
int compare(const IndexEntry& e, std::span<const uint8_t> key, RowPointer row) {
    const size_t common = std::min(e.key.size(), key.size());
    const int order = common == 0 ? 0 : std::memcmp(e.key.data(), key.data(), common);
    if (order != 0)
        return order;
    if (e.key.size() != key.size())
        return e.key.size() < key.size() ? -1 : 1;
    if (e.dataPage != row.page)
        return e.dataPage < row.page ? -1 : 1;
    if (e.dataRow != row.row)
        return e.dataRow < row.row ? -1 : 1;
    return 0;
}

size_t commonPrefix(const std::vector<uint8_t>& a, const std::vector<uint8_t>& b) {
    const size_t n = std::min(a.size(), b.size());
    size_t i = 0;
    while (i < n && a[i] == b[i])
        ++i;
    return i;
}

void putBe(uint8_t* at, uint32_t v, int bytes) {
    for (int i = bytes - 1; i >= 0; --i)
        *at++ = uint8_t(v >> (8 * i));
}

// Room for entries on an index page: they end before the page end, as the tree builder
// leaves them.
size_t entryRoom(const JetFormat& fmt) {
    return fmt.pageSize - fmt.ixEntries - 1;
}

// The bytes `entries` take on a page, compressed as the tree builder does.
size_t storedBytes(std::span<const IndexEntry> entries, bool leaf) {
    const size_t prefix =
        entries.size() > 1 ? commonPrefix(entries.front().key, entries.back().key) : 0;
    size_t bytes = 0;
    for (const IndexEntry& e : entries)
        bytes += e.key.size() + (leaf ? 4 : 8);
    return bytes - (entries.empty() ? 0 : (entries.size() - 1) * prefix);
}

// The page `original` with its links and entries replaced by `page`'s, compressed as the tree
// builder does; none when they do not fit.
std::optional<std::vector<uint8_t>> render(const JetFormat& fmt, Bytes original,
                                           const IndexPage& page) {
    const bool leaf = page.isLeaf();
    const auto& entries = page.entries;
    if (storedBytes(entries, leaf) > entryRoom(fmt))
        return std::nullopt;
    const size_t prefix =
        entries.size() > 1 ? commonPrefix(entries.front().key, entries.back().key) : 0;
    std::vector<uint8_t> out(original.begin(), original.end());
    out[0] = page.type;
    putU32(out, fmt.ixPrevPage, page.prevPage);
    putU32(out, fmt.ixNextPage, page.nextPage);
    putU32(out, fmt.ixTailPage, leaf ? 0 : page.tailPage);
    if (!leaf)
        out[fmt.ixPrefixLength + fmt.ixPrefixLengthSize] = 0x01;  // Access marks node pages here
    std::fill(out.begin() + long(fmt.ixBitmap), out.end(), 0);
    if (fmt.ixPrefixLengthSize == 1)
        out[fmt.ixPrefixLength] = uint8_t(prefix);
    else
        putU16(out, fmt.ixPrefixLength, uint16_t(prefix));
    size_t pos = 0;
    for (size_t i = 0; i < entries.size(); ++i) {
        const IndexEntry& e = entries[i];
        uint8_t* at = out.data() + fmt.ixEntries + pos;
        const size_t skip = i == 0 ? 0 : prefix;
        at = std::copy(e.key.begin() + long(skip), e.key.end(), at);
        putBe(at, e.dataPage, 3);
        at[3] = e.dataRow;
        at += 4;
        if (!leaf) {
            putBe(at, e.childPage, 4);
            at += 4;
        }
        pos = size_t(at - (out.data() + fmt.ixEntries));
        out[fmt.ixBitmap + pos / 8] |= uint8_t(1u << (pos % 8));
    }
    putU16(out, 2, uint16_t(fmt.pageSize - (fmt.ixEntries + pos)));
    return out;
}

// The entry a parent holds for `child`: the key and row of the child's last leaf entry.
IndexEntry entryFor(const IndexEntry& last, uint32_t child) {
    IndexEntry e = last;
    e.childPage = child;
    return e;
}

// One page's share of an overflowing page: the entries it stores and, for a node that is not
// the last share, the entry whose child becomes its tail and whose key its parent holds.
struct Share {
    std::vector<IndexEntry> entries;
    std::optional<IndexEntry> promoted;
};

// `entries` dealt out evenly to the fewest pages that take them; none when no count does (a
// node share must keep an entry besides the one it promotes).
std::optional<std::vector<Share>> shareOut(const JetFormat& fmt,
                                           const std::vector<IndexEntry>& entries, bool leaf) {
    const size_t n = entries.size();
    for (size_t pages = 2; pages <= n; ++pages) {
        std::vector<Share> shares;
        bool fits = true;
        for (size_t k = 0; k < pages && fits; ++k) {
            const size_t from = n * k / pages;
            const size_t to = n * (k + 1) / pages;
            Share share;
            share.entries.assign(entries.begin() + long(from), entries.begin() + long(to));
            if (!leaf && k + 1 < pages) {
                share.promoted = share.entries.back();
                share.entries.pop_back();
            }
            fits = !share.entries.empty() && storedBytes(share.entries, leaf) <= entryRoom(fmt);
            shares.push_back(std::move(share));
        }
        if (fits)
            return shares;
    }
    return std::nullopt;
}

// Numbers of the pages a split adds, until the split is known to succeed and they are taken
// from the allocator: far above any page of a real file.
constexpr uint32_t kFirstPlaceholder = 0xF0000000u;

// The tree as the changes go, its pages decoded when first reached.
class TreeEdit {
public:
    TreeEdit(JetStorage& storage, const CommitPages& out, uint32_t root)
        : m_storage(storage), m_fmt(storage.format()), m_out(out), m_root(root) {}

    // Takes out or puts in one entry; false when the tree cannot take it as it is.
    Result<bool> remove(const KeyedRow& entry) { return change(entry, false); }
    Result<bool> add(const KeyedRow& entry, bool& newKey) {
        m_newKey = false;
        Result<bool> done = change(entry, true);
        newKey = m_newKey;
        return done;
    }

    // Splits the pages that outgrew their room, deepest first: a page keeps the first share
    // of its entries and new pages beside it take the rest, linked into their level, and the
    // parent gets an entry for each new page (the root, whose number stays, moves its entries
    // onto new pages below it). False when a page cannot be shared out.
    Result<bool> split() {
        for (int depth = m_deepest; depth >= 0; --depth) {
            std::vector<uint32_t> level;
            for (uint32_t number : m_changed) {
                if (m_depth.at(number) == depth && !fits(m_pages.at(number)))
                    level.push_back(number);
            }
            for (uint32_t number : level) {
                VELMORA_ASSIGN_OR_RETURN(const bool done, splitPage(number));
                if (!done)
                    return false;
            }
        }
        return true;
    }

    // The new pages' numbers from the allocator (once split() succeeded), and the images of
    // every changed page; none when one of them no longer fits.
    Result<std::optional<std::map<uint32_t, std::vector<uint8_t>>>> render(
        PageAllocator& allocator, std::vector<uint32_t>& added) {
        // Every page is known to fit before a page is taken from the allocator.
        for (uint32_t number : m_changed) {
            if (!fits(m_pages.at(number)))
                return std::optional<std::map<uint32_t, std::vector<uint8_t>>>();
        }
        std::map<uint32_t, uint32_t> numbers;
        for (uint32_t k = 0; k < m_placeholders; ++k)
            numbers[kFirstPlaceholder + k] = allocator.allocate();
        auto real = [&](uint32_t n) {
            auto it = numbers.find(n);
            return it == numbers.end() ? n : it->second;
        };
        std::map<uint32_t, std::vector<uint8_t>> images;
        for (uint32_t number : m_changed) {
            IndexPage page = m_pages.at(number);
            page.number = real(number);
            page.prevPage = real(page.prevPage);
            page.nextPage = real(page.nextPage);
            page.tailPage = real(page.tailPage);
            for (IndexEntry& e : page.entries)
                e.childPage = real(e.childPage);
            std::vector<uint8_t> original;
            if (auto base = m_bases.find(number); base != m_bases.end()) {
                original = base->second;
            } else {
                VELMORA_ASSIGN_OR_RETURN(original, m_out.current(m_storage.pager(), number));
            }
            auto image = jet::render(m_fmt, original, page);
            if (!image)
                return std::optional<std::map<uint32_t, std::vector<uint8_t>>>();
            images.emplace(page.number, std::move(*image));
        }
        // A neighbour whose link alone changes keeps its bytes but that link.
        for (uint32_t number : m_linked) {
            if (images.count(number) != 0)
                continue;
            VELMORA_ASSIGN_OR_RETURN(std::vector<uint8_t> bytes,
                                     m_out.current(m_storage.pager(), number));
            putU32(bytes, m_fmt.ixPrevPage, real(m_pages.at(number).prevPage));
            images.emplace(number, std::move(bytes));
        }
        for (const auto& [placeholder, number] : numbers)
            added.push_back(number);
        return std::optional(std::move(images));
    }

private:
    struct Step {
        uint32_t page;
        std::optional<size_t> entry;  // none: the tail
    };

    bool fits(const IndexPage& page) const {
        return storedBytes(page.entries, page.isLeaf()) <= entryRoom(m_fmt);
    }

    Result<IndexPage*> load(uint32_t number) {
        auto it = m_pages.find(number);
        if (it != m_pages.end())
            return &it->second;
        VELMORA_ASSIGN_OR_RETURN(std::vector<uint8_t> bytes,
                                 m_out.current(m_storage.pager(), number));
        VELMORA_ASSIGN_OR_RETURN(IndexPage page, decodeIndexPage(m_fmt, number, bytes));
        return &m_pages.emplace(number, std::move(page)).first->second;
    }

    // A page of the same kind as `like`, not yet in the file: its bytes come from `like`.
    Result<IndexPage*> fresh(const IndexPage& like) {
        const uint32_t number = kFirstPlaceholder + m_placeholders++;
        VELMORA_ASSIGN_OR_RETURN(m_bases[number], m_out.current(m_storage.pager(), like.number));
        IndexPage page;
        page.number = number;
        page.type = like.type;
        page.owner = like.owner;
        m_depth[number] = m_depth.at(like.number);
        m_changed.insert(number);
        return &m_pages.emplace(number, std::move(page)).first->second;
    }

    // Shares the entries of `number` out over it and new pages after it (see split()).
    Result<bool> splitPage(uint32_t number) {
        if (number == m_root)
            return splitRoot();
        IndexPage& page = m_pages.at(number);
        const bool leaf = page.isLeaf();
        std::optional<std::vector<Share>> shares = shareOut(m_fmt, page.entries, leaf);
        const auto parentAt = m_parent.find(number);
        if (!shares || parentAt == m_parent.end())
            return false;
        // The pages of the shares, the first the page itself, and the entries for all but the
        // last, which the parent's entry or tail for the page goes on naming.
        std::vector<uint32_t> pages = {number};
        std::vector<IndexEntry> held;
        const uint32_t oldNext = page.nextPage;
        const uint32_t oldTail = page.tailPage;
        for (size_t k = 1; k < shares->size(); ++k) {
            VELMORA_ASSIGN_OR_RETURN(IndexPage * added, fresh(m_pages.at(number)));
            pages.push_back(added->number);
        }
        for (size_t k = 0; k < shares->size(); ++k) {
            IndexPage& p = m_pages.at(pages[k]);
            Share& share = (*shares)[k];
            p.entries = std::move(share.entries);
            p.prevPage = k == 0 ? m_pages.at(number).prevPage : pages[k - 1];
            p.nextPage = k + 1 < pages.size() ? pages[k + 1] : oldNext;
            if (!leaf)
                p.tailPage = share.promoted ? share.promoted->childPage : oldTail;
            if (k + 1 < pages.size())
                held.push_back(
                    entryFor(share.promoted ? *share.promoted : p.entries.back(), pages[k]));
        }
        if (oldNext != 0) {
            VELMORA_ASSIGN_OR_RETURN(IndexPage * next, load(oldNext));
            next->prevPage = pages.back();
            m_linked.insert(oldNext);
        }
        // The parent: the page's entry (or its tail) now names the last share, and the entries
        // of the others go before it.
        IndexPage& parent = m_pages.at(parentAt->second);
        auto& entries = parent.entries;
        auto at = std::find_if(entries.begin(), entries.end(),
                               [&](const IndexEntry& e) { return e.childPage == number; });
        if (at != entries.end()) {
            at->childPage = pages.back();
        } else if (parent.tailPage == number) {
            parent.tailPage = pages.back();
        } else {
            return false;  // the parent does not name the page: build anew
        }
        entries.insert(at, held.begin(), held.end());
        m_changed.insert(parent.number);
        return true;
    }

    // The root keeps its number: its entries move onto new pages of its kind below it, and it
    // becomes a node over them.
    Result<bool> splitRoot() {
        IndexPage& root = m_pages.at(m_root);
        const bool leaf = root.isLeaf();
        std::optional<std::vector<Share>> shares = shareOut(m_fmt, root.entries, leaf);
        if (!shares)
            return false;
        std::vector<uint32_t> pages;
        for (size_t k = 0; k < shares->size(); ++k) {
            VELMORA_ASSIGN_OR_RETURN(IndexPage * added, fresh(m_pages.at(m_root)));
            pages.push_back(added->number);
        }
        IndexPage& top = m_pages.at(m_root);
        std::vector<IndexEntry> held;
        for (size_t k = 0; k < shares->size(); ++k) {
            IndexPage& p = m_pages.at(pages[k]);
            Share& share = (*shares)[k];
            p.entries = std::move(share.entries);
            p.prevPage = k == 0 ? 0 : pages[k - 1];
            p.nextPage = k + 1 < pages.size() ? pages[k + 1] : 0;
            if (!leaf)
                p.tailPage = share.promoted ? share.promoted->childPage : top.tailPage;
            if (k + 1 < pages.size())
                held.push_back(
                    entryFor(share.promoted ? *share.promoted : p.entries.back(), pages[k]));
        }
        top.type = page_type::kIndexNode;
        top.entries = std::move(held);
        top.tailPage = pages.back();
        top.prevPage = 0;
        top.nextPage = 0;
        return fits(top);
    }

    Result<bool> change(const KeyedRow& entry, bool adding) {
        std::vector<Step> path;
        uint32_t number = m_root;
        IndexPage* page = nullptr;
        for (int depth = 0;; ++depth) {
            if (depth > kMaxTreeDepth)
                return false;
            VELMORA_ASSIGN_OR_RETURN(page, load(number));
            m_depth[number] = depth;
            m_deepest = std::max(m_deepest, depth);
            if (!path.empty())
                m_parent[number] = path.back().page;
            if (page->isLeaf())
                break;
            const auto& entries = page->entries;
            auto it = std::find_if(entries.begin(), entries.end(), [&](const IndexEntry& e) {
                return compare(e, entry.key, entry.row) >= 0;
            });
            if (it != entries.end()) {
                path.push_back({number, size_t(it - entries.begin())});
                number = it->childPage;
            } else {
                path.push_back({number, std::nullopt});
                number = page->tailPage;
            }
            if (number == 0)
                return false;
        }
        auto& entries = page->entries;
        auto at = std::lower_bound(
            entries.begin(), entries.end(), entry,
            [](const IndexEntry& e, const KeyedRow& k) { return compare(e, k.key, k.row) < 0; });
        const bool found = at != entries.end() && compare(*at, entry.key, entry.row) == 0;
        if (adding == found)
            return false;  // a duplicate to add, or nothing to remove: build anew
        if (adding) {
            IndexEntry e;
            e.key = entry.key;
            e.dataPage = entry.row.page;
            e.dataRow = entry.row.row;
            at = entries.insert(at, std::move(e));
            const bool sameAsPrevious = at != entries.begin() && std::prev(at)->key == at->key;
            const bool sameAsNext = std::next(at) != entries.end() && std::next(at)->key == at->key;
            m_newKey = !sameAsPrevious && !sameAsNext;
        } else {
            at = entries.erase(at);
            if (entries.empty() && page->number != m_root)
                return false;
        }
        m_changed.insert(page->number);
        if (at == entries.end() || (adding && std::next(at) == entries.end())) {
            // The leaf's last entry changed: the node entry that holds it follows, in the
            // nearest node above that reached this leaf through an entry, not its tail.
            if (entries.empty())
                return true;
            const IndexEntry& last = entries.back();
            const auto holder = std::find_if(path.rbegin(), path.rend(),
                                             [](const auto& step) { return bool(step.entry); });
            if (holder != path.rend()) {
                IndexEntry& held = m_pages.at(holder->page).entries[*holder->entry];
                held.key = last.key;
                held.dataPage = last.dataPage;
                held.dataRow = last.dataRow;
                m_changed.insert(holder->page);
            }
        }
        return true;
    }

    JetStorage& m_storage;
    const JetFormat& m_fmt;
    const CommitPages& m_out;
    uint32_t m_root;
    std::map<uint32_t, IndexPage> m_pages;
    std::set<uint32_t> m_changed;  // pages whose entries or links change
    std::set<uint32_t> m_linked;   // pages whose links alone change
    std::map<uint32_t, int> m_depth;
    std::map<uint32_t, uint32_t> m_parent;             // the node a walk reached a page through
    std::map<uint32_t, std::vector<uint8_t>> m_bases;  // the bytes new pages start from
    int m_deepest = 0;
    uint32_t m_placeholders = 0;
    bool m_newKey = false;
};

}  // namespace

Result<bool> patchIndex(JetStorage& storage, const store::RealIndex& index,
                        const IndexChanges& changes, PageAllocator& allocator, CommitPages& out,
                        std::vector<MapUpdate>& maps, uint32_t& newKeys) {
    TreeEdit tree(storage, out, index.rootPage);
    for (const KeyedRow& e : changes.removed) {
        VELMORA_ASSIGN_OR_RETURN(const bool done, tree.remove(e));
        if (!done)
            return false;
    }
    uint32_t fresh = 0;
    for (const KeyedRow& e : changes.added) {
        bool newKey = false;
        VELMORA_ASSIGN_OR_RETURN(const bool done, tree.add(e, newKey));
        if (!done)
            return false;
        fresh += newKey ? 1 : 0;
    }
    VELMORA_ASSIGN_OR_RETURN(const bool split, tree.split());
    if (!split)
        return false;
    // Invariant 1 (jet_database.h): a split's new pages come from the allocator, free in the
    // file's current state or past its end; the pages changed in place are the tree's own and
    // its usage map's host. Nothing is taken before every page is known to fit: a tree given
    // up leaves no page taken for nothing.
    std::vector<uint32_t> added;
    VELMORA_ASSIGN_OR_RETURN(auto images, tree.render(allocator, added));
    if (!images)
        return false;
    for (auto& [number, bytes] : *images)
        VELMORA_RETURN_IF_ERROR(out.put(number, std::move(bytes)));
    if (!added.empty()) {
        // The new pages join the index's usage map.
        VELMORA_ASSIGN_OR_RETURN(UsageMap map,
                                 storage.usageMap(RowPointer::fromU32(index.usageMapRow)));
        std::vector<uint32_t> pages = map.pages;
        pages.insert(pages.end(), added.begin(), added.end());
        std::sort(pages.begin(), pages.end());
        pages.erase(std::unique(pages.begin(), pages.end()), pages.end());
        maps.push_back({RowPointer::fromU32(index.usageMapRow), std::move(pages)});
    }
    newKeys = fresh;
    return true;
}

}  // namespace velmora::engine::jet
