#include "writer/row_encoder.hpp"

#include <algorithm>
#include <bit>
#include <cmath>
#include <stdexcept>

#include "writer/text_bytes.hpp"

namespace qz::writer {
namespace {

constexpr double currency_scale = 10000.0;
constexpr std::size_t guid_size = 16;
constexpr std::uint8_t decimal_negative = 0x80;

std::int64_t integer_of(const Value& v) {
    if (const auto* i = std::get_if<std::int64_t>(&v)) return *i;
    throw std::invalid_argument("a number column was given a value that is not an integer");
}

double number_of(const Value& v) {
    if (const auto* d = std::get_if<double>(&v)) return *d;
    if (const auto* i = std::get_if<std::int64_t>(&v)) return static_cast<double>(*i);
    throw std::invalid_argument("a number column was given a value that is not a number");
}

const std::u16string& text_of(const Value& v) {
    if (const auto* s = std::get_if<std::u16string>(&v)) return *s;
    throw std::invalid_argument("a text column was given a value that is not text");
}

const std::vector<std::uint8_t>& bytes_of(const Value& v) {
    if (const auto* b = std::get_if<std::vector<std::uint8_t>>(&v)) return *b;
    throw std::invalid_argument("a binary column was given a value that is not bytes");
}

// The bytes of a value in the fixed area.
Bytes fixed_value(const FileLayout& layout, const ColumnLayout& c, const Value& v) {
    Bytes out;
    switch (c.type) {
        case ColumnType::byte:
            put_u8(out, static_cast<std::uint32_t>(integer_of(v)));
            break;
        case ColumnType::integer:
            put_u16(out, static_cast<std::uint32_t>(integer_of(v)));
            break;
        case ColumnType::long_integer:
            put_u32(out, static_cast<std::uint32_t>(integer_of(v)));
            break;
        case ColumnType::currency:
            put_u64(out, std::holds_alternative<double>(v)
                             ? static_cast<std::uint64_t>(std::llround(std::get<double>(v) * currency_scale))
                             : static_cast<std::uint64_t>(integer_of(v)) * 10000u);
            break;
        case ColumnType::single:
            put_u32(out, std::bit_cast<std::uint32_t>(static_cast<float>(number_of(v))));
            break;
        case ColumnType::double_float:
        case ColumnType::date_time:
            put_f64(out, number_of(v));
            break;
        case ColumnType::guid:
            out = bytes_of(v);
            if (out.size() != guid_size) throw std::invalid_argument("a GUID has 16 bytes");
            break;
        case ColumnType::decimal: {
            const std::int64_t unscaled = integer_of(v);
            const std::uint64_t magnitude =
                unscaled < 0 ? std::uint64_t{0} - static_cast<std::uint64_t>(unscaled) : static_cast<std::uint64_t>(unscaled);
            put_u8(out, unscaled < 0 ? decimal_negative : 0);
            // Four u32 words, the most significant first (7.5).
            for (const std::uint32_t word : {0u, 0u, static_cast<std::uint32_t>(magnitude >> 32),
                                             static_cast<std::uint32_t>(magnitude)}) {
                put_u32(out, word);
            }
            break;
        }
        case ColumnType::text:
            out = encode_text(layout, text_of(v));
            while (out.size() < c.length) {  // padded with spaces to the declared length
                if (layout.jet3) {
                    put_u8(out, ' ');
                } else {
                    put_u16(out, u' ');
                }
            }
            break;
        case ColumnType::binary:
            out = bytes_of(v);
            out.resize(c.length, 0);
            break;
        default:
            throw std::invalid_argument("a column type cannot be stored in the fixed area");
    }
    if (out.size() > c.length) throw std::invalid_argument("a value is longer than its column");
    return out;
}

Bytes variable_value(const FileLayout& layout, const ColumnLayout& c, const Value& v, LongValueWriter& lv) {
    const bool compress = (c.ext_flags & 0x01) != 0;
    Bytes out;
    switch (c.type) {
        case ColumnType::text:
            out = encode_text_value(layout, text_of(v), compress);
            if (text_of(v).size() * (layout.jet3 ? 1u : 2u) > c.length)
                throw std::invalid_argument("a text is longer than its column");
            return out;
        case ColumnType::binary:
            out = bytes_of(v);
            if (out.size() > c.length) throw std::invalid_argument("a binary value is longer than its column");
            return out;
        case ColumnType::memo:
            return lv.store(encode_text_value(layout, text_of(v), compress));
        case ColumnType::ole:
            return lv.store(bytes_of(v));
        default:
            throw std::invalid_argument("a column type cannot be stored in the variable area");
    }
}

bool is_null(const Value& v) { return std::holds_alternative<std::monostate>(v); }

// Jet 3 rows end with one-byte offsets and a jump table for offsets past 255 (4.3).
void finish_jet3_row(Bytes& row, const std::vector<std::size_t>& offsets, std::size_t mask_size) {
    const std::size_t variable = offsets.size() - 1;
    const std::size_t base = row.size() + offsets.size() + 1 + mask_size;  // + table, count, mask
    std::size_t jumps = 0;
    while ((base + jumps - 1) / 256 > jumps) ++jumps;
    for (std::size_t k = offsets.size(); k-- > 0;) put_u8(row, static_cast<std::uint32_t>(offsets[k] & 0xFF));
    for (std::size_t j = jumps; j-- > 0;) {
        std::uint32_t first = 0xFF;  // no offset reaches this page of 256: a placeholder
        for (std::size_t k = 0; k < offsets.size(); ++k) {
            if (offsets[k] >= 256 * (j + 1)) {
                first = static_cast<std::uint32_t>(k);
                break;
            }
        }
        put_u8(row, first);
    }
    put_u8(row, static_cast<std::uint32_t>(variable));
}

}  // namespace

Bytes encode_row(const FileLayout& layout, const TableLayout& table, const std::vector<Value>& values,
                 LongValueWriter& long_values) {
    const std::vector<const ColumnLayout*> columns = table.by_number();
    if (values.size() != columns.size()) throw std::invalid_argument("a row has a value for every column");
    const std::size_t count = columns.size();
    const std::size_t mask_size = (count + 7) / 8;
    Bytes mask(mask_size, 0);
    std::size_t fixed_end = 0;
    std::vector<const ColumnLayout*> variable;
    for (const auto* c : columns) {
        if (c->is_fixed() && c->type != ColumnType::boolean)
            fixed_end = std::max<std::size_t>(fixed_end, c->fixed_offset + c->length);
        if (!c->is_fixed()) variable.push_back(c);
    }
    std::sort(variable.begin(), variable.end(), [](auto* a, auto* b) { return a->variable_index < b->variable_index; });

    Bytes row;
    if (layout.jet3) {
        put_u8(row, static_cast<std::uint32_t>(count));
    } else {
        put_u16(row, static_cast<std::uint32_t>(count));
    }
    const std::size_t fixed_start = row.size();
    row.resize(fixed_start + fixed_end, 0);
    for (std::size_t i = 0; i < count; ++i) {
        const ColumnLayout& c = *columns[i];
        const Value& v = values[i];
        const auto set_bit = [&] { mask[c.number / 8] = static_cast<std::uint8_t>(mask[c.number / 8] | (1u << (c.number % 8))); };
        if (c.type == ColumnType::boolean) {  // the null-mask bit is the value (4.4)
            if (!is_null(v) && std::get<bool>(v)) set_bit();
            continue;
        }
        if (is_null(v)) continue;
        if (static_cast<std::uint8_t>(c.type) == complex_type ||
            (c.ext_flags & extended_flag::calculated) == extended_flag::calculated)
            throw std::invalid_argument("complex and calculated columns hold null in the writer's rows");
        set_bit();
        if (c.is_fixed()) {
            const Bytes bytes = fixed_value(layout, c, v);
            std::copy(bytes.begin(), bytes.end(), row.begin() + static_cast<std::ptrdiff_t>(fixed_start + c.fixed_offset));
        }
    }
    if (!variable.empty()) {
        std::vector<std::size_t> offsets;
        for (const auto* c : variable) {
            offsets.push_back(row.size());
            const Value& v = values[c->number];
            if (!is_null(v)) put_bytes(row, variable_value(layout, *c, v, long_values));
        }
        offsets.push_back(row.size());
        if (layout.jet3) {
            finish_jet3_row(row, offsets, mask_size);
        } else {
            for (std::size_t k = offsets.size(); k-- > 0;) put_u16(row, static_cast<std::uint32_t>(offsets[k]));
            put_u16(row, static_cast<std::uint32_t>(variable.size()));
        }
    } else if (!layout.jet3) {
        put_u16(row, 0);
    }
    put_bytes(row, mask);
    return row;
}

}  // namespace qz::writer
