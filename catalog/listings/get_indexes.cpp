#include <cstdint>

#include "catalog/listings/find_catalog_entry.hpp"
#include "catalog/listings/listing_output.hpp"
#include "catalog/listings/listings.hpp"
#include "catalog/listings/record_text.hpp"
#include "catalog/listings/value_text.hpp"

namespace qz::listings {

void indexes(const engine::Database& database, const Separators& separators, std::u16string_view table_name,
             ListingOutput& output) {
    const auto table = find_catalog_entry(*database.TableDefs(), table_name);
    if (!table) {
        output.text() += table_not_found;
        return;
    }
    const auto indexes = table->Indexes();
    const std::int16_t count = indexes->Count();
    for (std::int16_t position = 0; position < count; ++position) {
        const auto index = indexes->Item(position);
        const std::u16string name = index->Name();
        const bool clustered = index->Clustered();
        const std::u16string fields = index->Fields();
        const bool foreign = index->Foreign();
        const bool ignore_nulls = index->IgnoreNulls();
        const bool primary = index->Primary();
        const bool required = index->Required();
        const bool unique = index->Unique();

        RecordText(output.text(), output.empty(), separators.record, separators.item, separators.key)
            .item(u"name", name)
            .item(u"clustered", boolean_text(clustered))
            .item(u"fields", fields)
            .item(u"foreign", boolean_text(foreign))
            .item(u"ignore_nulls", boolean_text(ignore_nulls))
            .item(u"primary", boolean_text(primary))
            .item(u"required", boolean_text(required))
            .item(u"unique", boolean_text(unique));
        output.record_written();
    }
}

}  // namespace qz::listings
