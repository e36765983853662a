#include "platform/reader/engine/field_model.hpp"

#include <algorithm>

#include "platform/errors.hpp"
#include "platform/field_types.hpp"
#include "platform/reader/records/column_type.hpp"
#include "platform/reader/system_tables/name_match.hpp"

namespace qz::jet {
namespace {

namespace field_type = engine::field_type;

// Column flags (reference 3.6).
constexpr std::uint8_t auto_number_flag = 0x04;
constexpr std::uint8_t replication_flag = 0x10;
constexpr std::uint8_t hyperlink_flag = 0x80;
constexpr std::uint8_t compressed_unicode_flag = 0x01;
constexpr std::uint8_t version_history_flag = 0x20;
// Field attribute bits of the engine.
constexpr std::int32_t fixed_field = 1, variable_field = 2, auto_increment_field = 16, system_field = 8192,
                       hyperlink_field = 32768;
// A calculated Text column's stored length includes a 23-byte wrapper (reference 13.1).
constexpr std::int32_t calculated_text_overhead = 23;
// Logical index kinds and relationship roles (reference 3.9); real index flags (3.8).
constexpr std::uint8_t primary_key_kind = 1, foreign_key_kind = 2, primary_side_role = 1;
constexpr std::uint8_t unique_flag = 0x01, ignore_nulls_flag = 0x02, required_flag = 0x08;

std::int16_t engine_type(std::uint8_t file_code) {
    switch (file_code) {
        case file_type::decimal:
            return field_type::decimal;
        case file_type::fixed_binary:
            return field_type::binary;
        case file_type::big_int:
            return field_type::big_int;
        case file_type::date_extended:
            return field_type::extended_date_time;
        default:
            return file_code;
    }
}

const PropertyEntry* find_property(const PropertyMap* map, std::u16string_view name) {
    if (map == nullptr) return nullptr;
    for (const auto& e : map->entries) {
        if (same_name(e.name, name)) return &e;
    }
    return nullptr;
}

bool truth(const engine::Variant& v) {
    if (const auto* b = std::get_if<bool>(&v)) return *b;
    if (const auto* i = std::get_if<std::int64_t>(&v)) return *i != 0;
    return false;
}

}  // namespace

bool is_listed(const ColumnDescriptor& column) {
    return !(column.type == file_type::complex && (column.extended_flags & version_history_flag) != 0);
}

bool is_listed(const LogicalIndex& index) {
    return !(index.kind == foreign_key_kind && index.relationship_role == primary_side_role);
}

std::vector<const ColumnDescriptor*> listed_columns(const TableDefinition& table) {
    std::vector<const ColumnDescriptor*> listed;
    for (const auto& c : table.columns) {
        if (is_listed(c)) listed.push_back(&c);
    }
    return listed;
}

std::vector<const LogicalIndex*> listed_indexes(const TableDefinition& table) {
    std::vector<const LogicalIndex*> listed;
    for (const auto& i : table.logical_indexes) {
        if (is_listed(i)) listed.push_back(&i);
    }
    // The engine lists indexes by their number; the stored entries are sorted by name instead.
    std::stable_sort(listed.begin(), listed.end(),
                     [](const LogicalIndex* a, const LogicalIndex* b) { return a->number < b->number; });
    return listed;
}

FieldModel field_model(const Catalog& catalog, const ColumnDescriptor& column,
                       const PropertyMap* column_properties) {
    const bool jet3 = catalog.jet3();
    FieldModel f;
    f.name = column.name;
    f.ordinal_position = static_cast<std::int16_t>(column.ordinal);

    std::uint8_t file_code = column.type;
    if (column.calculated()) {
        if (const auto* result = find_property(column_properties, u"ResultType")) {
            if (const auto* code = std::get_if<std::int64_t>(&result->value))
                file_code = static_cast<std::uint8_t>(*code);
        }
    }
    if (file_code == file_type::complex) {
        const ComplexColumn complex = catalog.complex_column(column.complex_id);
        f.type = complex.type != 0 ? complex.type : static_cast<std::int16_t>(file_code);
    } else {
        f.type = engine_type(file_code);
    }

    if (const std::int32_t fixed = field_type::fixed_size(f.type);
        fixed > 0 && file_code != file_type::complex) {
        f.size = fixed;
    } else if (file_code == file_type::text) {
        std::int32_t bytes = column.length;
        if (column.calculated()) bytes = std::max(0, bytes - calculated_text_overhead);
        f.size = jet3 ? bytes : bytes / 2;
    } else if (file_code == file_type::memo || file_code == file_type::ole) {
        f.size = 0;
    } else {
        f.size = column.length;
    }

    f.attributes = column.fixed_length() ? fixed_field : variable_field;
    if (column.type == file_type::long_integer && (column.flags & auto_number_flag) != 0)
        f.attributes |= auto_increment_field;
    if ((column.flags & replication_flag) != 0) f.attributes |= system_field;
    if (column.type == file_type::memo && (column.flags & hyperlink_flag) != 0)
        f.attributes |= hyperlink_field;

    const bool textual = f.type == field_type::text || f.type == field_type::memo;
    f.collating_order =
        textual && column.sort_order != 0 ? column.sort_order : catalog.file().format().sort_order;

    const auto* default_value = find_property(column_properties, u"DefaultValue");
    f.default_value = default_value != nullptr ? default_value->value : engine::Variant{std::u16string{}};
    if (const auto* required = find_property(column_properties, u"Required"))
        f.required = truth(required->value);
    if (const auto* zero_length = find_property(column_properties, u"AllowZeroLength")) {
        f.allow_zero_length = truth(zero_length->value);
    }

    if (column_properties != nullptr) {
        for (const auto& e : column_properties->entries) {
            // Jet 4 and ACE report the descriptor's compression flag, added below; other types have none.
            if (same_name(e.name, u"UnicodeCompression") && (!jet3 || !textual)) continue;
            engine::Variant value = e.value;
            if (same_name(e.name, u"DecimalPlaces")) {
                // A Byte property: 255 means "automatic", never -1.
                if (const auto* n = std::get_if<std::int64_t>(&value)) value = std::int64_t{*n & 0xFF};
            }
            f.properties.push_back({e.name, std::move(value)});
        }
    }
    if (!jet3 && textual) {
        f.properties.push_back(
            {u"UnicodeCompression", (column.extended_flags & compressed_unicode_flag) != 0});
    }
    return f;
}

IndexModel index_model(const PageFile& file, const TableDefinition& table, const LogicalIndex& index) {
    const RealIndex& real = table.real_indexes[index.real_index];
    IndexModel m;
    m.name = index.name;
    m.primary = index.kind == primary_key_kind;
    m.foreign = index.kind == foreign_key_kind && index.relationship_role != primary_side_role;
    m.unique = m.primary || (real.flags & unique_flag) != 0;
    m.required = (real.flags & required_flag) != 0;
    m.ignore_nulls = (real.flags & ignore_nulls_flag) != 0;
    for (const IndexKey& key : real.keys) {
        const auto column =
            std::find_if(table.columns.begin(), table.columns.end(),
                         [&](const ColumnDescriptor& c) { return c.number == key.column_number; });
        if (column == table.columns.end())
            throw errors::database_damaged(file.path(), "an index names a column the table does not have");
        if (!m.fields.empty()) m.fields += u';';
        m.fields += key.ascending ? u'+' : u'-';
        m.fields += column->name;
    }
    return m;
}

}  // namespace qz::jet
