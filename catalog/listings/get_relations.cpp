#include <cstdint>

#include "catalog/listings/record_text.hpp"
#include "catalog/listings/value_text.hpp"
#include "catalog/session/qz_cls_odbc_access.hpp"

namespace qz {
namespace {

// The joined fields of one relation: pairs joined by strSep4, their two items by strSep5, key and value
// by strSep6.
std::u16string field_pairs(const engine::Relation& relation, const qz_cls_odbc_access& session) {
    const auto fields = relation.Fields();
    std::u16string pairs;
    const std::int16_t count = fields->Count();
    for (std::int16_t position = 0; position < count; ++position) {
        const auto field = fields->Item(position);
        const std::u16string name = field->Name();
        const std::u16string foreign_name = field->ForeignName();
        listings::RecordText pair(session.strSep5, session.strSep6);
        pair.item(u"name", name).item(u"foreign_name", foreign_name);
        listings::append_record(pairs, session.strSep4, pair.text());
    }
    return pairs;
}

}  // namespace

std::u16string qz_cls_odbc_access::get_relations() {
    const auto relations = database().Relations();
    std::u16string listing;
    const std::int16_t count = relations->Count();
    for (std::int16_t position = 0; position < count; ++position) {
        const auto relation = relations->Item(position);
        const std::u16string name = relation->Name();
        const std::u16string table = relation->Table();
        const std::u16string foreign_table = relation->ForeignTable();
        const std::int32_t attributes = relation->Attributes();
        const std::u16string fields = field_pairs(*relation, *this);

        listings::RecordText record(strSep2, strSep3);
        record.item(u"name", name)
            .item(u"table", table)
            .item(u"foreign_table", foreign_table)
            .item(u"attributes", listings::integer_text(attributes))
            .item(u"fields", fields);
        listings::append_record(listing, strSep1, record.text());
    }
    return listing;
}

}  // namespace qz
