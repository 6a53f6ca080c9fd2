#include "engine/sql/result_rows.h"

#include <cstring>
#include <limits>
#include <type_traits>

namespace velmora::engine::sql {

namespace {

// The type byte of an encoded value.
enum Tag : uint8_t {
    kNull,
    kFalse,
    kTrue,
    kInt32,  // an int64_t that fits 32 bits, stored in 4 bytes
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
void put(std::string& out, const T& v) {
    static_assert(std::is_trivially_copyable_v<T>);
    char bytes[sizeof(T)];
    std::memcpy(bytes, &v, sizeof(T));
    out.append(bytes, sizeof(T));
}

template <class T>
T get(const char*& p) {
    T v;
    std::memcpy(&v, p, sizeof(T));
    p += sizeof(T);
    return v;
}

// Lengths: seven bits a byte, the high bit telling that another byte follows.
void putLength(std::string& out, size_t n) {
    while (n >= 0x80) {
        out += static_cast<char>((n & 0x7F) | 0x80);
        n >>= 7;
    }
    out += static_cast<char>(n);
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

void encode(std::string& out, const store::Value& v) {
    struct Encoder {
        std::string& out;
        void tag(Tag t) { out += static_cast<char>(t); }
        void operator()(const store::Null&) { tag(kNull); }
        void operator()(bool b) { tag(b ? kTrue : kFalse); }
        void operator()(int64_t n) {
            if (n >= std::numeric_limits<int32_t>::min() &&
                n <= std::numeric_limits<int32_t>::max()) {
                tag(kInt32);
                put(out, static_cast<int32_t>(n));
            } else {
                tag(kInt64);
                put(out, n);
            }
        }
        void operator()(float f) {
            tag(kFloat);
            put(out, f);
        }
        void operator()(double d) {
            tag(kDouble);
            put(out, d);
        }
        void operator()(const store::Currency& c) {
            tag(kCurrency);
            put(out, c.scaled);
        }
        void operator()(const store::DateTime& d) {
            tag(kDateTime);
            put(out, d.days);
        }
        void operator()(const std::string& s) {
            tag(kText);
            putLength(out, s.size());
            out += s;
        }
        void operator()(const store::Blob& b) {
            tag(kBlob);
            putLength(out, b.size());
            out.append(reinterpret_cast<const char*>(b.data()), b.size());
        }
        void operator()(const store::Guid& g) {
            tag(kGuid);
            put(out, g.bytes);
        }
        void operator()(const store::Decimal& d) {
            tag(kDecimal);
            put(out, d.negative);
            put(out, d.scale);
            put(out, d.magnitude);
        }
    };
    std::visit(Encoder{out}, v);
}

store::Value decode(const char*& p) {
    const auto tag = static_cast<Tag>(*p++);
    switch (tag) {
        case kNull:
            return store::Null{};
        case kFalse:
            return false;
        case kTrue:
            return true;
        case kInt32:
            return int64_t{get<int32_t>(p)};
        case kInt64:
            return get<int64_t>(p);
        case kFloat:
            return get<float>(p);
        case kDouble:
            return get<double>(p);
        case kCurrency:
            return store::Currency{get<int64_t>(p)};
        case kDateTime:
            return store::DateTime{get<double>(p)};
        case kText: {
            const size_t n = getLength(p);
            std::string s(p, n);
            p += n;
            return s;
        }
        case kBlob: {
            const size_t n = getLength(p);
            const auto* b = reinterpret_cast<const uint8_t*>(p);
            p += n;
            return store::Blob(b, b + n);
        }
        case kGuid:
            return store::Guid{get<std::array<uint8_t, 16>>(p)};
        case kDecimal: {
            store::Decimal d;
            d.negative = get<bool>(p);
            d.scale = get<uint8_t>(p);
            d.magnitude = get<unsigned __int128>(p);
            return d;
        }
    }
    return store::Null{};  // not reached: every tag written is one of the above
}

// Moves past one encoded value without building it.
void skip(const char*& p) {
    const auto tag = static_cast<Tag>(*p++);
    switch (tag) {
        case kInt32:
        case kFloat:
            p += 4;
            break;
        case kInt64:
        case kDouble:
        case kCurrency:
        case kDateTime:
            p += 8;
            break;
        case kText:
        case kBlob: {
            const size_t n = getLength(p);
            p += n;
            break;
        }
        case kGuid:
            p += 16;
            break;
        case kDecimal:
            p += 2 + sizeof(unsigned __int128);
            break;
        default:
            break;
    }
}

}  // namespace

void ResultRows::append(const store::Row& row) {
    for (const auto& v : row)
        encode(m_bytes, v);
}

void ResultRows::push_back(const store::Row& row) {
    m_start.push_back(m_bytes.size());
    m_count.push_back(static_cast<uint16_t>(row.size()));
    append(row);
}

void ResultRows::startRow() {
    m_start.push_back(m_bytes.size());
    m_count.push_back(0);
}

void ResultRows::addValue(const store::Value& v) {
    encode(m_bytes, v);
    ++m_count.back();
}

void ResultRows::assign(size_t i, const store::Row& row) {
    m_start[i] = m_bytes.size();
    m_count[i] = static_cast<uint16_t>(row.size());
    append(row);
}

void ResultRows::reorder(const std::vector<size_t>& order) {
    std::vector<size_t> start;
    std::vector<uint16_t> count;
    start.reserve(order.size());
    count.reserve(order.size());
    for (size_t i : order) {
        start.push_back(m_start[i]);
        count.push_back(m_count[i]);
    }
    m_start = std::move(start);
    m_count = std::move(count);
}

store::Value ResultRows::value(size_t i, size_t column) const {
    if (column >= m_count[i])
        return store::Null{};
    const char* p = m_bytes.data() + m_start[i];
    for (size_t c = 0; c < column; ++c)
        skip(p);
    return decode(p);
}

store::Row ResultRows::row(size_t i) const {
    store::Row out;
    out.reserve(m_count[i]);
    const char* p = m_bytes.data() + m_start[i];
    for (size_t c = 0; c < m_count[i]; ++c)
        out.push_back(decode(p));
    return out;
}

}  // namespace velmora::engine::sql
