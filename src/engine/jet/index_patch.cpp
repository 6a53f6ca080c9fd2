// Index entries changed where they sort; see index_patch.h.
#include "engine/jet/index_patch.h"

#include <algorithm>
#include <cstring>
#include <map>
#include <optional>

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

// The page `original` with its entries replaced by `page`'s, compressed as the tree builder
// does; none when they do not fit.
std::optional<std::vector<uint8_t>> render(const JetFormat& fmt, Bytes original,
                                           const IndexPage& page) {
    const bool leaf = page.isLeaf();
    const auto& entries = page.entries;
    const size_t prefix =
        entries.size() > 1 ? commonPrefix(entries.front().key, entries.back().key) : 0;
    size_t bytes = 0;
    for (const IndexEntry& e : entries)
        bytes += e.key.size() + (leaf ? 4 : 8);
    bytes -= entries.empty() ? 0 : (entries.size() - 1) * prefix;
    // Entries end before the page end, as the tree builder leaves them.
    if (bytes > fmt.pageSize - fmt.ixEntries - 1)
        return std::nullopt;
    std::vector<uint8_t> out(original.begin(), original.end());
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

// The tree as the changes go, its pages decoded when first reached.
class TreeEdit {
public:
    TreeEdit(JetStorage& storage, const CommitPages& out, uint32_t root)
        : m_storage(storage), m_out(out), m_root(root) {}

    // Takes out or puts in one entry; false when the tree cannot take it as it is.
    Result<bool> remove(const KeyedRow& entry) { return change(entry, false); }
    Result<bool> add(const KeyedRow& entry, bool& newKey) {
        m_newKey = false;
        Result<bool> done = change(entry, true);
        newKey = m_newKey;
        return done;
    }

    // The changed pages, or none when one of them no longer fits.
    Result<std::optional<std::map<uint32_t, std::vector<uint8_t>>>> render() {
        std::map<uint32_t, std::vector<uint8_t>> images;
        for (uint32_t number : m_changed) {
            VELMORA_ASSIGN_OR_RETURN(std::vector<uint8_t> original,
                                     m_out.current(m_storage.pager(), number));
            auto image = jet::render(m_storage.format(), original, m_pages.at(number));
            if (!image)
                return std::optional<std::map<uint32_t, std::vector<uint8_t>>>();
            images.emplace(number, std::move(*image));
        }
        return std::optional(std::move(images));
    }

private:
    struct Step {
        uint32_t page;
        std::optional<size_t> entry;  // none: the tail
    };

    Result<IndexPage*> load(uint32_t number) {
        auto it = m_pages.find(number);
        if (it != m_pages.end())
            return &it->second;
        VELMORA_ASSIGN_OR_RETURN(std::vector<uint8_t> bytes,
                                 m_out.current(m_storage.pager(), number));
        VELMORA_ASSIGN_OR_RETURN(IndexPage page,
                                 decodeIndexPage(m_storage.format(), number, bytes));
        return &m_pages.emplace(number, std::move(page)).first->second;
    }

    Result<bool> change(const KeyedRow& entry, bool adding) {
        std::vector<Step> path;
        uint32_t number = m_root;
        IndexPage* page = nullptr;
        for (int depth = 0;; ++depth) {
            if (depth > kMaxTreeDepth)
                return false;
            VELMORA_ASSIGN_OR_RETURN(page, load(number));
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
    const CommitPages& m_out;
    uint32_t m_root;
    std::map<uint32_t, IndexPage> m_pages;
    std::set<uint32_t> m_changed;
    bool m_newKey = false;
};

}  // namespace

Result<bool> patchIndex(JetStorage& storage, const store::RealIndex& index,
                        const IndexChanges& changes, CommitPages& out, uint32_t& newKeys) {
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
    VELMORA_ASSIGN_OR_RETURN(auto images, tree.render());
    if (!images)
        return false;
    for (auto& [number, bytes] : *images)
        out.images[number] = std::move(bytes);
    newKeys = fresh;
    return true;
}

}  // namespace velmora::engine::jet
