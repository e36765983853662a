#include "writer/table_definition.hpp"

#include <algorithm>
#include <stdexcept>

#include "writer/text_bytes.hpp"

namespace qz::writer {
namespace {

constexpr std::uint8_t table_type_ordinary = 0x4E;     // 'N'
constexpr std::uint8_t table_type_core_system = 0x53;  // 'S'
constexpr std::uint32_t known_constant = 0x0659;       // J4+ TDEF 0x0C, descriptor 0x01, logical index 0x00
constexpr std::uint32_t real_index_constant = 0x0783;  // J4+ real index 0x00
constexpr std::uint16_t general_sort = 0x0409;         // LCID 1033, the General sort order
constexpr std::size_t key_slots = 10;                  // 3.8: ten 3-byte key-column slots
constexpr std::uint16_t end_of_long_value_maps = 0xFFFF;
constexpr std::uint8_t ascending = 0x01, descending = 0x00;

std::uint16_t fixed_size(ColumnType type) {
    switch (type) {
        case ColumnType::boolean:
        case ColumnType::byte:
            return 1;
        case ColumnType::integer:
            return 2;
        case ColumnType::long_integer:
        case ColumnType::single:
            return 4;
        case ColumnType::currency:
        case ColumnType::double_float:
        case ColumnType::date_time:
            return 8;
        case ColumnType::guid:
            return 16;
        case ColumnType::decimal:
            return 17;
        default:
            return 0;
    }
}

bool is_variable(const Column& c) {
    if (!c.expression.empty()) return true;  // calculated values are always variable (13.1)
    if (c.complex != ComplexKind::none) return false;
    switch (c.type) {
        case ColumnType::text:
        case ColumnType::binary:
            return !c.fixed_length;
        case ColumnType::memo:
        case ColumnType::ole:
            return true;
        default:
            return false;
    }
}

std::u16string folded(std::u16string_view s) {
    std::u16string out(s);
    for (char16_t& c : out) {
        if (c >= u'a' && c <= u'z') c = static_cast<char16_t>(c - 0x20);
    }
    return out;
}

std::uint8_t flags_of(const Column& c, bool core_system) {
    std::uint8_t flags = column_flag::updatable;
    if (!is_variable(c)) flags |= column_flag::fixed;
    if (core_system) {
        flags |= column_flag::core_system;
        if (c.type == ColumnType::binary && c.name != u"Order" && c.name != u"RmtInfoShort")
            flags |= column_flag::owner_sid;
    }
    if ((c.auto_number && c.type == ColumnType::long_integer) || c.complex != ComplexKind::none)
        flags |= column_flag::auto_number;
    if (c.auto_number && c.type == ColumnType::guid) flags |= column_flag::replication;
    if (c.hyperlink && c.type == ColumnType::memo) flags |= column_flag::hyperlink;
    return flags;
}

void put_descriptor(Bytes& out, const FileLayout& layout, const ColumnLayout& c) {
    const bool text_like = c.type == ColumnType::text || c.type == ColumnType::memo;
    put_u8(out, static_cast<std::uint8_t>(c.type));
    if (!layout.jet3) put_u32(out, known_constant);
    put_u16(out, c.number);
    put_u16(out, c.variable_index);
    put_u16(out, c.ordinal);
    if (layout.jet3) {
        put_u16(out, 0);  // 0x07: unknown
        put_u16(out, general_sort);
        if (c.type == ColumnType::decimal) {
            put_u8(out, c.precision);
            put_u8(out, c.scale);
        } else {
            put_u16(out, text_like ? 1252u : 0u);  // the code page of the column's text
        }
        put_u8(out, c.flags);
    } else {
        if (static_cast<std::uint8_t>(c.type) == complex_type) {
            put_u32(out, c.complex_id);
        } else if (c.type == ColumnType::decimal) {
            put_u8(out, c.precision);
            put_u8(out, c.scale);
            put_u16(out, 0);
        } else {
            put_u16(out, general_sort);
            put_u16(out, 0);  // 0x0D: 0; 0x0E: sort order version 0 (General, legacy)
        }
        put_u8(out, c.flags);
        put_u8(out, c.ext_flags);
        put_u32(out, 0);
    }
    put_u16(out, c.fixed_offset);
    put_u16(out, c.length);
}

void put_real_index(Bytes& out, const FileLayout& layout, const RealIndex& index) {
    if (!layout.jet3) put_u32(out, real_index_constant);
    for (std::size_t slot = 0; slot < key_slots; ++slot) {
        if (slot < index.keys.size()) {
            put_u16(out, index.keys[slot].first);
            put_u8(out, index.keys[slot].second ? descending : ascending);
        } else {
            put_u16(out, 0xFFFF);
            put_u8(out, 0);
        }
    }
    put_u32(out, index.usage_map.packed());
    put_u32(out, index.root_page);
    if (!layout.jet3) put_u32(out, 0);
    put_u8(out, index.flags);
    if (!layout.jet3) {
        put_u8(out, index.complex_marker);
        put_bytes(out, Bytes(4, 0));
    }
}

void put_logical_index(Bytes& out, const FileLayout& layout, const LogicalIndex& index) {
    if (!layout.jet3) put_u32(out, known_constant);
    put_u32(out, static_cast<std::uint32_t>(index.number));
    put_u32(out, static_cast<std::uint32_t>(index.real_index));
    put_u8(out, index.foreign_role);
    put_u32(out, static_cast<std::uint32_t>(index.foreign_index));
    put_u32(out, index.foreign_table);
    put_u8(out, index.cascade_updates);
    put_u8(out, index.cascade_deletes);
    put_u8(out, index.type);
    if (!layout.jet3) put_u32(out, 0);
}

}  // namespace

const ColumnLayout& TableLayout::column(std::u16string_view wanted) const {
    for (const auto& c : columns) {
        if (folded(c.name) == folded(wanted)) return c;
    }
    throw std::invalid_argument("no column of that name in the table");
}

std::vector<const ColumnLayout*> TableLayout::by_number() const {
    std::vector<const ColumnLayout*> out;
    for (const auto& c : columns) out.push_back(&c);
    std::sort(out.begin(), out.end(), [](auto* a, auto* b) { return a->number < b->number; });
    return out;
}

std::vector<ColumnLayout> lay_out_columns(const FileLayout& layout, const std::vector<Column>& columns,
                                          bool core_system) {
    if (columns.empty() || columns.size() > 255) throw std::invalid_argument("a table needs 1 to 255 columns");
    std::vector<ColumnLayout> out;
    std::uint16_t fixed_offset = 0, variable_index = 0;
    for (std::size_t i = 0; i < columns.size(); ++i) {
        const Column& c = columns[i];
        if (c.name.empty() || c.name.size() > 64) throw std::invalid_argument("a column name has 1 to 64 characters");
        if (layout.jet3 && c.type == ColumnType::decimal) throw std::invalid_argument("Jet 3 has no Decimal columns");
        if (!layout.ace() && c.complex != ComplexKind::none) throw std::invalid_argument("complex columns need ACE");
        if (layout.version < 3 && !c.expression.empty()) throw std::invalid_argument("calculated columns need ACE 14");
        ColumnLayout l;
        l.name = c.name;
        l.type = c.type;
        l.number = static_cast<std::uint16_t>(i);
        l.ordinal = core_system ? 0 : static_cast<std::uint16_t>(i);
        l.flags = flags_of(c, core_system);
        l.precision = c.precision;
        l.scale = c.scale;
        const bool text = c.type == ColumnType::text;
        if (text || c.type == ColumnType::binary) {
            const std::uint16_t size = c.size == 0 ? 255 : c.size;
            if (size > 255) throw std::invalid_argument("Text and Binary columns hold at most 255 units");
            l.length = static_cast<std::uint16_t>(text && !layout.jet3 ? 2 * size : size);
        } else {
            l.length = fixed_size(c.type);
        }
        if (!layout.jet3 && c.unicode_compression && (text || c.type == ColumnType::memo))
            l.ext_flags = extended_flag::compressed;
        if (c.complex != ComplexKind::none) {
            l.type = static_cast<ColumnType>(complex_type);
            l.length = 4;
        } else if (!c.expression.empty()) {
            // A calculated value carries a 23-byte wrapper; fixed-size results take 39 bytes (13.1).
            l.ext_flags |= extended_flag::calculated;
            l.length = c.type == ColumnType::memo ? 0 : text ? static_cast<std::uint16_t>(l.length + 23) : 39;
        }
        if (l.is_fixed()) {
            l.fixed_offset = fixed_offset;
            if (c.type != ColumnType::boolean) fixed_offset = static_cast<std::uint16_t>(fixed_offset + l.length);
        } else {
            l.variable_index = variable_index++;
        }
        out.push_back(std::move(l));
    }
    if (core_system && !layout.jet3) {
        std::stable_sort(out.begin(), out.end(),
                         [](const ColumnLayout& a, const ColumnLayout& b) { return folded(a.name) < folded(b.name); });
    }
    return out;
}

Bytes table_definition_bytes(const FileLayout& layout, const TableLayout& t) {
    Bytes out{0x02, 0x01};
    if (layout.jet3) {
        out.push_back('V');
        out.push_back('C');
    } else {
        put_u16(out, 0);
    }
    put_u32(out, 0);  // next page
    put_u32(out, 0);  // total length, patched below
    if (!layout.jet3) put_u32(out, known_constant);
    put_u32(out, t.row_count);
    put_u32(out, t.auto_number);
    if (!layout.jet3) {
        put_u8(out, 0x01);
        put_bytes(out, Bytes(15, 0));
    }
    std::uint16_t variable = 0;
    for (const auto& c : t.columns) variable = static_cast<std::uint16_t>(variable + (c.is_fixed() ? 0 : 1));
    put_u8(out, t.core_system ? table_type_core_system : table_type_ordinary);
    put_u16(out, t.column_count());  // highest column number + 1
    put_u16(out, variable);
    put_u16(out, t.column_count());
    put_u32(out, static_cast<std::uint32_t>(t.logical_indexes.size()));
    put_u32(out, static_cast<std::uint32_t>(t.real_indexes.size()));
    put_u32(out, t.owned_pages.packed());
    put_u32(out, t.free_pages.packed());
    for (std::size_t i = 0; i < t.real_indexes.size(); ++i) {  // A: statistics
        if (!layout.jet3) put_u32(out, 0);
        put_u32(out, t.row_count);
        if (layout.jet3) put_u32(out, 0);
        if (!layout.jet3) put_u32(out, 0);
    }
    for (const auto& c : t.columns) put_descriptor(out, layout, c);              // B
    for (const auto& c : t.columns) put_name(out, layout, c.name);               // C
    for (const auto& r : t.real_indexes) put_real_index(out, layout, r);         // D
    std::vector<const LogicalIndex*> sorted;
    for (const auto& l : t.logical_indexes) sorted.push_back(&l);
    std::stable_sort(sorted.begin(), sorted.end(),
                     [](auto* a, auto* b) { return folded(a->name) < folded(b->name); });
    for (const auto* l : sorted) put_logical_index(out, layout, *l);             // E
    for (const auto* l : sorted) put_name(out, layout, l->name);                 // F
    for (const auto& m : t.long_value_maps) {                                    // G
        put_u16(out, m.column);
        put_u32(out, m.owned.packed());
        put_u32(out, m.free.packed());
    }
    put_u16(out, end_of_long_value_maps);
    set_u32(out, 8, static_cast<std::uint32_t>(out.size()));
    return out;
}

}  // namespace qz::writer
