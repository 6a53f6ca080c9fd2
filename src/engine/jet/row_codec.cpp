// Splitting row images into fields and decoding values; see row_codec.h for the layouts.
#include "engine/jet/row_codec.h"

#include <set>
#include <string>

#include "engine/base/error_codes.h"
#include "engine/base/text_codec.h"

namespace velmora::engine::jet {
namespace {

using store::ColumnType;
using store::Value;

Status damaged(const std::string& what) {
    return Status::error(err::kNotADatabase, what);
}

// Positions of the variable slots of one row: start of slot i is start(row, i), and
// start(row, n) is the end of the variable data (EOD). Jet 4 offsets are read where they are
// stored, each when it is asked for; Jet 3 ones, whose high bytes come from the jump table,
// are worked out once into `starts`.
struct VarLayout {
    std::vector<uint32_t>& starts;
    size_t trailerStart = 0;  // first byte after the data area
    size_t slotCount = 0;
    size_t jet4OffsetsAt = 0;  // Jet 4: where slot 0's offset lies; slot i's 2 i bytes below

    size_t start(Bytes row, size_t slot) const {
        return jet4OffsetsAt != 0 ? getU16(row, jet4OffsetsAt - 2 * slot) : starts[slot];
    }
};

Status jet4Layout(Bytes row, size_t maskSize, bool hasVariable, VarLayout& v) {
    const size_t L = row.size();
    v.starts.clear();
    v.slotCount = 0;
    v.jet4OffsetsAt = 0;
    if (!hasVariable) {
        v.trailerStart = L - maskSize;
        return Status::ok();
    }
    if (L < maskSize + 4 + 2)
        return damaged("row too short for its variable column table");
    size_t n = getU16(row, L - maskSize - 2);
    if (2 * n + 4 + 2 + maskSize > L)
        return damaged("row claims " + std::to_string(n) + " variable columns, more than fit");
    // The EOD lies where slot n's offset would, below the last slot's.
    v.trailerStart = L - maskSize - 4 - 2 * n;
    v.slotCount = n;
    v.jet4OffsetsAt = L - maskSize - 4;
    return Status::ok();
}

Status jet3Layout(Bytes row, size_t maskSize, bool hasVariable, VarLayout& v) {
    const size_t L = row.size();
    v.starts.clear();
    v.slotCount = 0;
    v.jet4OffsetsAt = 0;
    if (!hasVariable) {
        v.trailerStart = L - maskSize;
        return Status::ok();
    }
    if (L < maskSize + 3)
        return damaged("row too short for its variable column table");
    size_t n = row[L - 1 - maskSize];
    size_t jumps = (L - 1) / 256;
    if (maskSize + 2 + jumps + n + 1 > L)
        return damaged("row claims " + std::to_string(n) + " variable columns, more than fit");
    size_t eodPos = L - 2 - maskSize - jumps - n;
    // The last jump byte is a filler when the offset table itself lies below its 256 block.
    size_t realJumps = (eodPos / 256 < jumps) ? jumps - 1 : jumps;
    std::vector<size_t> jumpSlots(realJumps);
    for (size_t k = 0; k < realJumps; ++k)
        jumpSlots[k] = row[L - 2 - maskSize - k];
    v.trailerStart = eodPos;
    v.starts.resize(n + 1);
    for (size_t i = 0; i <= n; ++i) {
        size_t high = 0;
        for (size_t k = 0; k < realJumps; ++k) {
            if (jumpSlots[k] <= i)
                ++high;
        }
        v.starts[i] = uint32_t(row[L - 2 - maskSize - jumps - i] + 256 * high);
    }
    v.slotCount = n;
    return Status::ok();
}

size_t fixedSize(ColumnType type) {
    return store::fixedWidth(type);
}

// A stored text (Text or Memo) as UTF-8 into `text`, reusing its storage.
void decodeText(Bytes data, const ValueContext& ctx, std::string& text) {
    if (ctx.fmt->isJet4())
        text::decodeJet4TextInto(data, text);
    else
        text = text::decodeCodePage(data, ctx.codePage);
}

// Where decodeField() puts a value: a Value, whose text storage a text reuses.
struct ValueTarget {
    Value& out;
    const ValueContext& ctx;

    void null() { out = store::Null{}; }
    void boolean(bool b) { out = b; }
    void whole(int64_t n) { out = n; }
    void single(float f) { out = f; }
    void real(double d) { out = d; }
    void currency(store::Currency c) { out = c; }
    void dateTime(store::DateTime d) { out = d; }
    void guid(const store::Guid& g) { out = g; }
    void decimal(const store::Decimal& d) { out = d; }
    void text(Bytes stored) {
        auto* s = std::get_if<std::string>(&out);
        decodeText(stored, ctx, s ? *s : out.emplace<std::string>());
    }
    void blob(Bytes bytes) { out = store::Blob(bytes.begin(), bytes.end()); }
    void blob(std::vector<uint8_t>&& bytes) { out = std::move(bytes); }
};

// Whether a text stored as UTF-16LE holds ASCII letters alone, each its own UTF-8 byte: Jet 4
// leaves a text of one letter uncompressed, as compressing it would make it longer.
bool isAsciiUtf16(Bytes stored) {
    if (stored.size() % 2 != 0 || text::isJet4Compressed(stored))
        return false;
    for (size_t i = 0; i < stored.size(); i += 2) {
        if (stored[i] == 0 || stored[i] >= 0x80 || stored[i + 1] != 0)
            return false;
    }
    return true;
}

// The same into the packed row a scan builds; texts pass through `scratch`.
struct PackedTarget {
    store::PackedRowBuilder& out;
    const ValueContext& ctx;
    std::string& scratch;

    void null() { out.addNull(); }
    void boolean(bool b) { out.addBool(b); }
    void whole(int64_t n) { out.addWhole(n); }
    void single(float f) { out.addFloat(f); }
    void real(double d) { out.addDouble(d); }
    void currency(store::Currency c) { out.addCurrency(c); }
    void dateTime(store::DateTime d) { out.addDateTime(d); }
    void guid(const store::Guid& g) { out.addGuid(g); }
    void decimal(const store::Decimal& d) { out.addDecimal(d); }
    void text(Bytes stored) {
        if (ctx.fmt->isJet4()) {
            if (const auto length = text::jet4OneByteUtf8Length(stored)) {
                text::writeJet4OneByteUtf8(stored, *length, out.addTextOfLength(*length));
                return;
            }
            if (isAsciiUtf16(stored)) {
                char* letters = out.addTextOfLength(stored.size() / 2);
                for (size_t i = 0; i < stored.size(); i += 2)
                    *letters++ = char(stored[i]);
                return;
            }
        }
        decodeText(stored, ctx, scratch);
        out.addText(scratch);
    }
    void blob(Bytes bytes) { out.addBlob(bytes); }
    void blob(const std::vector<uint8_t>& bytes) { out.addBlob(bytes); }
};

// The start of a row image: its column count, its null mask and where its variable slots lie.
struct RowFrame {
    size_t columnCount = 0;
    Bytes mask;
    VarLayout slots;
};

Status frameRow(const JetFormat& fmt, const store::TableSchema& schema, Bytes row,
                RowFrame& frame) {
    if (row.size() < fmt.rowCountSize)
        return damaged("empty row");
    frame.columnCount = fmt.isJet4() ? getU16(row, 0) : row[0];
    const size_t maskSize = (frame.columnCount + 7) / 8;
    if (row.size() < fmt.rowCountSize + maskSize)
        return damaged("row too short for its null mask");
    frame.mask = row.subspan(row.size() - maskSize);
    const bool hasVariable = schema.variableColumns > 0;
    VELMORA_RETURN_IF_ERROR(fmt.isJet4() ? jet4Layout(row, maskSize, hasVariable, frame.slots)
                                         : jet3Layout(row, maskSize, hasVariable, frame.slots));
    return Status::ok();
}

// What locateField() found wrong with a column's place in the row.
enum class FieldFault : uint8_t { kNone, kBeyondFixedArea, kOffsetOutsideRow };

Status faultStatus(FieldFault fault, const store::ColumnDef& c) {
    if (fault == FieldFault::kBeyondFixedArea)
        return damaged("column '" + c.name + "' lies beyond the fixed area of the row");
    return damaged("column '" + c.name + "' has a variable offset outside the row");
}

// Where column `c` lies in a row framed by frameRow(), into `f` (which starts out absent).
// Called for every value a scan reads: it answers with a FieldFault, not a Status.
inline FieldFault locateField(const JetFormat& fmt, const store::ColumnDef& c, Bytes row,
                              const RowFrame& frame, RowField& f) {
    if (c.number >= frame.columnCount)
        return FieldFault::kNone;
    f.present = (frame.mask[c.number / 8] >> (c.number % 8)) & 1;
    if (!f.present || c.type == ColumnType::Boolean)
        return FieldFault::kNone;
    const size_t trailerStart = frame.slots.trailerStart;
    if (c.isFixed()) {
        const size_t start = fmt.rowCountSize + c.fixedOffset;
        if (start + c.length > trailerStart)
            return FieldFault::kBeyondFixedArea;
        f.data = row.subspan(start, c.length);
        return FieldFault::kNone;
    }
    if (c.variableSlot >= frame.slots.slotCount) {
        f.present = false;  // the row predates this variable column
        return FieldFault::kNone;
    }
    const size_t start = frame.slots.start(row, c.variableSlot);
    const size_t end = frame.slots.start(row, c.variableSlot + 1);
    if (start < fmt.rowCountSize || start > end || end > trailerStart)
        return FieldFault::kOffsetOutsideRow;
    f.data = row.subspan(start, end - start);
    return FieldFault::kNone;
}

// crackRow() into `fields`, with `starts` for the variable slots' positions.
Status crackRowInto(const JetFormat& fmt, const store::TableSchema& schema, Bytes row,
                    std::vector<RowField>& fields, std::vector<uint32_t>& starts) {
    RowFrame frame{0, {}, VarLayout{starts}};
    VELMORA_RETURN_IF_ERROR(frameRow(fmt, schema, row, frame));
    fields.assign(schema.columns.size(), RowField{});
    for (size_t i = 0; i < schema.columns.size(); ++i) {
        const FieldFault fault = locateField(fmt, schema.columns[i], row, frame, fields[i]);
        if (fault != FieldFault::kNone)
            return faultStatus(fault, schema.columns[i]);
    }
    return Status::ok();
}

// One column's value from its field into `target` (ValueTarget, PackedTarget), for every
// value that cannot fail: false, with nothing added, for a long value and for a field too
// short for its type, which decodeField() takes.
template <class Target>
inline bool decodeSimpleField(const store::ColumnDef& c, const RowField& f, Target& target) {
    if (c.type == ColumnType::Boolean) {
        target.boolean(f.present);
        return true;
    }
    if (!f.present) {
        target.null();
        return true;
    }
    const Bytes d = f.data;
    if (d.size() < fixedSize(c.type))
        return false;
    switch (c.type) {
        case ColumnType::Byte:
            target.whole(int64_t(d[0]));
            return true;
        case ColumnType::Integer:
            target.whole(int64_t(getI16(d, 0)));
            return true;
        case ColumnType::Long:
            target.whole(int64_t(getI32(d, 0)));
            return true;
        case ColumnType::Currency:
            target.currency(store::Currency{getI64(d, 0)});
            return true;
        case ColumnType::Single:
            target.single(getF32(d, 0));
            return true;
        case ColumnType::Double:
            target.real(getF64(d, 0));
            return true;
        case ColumnType::DateTime:
            target.dateTime(store::DateTime{getF64(d, 0)});
            return true;
        case ColumnType::Guid: {
            store::Guid g;
            std::copy(d.begin(), d.begin() + 16, g.bytes.begin());
            target.guid(g);
            return true;
        }
        case ColumnType::Numeric: {
            store::Decimal dec;
            dec.negative = (d[0] & 0x80) != 0;
            dec.scale = c.scale;
            for (int w = 0; w < 4; ++w)
                dec.magnitude = (dec.magnitude << 32) | getU32(d, 1 + 4 * size_t(w));
            target.decimal(dec);
            return true;
        }
        case ColumnType::Text:
            target.text(d);
            return true;
        case ColumnType::Memo:
        case ColumnType::Ole:
            return false;
        default:
            target.blob(d);
            return true;
    }
}

// One column's value from its field into `target`, whatever it is.
template <class Target>
Status decodeField(const store::ColumnDef& c, const RowField& f, const ValueContext& ctx,
                   Target& target) {
    if (decodeSimpleField(c, f, target))
        return Status::ok();
    if (c.type != ColumnType::Memo && c.type != ColumnType::Ole) {
        return damaged("column '" + c.name + "' holds " + std::to_string(f.data.size()) +
                       " bytes, its type needs " + std::to_string(fixedSize(c.type)));
    }
    auto bytes = readLongValue(f.data, ctx.readLongRow, ctx.maxLongValueBytes);
    if (!bytes)
        return bytes.status().withContext("column '" + c.name + "': ");
    if (c.type == ColumnType::Memo)
        target.text(*bytes);
    else
        target.blob(std::move(bytes).value());
    return Status::ok();
}

}  // namespace

Result<std::vector<RowField>> crackRow(const JetFormat& fmt, const store::TableSchema& schema,
                                       Bytes row) {
    std::vector<RowField> fields;
    std::vector<uint32_t> starts;
    VELMORA_RETURN_IF_ERROR(crackRowInto(fmt, schema, row, fields, starts));
    return fields;
}

Result<size_t> fixedAreaEnd(const JetFormat& fmt, const store::TableSchema& schema, Bytes row,
                            std::vector<uint32_t>& scratch) {
    if (row.size() < fmt.rowCountSize)
        return damaged("empty row");
    const size_t columnCount = fmt.isJet4() ? getU16(row, 0) : row[0];
    const size_t maskSize = (columnCount + 7) / 8;
    if (row.size() < fmt.rowCountSize + maskSize)
        return damaged("row too short for its null mask");
    const bool hasVariable = schema.variableColumns > 0;
    if (fmt.isJet4()) {
        // As jet4Layout() reads the trailer, for its first offset alone: the one stored last,
        // before the slot count; a row without slots has its data end at the trailer.
        const size_t trailer = row.size() - maskSize;
        if (!hasVariable)
            return trailer;
        if (row.size() < maskSize + 4 + 2)
            return damaged("row too short for its variable column table");
        const size_t n = getU16(row, trailer - 2);
        if (2 * n + 4 + 2 + maskSize > row.size())
            return damaged("row claims " + std::to_string(n) + " variable columns, more than fit");
        const size_t eodPos = trailer - 4 - 2 * n;
        const size_t end = n > 0 ? getU16(row, trailer - 4) : eodPos;
        if (end < fmt.rowCountSize || end > eodPos)
            return damaged("the first variable column's offset lies outside the row");
        return end;
    }
    VarLayout v{scratch};
    VELMORA_RETURN_IF_ERROR(jet3Layout(row, maskSize, hasVariable, v));
    const size_t end = v.starts.size() > 1 ? v.starts[0] : v.trailerStart;
    if (end < fmt.rowCountSize || end > v.trailerStart)
        return damaged("the first variable column's offset lies outside the row");
    return end;
}

Result<std::vector<uint8_t>> readLongValue(Bytes field, const LongValueRowReader& readRow,
                                           size_t maxBytes) {
    if (field.size() < long_value::kHeaderSize)
        return damaged("long value header is shorter than 12 bytes");
    size_t length = getU32(field, 0) & 0x3FFFFFFF;
    uint8_t kind = field[3] & 0xC0;
    if (length > maxBytes)
        return damaged("long value claims " + std::to_string(length) + " bytes");
    if (kind == long_value::kInline) {
        if (long_value::kHeaderSize + length > field.size())
            return damaged("inline long value runs past its row");
        Bytes data = field.subspan(long_value::kHeaderSize, length);
        return std::vector<uint8_t>(data.begin(), data.end());
    }
    if (!readRow)
        return damaged("long value stored outside the row, and no reader for it");
    RowPointer where = RowPointer::fromU32(getU32(field, 4));
    if (kind == long_value::kSingleRow) {
        VELMORA_ASSIGN_OR_RETURN(RowBytes row, readRow(where));
        if (length > row.bytes.size()) {
            return damaged("long value at page " + std::to_string(where.page) + " row " +
                           std::to_string(where.row) + " is shorter than its header says");
        }
        return std::vector<uint8_t>(row.bytes.begin(), row.bytes.begin() + long(length));
    }
    if (kind != long_value::kChain)
        return damaged("long value has unknown storage type");
    std::vector<uint8_t> out;
    out.reserve(length);
    std::set<uint32_t> seen;
    while (out.size() < length) {
        if (!seen.insert(where.toU32()).second)
            return damaged("long value chain loops at page " + std::to_string(where.page));
        VELMORA_ASSIGN_OR_RETURN(RowBytes row, readRow(where));
        if (row.bytes.size() < 4)
            return damaged("long value chain row at page " + std::to_string(where.page) +
                           " is too short");
        uint32_t next = getU32(row.bytes, 0);
        size_t take = std::min(row.bytes.size() - 4, length - out.size());
        out.insert(out.end(), row.bytes.begin() + 4, row.bytes.begin() + 4 + long(take));
        if (next == 0)
            break;
        where = RowPointer::fromU32(next);
    }
    if (out.size() < length)
        return damaged("long value chain ends after " + std::to_string(out.size()) + " of " +
                       std::to_string(length) + " bytes");
    return out;
}

Result<Value> decodeValue(const store::ColumnDef& c, const RowField& f, const ValueContext& ctx) {
    Value v;
    ValueTarget target{v, ctx};
    VELMORA_RETURN_IF_ERROR(decodeField(c, f, ctx, target));
    return v;
}

Result<store::Row> decodeRow(const store::TableSchema& schema, Bytes row, const ValueContext& ctx) {
    store::Row out;
    VELMORA_RETURN_IF_ERROR(RowDecoder(ctx).decode(schema, row, out));
    return out;
}

Status RowDecoder::decode(const store::TableSchema& schema, Bytes row, store::Row& out) {
    VELMORA_RETURN_IF_ERROR(crackRowInto(*m_ctx.fmt, schema, row, m_fields, m_starts));
    out.resize(m_fields.size());
    for (size_t i = 0; i < m_fields.size(); ++i) {
        ValueTarget target{out[i], m_ctx};
        VELMORA_RETURN_IF_ERROR(decodeField(schema.columns[i], m_fields[i], m_ctx, target));
    }
    return Status::ok();
}

Status RowDecoder::decode(const store::TableSchema& schema, Bytes row, store::PackedRowBuilder& out,
                          std::span<const uint8_t> wanted) {
    // Each column is found and decoded in one step: a scan of 32 767 channels keeps no field
    // list per row.
    const JetFormat& fmt = *m_ctx.fmt;
    RowFrame frame{0, {}, VarLayout{m_starts}};
    VELMORA_RETURN_IF_ERROR(frameRow(fmt, schema, row, frame));
    out.clear();
    PackedTarget target{out, m_ctx, m_text};
    for (size_t i = 0; i < schema.columns.size(); ++i) {
        const store::ColumnDef& c = schema.columns[i];
        if (!wanted.empty() && (i >= wanted.size() || wanted[i] == 0)) {
            out.addNull();
            continue;
        }
        RowField field;
        const FieldFault fault = locateField(fmt, c, row, frame, field);
        if (fault != FieldFault::kNone)
            return faultStatus(fault, c);
        if (!decodeSimpleField(c, field, target))
            VELMORA_RETURN_IF_ERROR(decodeField(c, field, m_ctx, target));
    }
    return Status::ok();
}

}  // namespace velmora::engine::jet
