#include <cstdint>

#include "catalog/listings/listing_output.hpp"
#include "catalog/listings/listings.hpp"
#include "catalog/listings/record_text.hpp"
#include "catalog/listings/value_text.hpp"

namespace qz::listings {
namespace {

// The joined fields of one relation: pairs joined by the inner record separator, their two items by the
// inner item separator, key and value by the inner key separator.
std::u16string field_pairs(const engine::Relation& relation, const Separators& separators) {
    const auto fields = relation.Fields();
    std::u16string pairs;
    const std::int16_t count = fields->Count();
    for (std::int16_t position = 0; position < count; ++position) {
        const auto field = fields->Item(position);
        const std::u16string name = field->Name();
        const std::u16string foreign_name = field->ForeignName();
        RecordText(pairs, pairs.empty(), separators.inner_record, separators.inner_item, separators.inner_key)
            .item(u"name", name)
            .item(u"foreign_name", foreign_name);
    }
    return pairs;
}

}  // namespace

void relations(const engine::Database& database, const Separators& separators, ListingOutput& output) {
    const auto relations = database.Relations();
    const std::int16_t count = relations->Count();
    for (std::int16_t position = 0; position < count; ++position) {
        const auto relation = relations->Item(position);
        const std::u16string name = relation->Name();
        const std::u16string table = relation->Table();
        const std::u16string foreign_table = relation->ForeignTable();
        const std::int32_t attributes = relation->Attributes();
        const std::u16string fields = field_pairs(*relation, separators);

        RecordText(output.text(), output.empty(), separators.record, separators.item, separators.key)
            .item(u"name", name)
            .item(u"table", table)
            .item(u"foreign_table", foreign_table)
            .item(u"attributes", integer_text(attributes))
            .item(u"fields", fields);
        output.record_written();
    }
}

}  // namespace qz::listings
