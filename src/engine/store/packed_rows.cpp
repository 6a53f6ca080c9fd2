#include "engine/store/packed_rows.h"

#include <algorithm>
#include <array>

#include <cstring>
#include <limits>
#include <type_traits>

namespace velmora::engine::store {

namespace {

// The type byte of an encoded value.
enum Tag : uint8_t {
    kNull,
    kFalse,
    kTrue,
    // Whole numbers (int64_t) in the fewest bytes that hold them: channel numbers, service
    // ids and PIDs mostly fit two.
    kInt8,
    kInt16,
    kInt32,
    kInt64,
    kFloat,
    kDouble,
    kCurrency,
    kDateTime,
    kText,  // length, then the UTF-8 bytes
    kBlob,  // length, then the bytes
    kGuid,
    kDecimal,  // sign, scale, 16 bytes of magnitude
};

template <class T>
char* put(char* out, const T& v) {
    static_assert(std::is_trivially_copyable_v<T>);
    std::memcpy(out, &v, sizeof(T));
    return out + sizeof(T);
}

template <class T>
T get(const char*& p) {
    T v;
    std::memcpy(&v, p, sizeof(T));
    p += sizeof(T);
    return v;
}

// Lengths: seven bits a byte, the high bit telling that another byte follows.
size_t lengthSize(size_t n) {
    size_t bytes = 1;
    for (; n >= 0x80; n >>= 7)
        ++bytes;
    return bytes;
}

char* putLength(char* out, size_t n) {
    while (n >= 0x80) {
        *out++ = static_cast<char>((n & 0x7F) | 0x80);
        n >>= 7;
    }
    *out++ = static_cast<char>(n);
    return out;
}

size_t getLength(const char*& p) {
    size_t n = 0;
    for (int shift = 0;; shift += 7) {
        const auto b = static_cast<uint8_t>(*p++);
        n |= size_t(b & 0x7F) << shift;
        if (!(b & 0x80))
            return n;
    }
}

// The tag of a whole number: the fewest bytes that hold it.
Tag wholeNumberTag(int64_t n) {
    if (n >= std::numeric_limits<int8_t>::min() && n <= std::numeric_limits<int8_t>::max())
        return kInt8;
    if (n >= std::numeric_limits<int16_t>::min() && n <= std::numeric_limits<int16_t>::max())
        return kInt16;
    if (n >= std::numeric_limits<int32_t>::min() && n <= std::numeric_limits<int32_t>::max())
        return kInt32;
    return kInt64;
}

// The encodings of each kind of value, at `out` with room for them; each returns where it
// ends. Values and PackedRowBuilder both write through these.
size_t wholeSize(int64_t n) {
    switch (wholeNumberTag(n)) {
        case kInt8:
            return 2;
        case kInt16:
            return 3;
        case kInt32:
            return 5;
        default:
            return 9;
    }
}

char* putWhole(char* out, int64_t n) {
    const Tag t = wholeNumberTag(n);
    *out++ = static_cast<char>(t);
    switch (t) {
        case kInt8:
            return put(out, static_cast<int8_t>(n));
        case kInt16:
            return put(out, static_cast<int16_t>(n));
        case kInt32:
            return put(out, static_cast<int32_t>(n));
        default:
            return put(out, n);
    }
}

template <class T>
char* putTagged(char* out, Tag t, const T& v) {
    *out++ = static_cast<char>(t);
    return put(out, v);
}

// A text or blob: its tag, its length, its bytes.
size_t sizedBytesSize(size_t n) {
    return 1 + lengthSize(n) + n;
}

char* putSizedBytes(char* out, Tag t, const void* data, size_t n) {
    *out++ = static_cast<char>(t);
    out = putLength(out, n);
    if (n != 0)
        std::memcpy(out, data, n);
    return out + n;
}

constexpr size_t kDecimalSize = 1 + 2 + sizeof(unsigned __int128);

char* putDecimal(char* out, const Decimal& d) {
    *out++ = static_cast<char>(kDecimal);
    out = put(out, d.negative);
    out = put(out, d.scale);
    return put(out, d.magnitude);
}

// Bytes the encoding of a value takes, its type byte included.
size_t encodedSize(const Value& v) {
    if (auto* n = std::get_if<int64_t>(&v))
        return wholeSize(*n);
    if (auto* s = std::get_if<std::string>(&v))
        return sizedBytesSize(s->size());
    if (auto* b = std::get_if<Blob>(&v))
        return sizedBytesSize(b->size());
    if (std::holds_alternative<Null>(v) || std::holds_alternative<bool>(v))
        return 1;
    if (std::holds_alternative<float>(v))
        return 1 + sizeof(float);
    if (std::holds_alternative<Guid>(v))
        return 1 + 16;
    if (std::holds_alternative<Decimal>(v))
        return kDecimalSize;
    return 1 + 8;  // double, Currency, DateTime
}

// The alternatives of Value by position, as encodeTo() switches on them.
static_assert(std::is_same_v<std::variant_alternative_t<0, Value>, Null> &&
              std::is_same_v<std::variant_alternative_t<1, Value>, bool> &&
              std::is_same_v<std::variant_alternative_t<2, Value>, int64_t> &&
              std::is_same_v<std::variant_alternative_t<3, Value>, float> &&
              std::is_same_v<std::variant_alternative_t<4, Value>, double> &&
              std::is_same_v<std::variant_alternative_t<5, Value>, Currency> &&
              std::is_same_v<std::variant_alternative_t<6, Value>, DateTime> &&
              std::is_same_v<std::variant_alternative_t<7, Value>, std::string> &&
              std::is_same_v<std::variant_alternative_t<8, Value>, Blob> &&
              std::is_same_v<std::variant_alternative_t<9, Value>, Guid> &&
              std::variant_size_v<Value> == 11);

// Writes the encoding of a value at `out`, which has room for encodedSize(v) bytes; returns
// where it ends.
char* encodeTo(char* out, const Value& v) {
    switch (v.index()) {
        case 0:
            *out++ = static_cast<char>(kNull);
            return out;
        case 1:
            *out++ = static_cast<char>(std::get<bool>(v) ? kTrue : kFalse);
            return out;
        case 2:
            return putWhole(out, std::get<int64_t>(v));
        case 3:
            return putTagged(out, kFloat, std::get<float>(v));
        case 4:
            return putTagged(out, kDouble, std::get<double>(v));
        case 5:
            return putTagged(out, kCurrency, std::get<Currency>(v).scaled);
        case 6:
            return putTagged(out, kDateTime, std::get<DateTime>(v).days);
        case 7: {
            const auto& s = std::get<std::string>(v);
            return putSizedBytes(out, kText, s.data(), s.size());
        }
        case 8: {
            const auto& b = std::get<Blob>(v);
            return putSizedBytes(out, kBlob, b.data(), b.size());
        }
        case 9:
            return putTagged(out, kGuid, std::get<Guid>(v).bytes);
        default:
            return putDecimal(out, std::get<Decimal>(v));
    }
}

// Appends the encoding of every value of `values` to `out`.
void encodeAll(std::string& out, const Value* values, size_t count) {
    size_t size = 0;
    for (size_t i = 0; i < count; ++i)
        size += encodedSize(values[i]);
    const size_t at = out.size();
    out.resize(at + size);
    char* p = out.data() + at;
    for (size_t i = 0; i < count; ++i)
        p = encodeTo(p, values[i]);
}

// Decodes one value into `out`; a text or blob already there lends its storage.
void decodeInto(const char*& p, Value& out) {
    const auto tag = static_cast<Tag>(*p++);
    switch (tag) {
        case kNull:
            out = Null{};
            return;
        case kFalse:
            out = false;
            return;
        case kTrue:
            out = true;
            return;
        case kInt8:
            out = int64_t{get<int8_t>(p)};
            return;
        case kInt16:
            out = int64_t{get<int16_t>(p)};
            return;
        case kInt32:
            out = int64_t{get<int32_t>(p)};
            return;
        case kInt64:
            out = get<int64_t>(p);
            return;
        case kFloat:
            out = get<float>(p);
            return;
        case kDouble:
            out = get<double>(p);
            return;
        case kCurrency:
            out = Currency{get<int64_t>(p)};
            return;
        case kDateTime:
            out = DateTime{get<double>(p)};
            return;
        case kText: {
            const size_t n = getLength(p);
            if (auto* s = std::get_if<std::string>(&out))
                s->assign(p, n);
            else
                out.emplace<std::string>(p, n);
            p += n;
            return;
        }
        case kBlob: {
            const size_t n = getLength(p);
            const auto* b = reinterpret_cast<const uint8_t*>(p);
            if (auto* blob = std::get_if<Blob>(&out))
                blob->assign(b, b + n);
            else
                out.emplace<Blob>(b, b + n);
            p += n;
            return;
        }
        case kGuid:
            out = Guid{get<std::array<uint8_t, 16>>(p)};
            return;
        case kDecimal: {
            Decimal d;
            d.negative = get<bool>(p);
            d.scale = get<uint8_t>(p);
            d.magnitude = get<unsigned __int128>(p);
            out = d;
            return;
        }
    }
    out = Null{};  // not reached: every tag written is one of the above
}

// The bytes after the type byte of a value of each tag; 0 for texts and blobs, which give
// their length. A row is walked value by value for every value read from it: a lookup here
// costs less than a switch.
constexpr std::array<uint8_t, kDecimal + 1> kBytesAfterTag = [] {
    std::array<uint8_t, kDecimal + 1> bytes{};
    bytes[kInt8] = 1;
    bytes[kInt16] = 2;
    bytes[kInt32] = bytes[kFloat] = 4;
    bytes[kInt64] = bytes[kDouble] = bytes[kCurrency] = bytes[kDateTime] = 8;
    bytes[kGuid] = 16;
    bytes[kDecimal] = kDecimalSize - 1;
    return bytes;
}();

// Moves past one encoded value without building it.
inline void skip(const char*& p) {
    const auto tag = static_cast<uint8_t>(*p++);
    if (tag == kText || tag == kBlob)
        p += getLength(p);
    else if (tag < kBytesAfterTag.size())
        p += kBytesAfterTag[tag];
}

}  // namespace

// Blocks hold many rows each, so a table of small rows costs a few allocations, not one or
// more per row; a longer row gets a block of its own size. The first block of a set is small
// and each next one twice the last, up to kBlockBytes: most query results hold a row or
// two, and taking and giving back 64 KiB for each of them costs more than the statement.
constexpr size_t kBlockBytes = size_t{64} * 1024;
constexpr size_t kFirstBlockBytes = 512;

size_t PackedRows::nextBlockBytes() const {
    return m_blocks.empty() ? kFirstBlockBytes
                            : std::min(kBlockBytes, 2 * m_blocks.back().capacity());
}

void PackedRows::push_back(const Row& row) {
    m_refs.emplace_back();
    m_count.push_back(0);
    write(m_refs.size() - 1, row);
}

// Called for every value a scan adds: inline here, where all its callers are, with the rare
// growth of the buffer out of the way.
inline char* PackedRowBuilder::grow(size_t n) {
    if (m_size + n > m_bytes.size()) [[unlikely]]
        m_bytes.resize(std::max(2 * m_bytes.size(), m_size + n));
    char* const at = m_bytes.data() + m_size;
    m_size += n;
    ++m_count;
    return at;
}

void PackedRowBuilder::addNull() {
    *grow(1) = static_cast<char>(kNull);
}

void PackedRowBuilder::addBool(bool b) {
    *grow(1) = static_cast<char>(b ? kTrue : kFalse);
}

void PackedRowBuilder::addWhole(int64_t n) {
    putWhole(grow(wholeSize(n)), n);
}

void PackedRowBuilder::addFloat(float f) {
    putTagged(grow(1 + sizeof f), kFloat, f);
}

void PackedRowBuilder::addDouble(double d) {
    putTagged(grow(1 + sizeof d), kDouble, d);
}

void PackedRowBuilder::addCurrency(Currency c) {
    putTagged(grow(1 + sizeof c.scaled), kCurrency, c.scaled);
}

void PackedRowBuilder::addDateTime(DateTime d) {
    putTagged(grow(1 + sizeof d.days), kDateTime, d.days);
}

void PackedRowBuilder::addText(std::string_view utf8) {
    putSizedBytes(grow(sizedBytesSize(utf8.size())), kText, utf8.data(), utf8.size());
}

char* PackedRowBuilder::addTextOfLength(size_t utf8Length) {
    char* out = grow(sizedBytesSize(utf8Length));
    *out++ = static_cast<char>(kText);
    return putLength(out, utf8Length);
}

void PackedRowBuilder::addBlob(std::span<const uint8_t> bytes) {
    putSizedBytes(grow(sizedBytesSize(bytes.size())), kBlob, bytes.data(), bytes.size());
}

void PackedRowBuilder::addGuid(const Guid& g) {
    putTagged(grow(1 + sizeof g.bytes), kGuid, g.bytes);
}

void PackedRowBuilder::addDecimal(const Decimal& d) {
    putDecimal(grow(kDecimalSize), d);
}

void PackedRows::push_back(const PackedRowBuilder& row) {
    m_refs.push_back(place(row.bytes()));
    m_count.push_back(static_cast<uint16_t>(row.m_count));
}

void PackedRows::clear() {
    if (m_blocks.size() > 1)
        m_blocks.resize(1);
    if (!m_blocks.empty())
        m_blocks.front().clear();
    m_refs.clear();
    m_count.clear();
    m_written = 0;
    m_unused = 0;
}

void PackedRows::startRow() {
    m_scratch.clear();
    m_refs.push_back(place(m_scratch));
    m_count.push_back(0);
}

void PackedRows::addPacked(std::string_view packed) {
    if (packed.empty()) {  // a value beyond the end of the row it came from
        addValue(Null{});
        return;
    }
    // The row being built is the last bytes of the last block; when the value does not fit
    // the block's room, the row moves to a new block with it.
    Ref& ref = m_refs.back();
    std::string* block = &m_blocks[ref.block];
    if (block->size() + packed.size() > block->capacity() && ref.offset != 0) {
        const size_t partial = block->size() - ref.offset;
        std::string next;
        next.reserve(std::max(nextBlockBytes(), 2 * (partial + packed.size())));
        next.append(*block, ref.offset, partial);
        block->resize(ref.offset);
        m_blocks.push_back(std::move(next));
        ref = Ref{static_cast<uint32_t>(m_blocks.size() - 1), 0};
        block = &m_blocks.back();
    }
    block->append(packed);
    m_written += packed.size();
    ++m_count.back();
}

void PackedRows::addValue(const Value& v) {
    // A Null (every column of the row an outer join did not find) is its tag byte alone.
    if (std::holds_alternative<Null>(v)) {
        static constexpr char kNullByte = static_cast<char>(kNull);
        addPacked(std::string_view(&kNullByte, 1));
        return;
    }
    m_scratch.clear();
    encodeAll(m_scratch, &v, 1);
    addPacked(m_scratch);
}

void PackedRows::assign(size_t i, const Row& row) {
    m_scratch.clear();
    encodeAll(m_scratch, row.data(), row.size());
    replaceWithScratch(i, row.size(), lengthOf(i));
}

bool PackedRows::overwriteValues(size_t i, std::span<const int> columns,
                                 std::span<const Value> values) {
    constexpr size_t kMost = 8;  // a statement's few assigned columns; more take the long way
    if (columns.size() > kMost)
        return false;
    std::array<char*, kMost> at{};  // where each old value starts in the row
    char* const start = m_blocks[m_refs[i].block].data() + m_refs[i].offset;
    for (size_t k = 0; k < columns.size(); ++k) {
        const auto column = static_cast<size_t>(columns[k]);
        if (column >= m_count[i])
            return false;
        const char* p = start;
        for (size_t c = 0; c < column; ++c)
            skip(p);
        at[k] = start + (p - start);
        skip(p);
        if (encodedSize(values[k]) != static_cast<size_t>(p - at[k]))
            return false;
    }
    // Every new value takes exactly the room of the old one: none moves another.
    for (size_t k = 0; k < columns.size(); ++k)
        encodeTo(at[k], values[k]);
    return true;
}

void PackedRows::assignValues(size_t i, std::span<const int> columns,
                              std::span<const Value> values) {
    if (overwriteValues(i, columns, values))
        return;
    // The given columns in ascending order; between them the encoded bytes are copied in runs.
    const size_t stored = m_count[i];
    const char* const start = bytesOf(i);
    const char* p = start;
    const char* runFrom = p;
    size_t c = 0;
    m_scratch.clear();
    for (int previous = -1;;) {
        size_t next = columns.size();
        for (size_t k = 0; k < columns.size(); ++k) {
            if (columns[k] > previous && (next == columns.size() || columns[k] < columns[next]))
                next = k;
        }
        if (next == columns.size())
            break;
        const auto column = static_cast<size_t>(columns[next]);
        for (; c < column && c < stored; ++c)
            skip(p);
        m_scratch.append(runFrom, static_cast<size_t>(p - runFrom));
        for (; c < column; ++c)
            m_scratch.push_back(static_cast<char>(kNull));  // beyond the row's last value
        encodeAll(m_scratch, &values[next], 1);
        if (c++ < stored)
            skip(p);
        runFrom = p;
        previous = columns[next];
    }
    const size_t count = std::max(c, stored);
    for (; c < stored; ++c)
        skip(p);
    m_scratch.append(runFrom, static_cast<size_t>(p - runFrom));
    replaceWithScratch(i, count, static_cast<size_t>(p - start));
}

void PackedRows::replaceWithScratch(size_t i, size_t count, size_t old) {
    if (m_scratch.size() <= old) {
        // Most changes keep a row's size or shrink it: the new values take the old place.
        std::memcpy(m_blocks[m_refs[i].block].data() + m_refs[i].offset, m_scratch.data(),
                    m_scratch.size());
        m_unused += old - m_scratch.size();
    } else {
        m_unused += old;
        m_refs[i] = place(m_scratch);
    }
    m_count[i] = static_cast<uint16_t>(count);
    reclaimIfWasteful();
}

bool PackedRows::isNull(size_t i, size_t column) const {
    if (column >= m_count[i])
        return true;
    const char* p = bytesOf(i);
    for (size_t c = 0; c < column; ++c)
        skip(p);
    return static_cast<Tag>(*p) == kNull;
}

uint64_t PackedRows::nullMask(size_t i, size_t columns) const {
    columns = std::min<size_t>(columns, 64);
    const size_t count = std::min<size_t>(m_count[i], columns);
    // Beyond the row's last value, up to `columns`: Null.
    uint64_t mask = count == 64 ? 0 : ~uint64_t(0) << count;
    if (columns < 64)
        mask &= ~(~uint64_t(0) << columns);
    const char* p = bytesOf(i);
    for (size_t c = 0; c < count; ++c) {
        if (static_cast<Tag>(*p) == kNull)
            mask |= uint64_t(1) << c;
        skip(p);
    }
    return mask;
}

void PackedRows::release(size_t i) {
    m_unused += lengthOf(i);
    m_count[i] = 0;
    reclaimIfWasteful();
}

void PackedRows::reorder(const std::vector<size_t>& order) {
    std::vector<Ref> refs;
    std::vector<uint16_t> count;
    refs.reserve(order.size());
    count.reserve(order.size());
    size_t kept = 0;
    for (size_t i : order) {
        refs.push_back(m_refs[i]);
        count.push_back(m_count[i]);
        kept += lengthOf(i);
    }
    m_refs = std::move(refs);
    m_count = std::move(count);
    m_unused = m_written - kept;
    reclaimIfWasteful();
}

Value PackedRows::value(size_t i, size_t column) const {
    Value out;
    valueInto(i, column, out);
    return out;
}

void PackedRows::valueInto(size_t i, size_t column, Value& out) const {
    if (column >= m_count[i]) {
        out = Null{};
        return;
    }
    const char* p = bytesOf(i);
    for (size_t c = 0; c < column; ++c)
        skip(p);
    decodeInto(p, out);
}

void PackedRows::packedValues(size_t i, std::vector<std::string_view>& out) const {
    out.clear();
    const char* p = bytesOf(i);
    for (size_t c = 0; c < m_count[i]; ++c) {
        const char* start = p;
        skip(p);
        out.emplace_back(start, static_cast<size_t>(p - start));
    }
}

Row PackedRows::row(size_t i) const {
    Row out;
    rowInto(i, out);
    return out;
}

void PackedRows::rowInto(size_t i, Row& out) const {
    out.resize(m_count[i]);
    const char* p = bytesOf(i);
    for (auto& v : out)
        decodeInto(p, v);
}

void PackedRows::columnsInto(size_t i, std::span<const uint8_t> wanted, Row& out) const {
    out.resize(m_count[i]);
    // The values after the last one wanted are not even skipped.
    const size_t last = std::min(out.size(), wanted.size());
    const char* p = bytesOf(i);
    for (size_t c = 0; c < last; ++c) {
        if (wanted[c])
            decodeInto(p, out[c]);
        else
            skip(p);
    }
}

size_t PackedRows::lengthOf(size_t i) const {
    const char* start = bytesOf(i);
    const char* p = start;
    for (size_t c = 0; c < m_count[i]; ++c)
        skip(p);
    return static_cast<size_t>(p - start);
}

PackedRows::Ref PackedRows::place(std::string_view bytes) {
    if (m_blocks.empty() || m_blocks.back().size() + bytes.size() > m_blocks.back().capacity()) {
        std::string block;
        block.reserve(std::max(nextBlockBytes(), bytes.size()));
        m_blocks.push_back(std::move(block));
    }
    std::string& block = m_blocks.back();
    const Ref ref{static_cast<uint32_t>(m_blocks.size() - 1), static_cast<uint32_t>(block.size())};
    block.append(bytes);
    m_written += bytes.size();
    return ref;
}

void PackedRows::write(size_t i, const Row& row) {
    m_scratch.clear();
    encodeAll(m_scratch, row.data(), row.size());
    m_refs[i] = place(m_scratch);
    m_count[i] = static_cast<uint16_t>(row.size());
}

void PackedRows::reclaimIfWasteful() {
    if (m_unused < kBlockBytes || m_unused * 2 < m_written)
        return;
    // Every live row moves, in row order, into new blocks.
    std::vector<std::string> old = std::move(m_blocks);
    m_blocks.clear();
    m_written = 0;
    m_unused = 0;
    for (size_t i = 0; i < m_refs.size(); ++i) {
        const Ref from = m_refs[i];
        const char* start = old[from.block].data() + from.offset;
        const char* p = start;
        for (size_t c = 0; c < m_count[i]; ++c)
            skip(p);
        m_refs[i] = place(std::string_view(start, static_cast<size_t>(p - start)));
    }
}

}  // namespace velmora::engine::store
