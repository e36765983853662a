#include "catalog/listings/describe_field.hpp"

#include "catalog/listings/field_type_name.hpp"
#include "catalog/listings/listing_output.hpp"
#include "catalog/listings/record_text.hpp"
#include "catalog/listings/value_text.hpp"

namespace qz::listings {
namespace {

// The attributes of an auto-increment Long exactly (fixed size + auto-increment); any further bit, as a
// query's updatable bit, makes it "N".
constexpr std::int32_t auto_increment_attributes = 17;

}  // namespace

void describe_field(const engine::Field& field, const Separators& separators, const locale::DateText& dates,
                    ListingOutput& output) {
    std::u16string decimal_places;
    std::u16string unicode_compression;
    {
        const auto properties = field.Properties();
        const std::int16_t count = properties->Count();
        for (std::int16_t position = 0; position < count; ++position) {
            const auto property = properties->Item(position);
            const std::u16string name = property->Name();
            if (name == u"DecimalPlaces") {
                decimal_places = variant_text(property->Value(), dates);
            } else if (name == u"UnicodeCompression") {
                unicode_compression = variant_text(property->Value(), dates);
            }
        }
    }
    const std::u16string type_name = field_type_name(field.Type());
    const std::int32_t attributes = field.Attributes();
    const std::u16string name = field.Name();
    const bool allow_zero_length = field.AllowZeroLength();
    const std::u16string default_value = variant_text(field.DefaultValue(), dates);
    const std::int16_t ordinal_position = field.OrdinalPosition();
    const bool required = field.Required();
    const std::int32_t size = field.Size();
    const std::int32_t collating_order = field.CollatingOrder();

    RecordText(output.text(), output.empty(), separators.record, separators.item, separators.key)
        .item(u"name", name)
        .item(u"allow_zero_length", boolean_text(allow_zero_length))
        .item(u"attributes", integer_text(attributes))
        .item(u"default_value", default_value)
        .item(u"ordinal_position", integer_text(ordinal_position))
        .item(u"required", boolean_text(required))
        .item(u"size", integer_text(size))
        .item(u"type", type_name)
        .item(u"collating_order", integer_text(collating_order))
        .item(u"auto_incr_field", attributes == auto_increment_attributes ? u"S" : u"N")
        .item(u"decimal", decimal_places)
        .item(u"unicode", unicode_compression);
}

void describe_fields(const engine::Collection<engine::Field>& fields, const Separators& separators,
                     ListingOutput& output) {
    const locale::DateText dates;
    const std::int16_t count = fields.Count();
    for (std::int16_t position = 0; position < count; ++position) {
        describe_field(*fields.Item(position), separators, dates, output);
        output.record_written();
    }
}

}  // namespace qz::listings
