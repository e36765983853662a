#include "catalog/listings/field_type_name.hpp"

#include <string_view>

#include "catalog/listings/value_text.hpp"
#include "platform/field_types.hpp"

namespace qz::listings {

std::u16string field_type_name(std::int16_t type_code) {
    namespace field_type = engine::field_type;
    struct TypeName {
        std::int16_t code;
        std::u16string_view name;
    };
    // The engine's type constants (dbAttachment, dbBigInt ...) and the names callers know them by.
    static constexpr TypeName names[] = {
        {field_type::attachment, u"attachment"},
        {field_type::big_int, u"big_int"},
        {field_type::binary, u"binary"},
        {field_type::boolean, u"boolean"},
        {field_type::byte, u"byte"},
        {field_type::fixed_char, u"char"},
        {field_type::complex_byte, u"complex_byte"},
        {field_type::complex_decimal, u"complex_decimal"},
        {field_type::complex_double, u"complex_double"},
        {field_type::complex_guid, u"complex_guid"},
        {field_type::complex_integer, u"complex_integer"},
        {field_type::complex_long, u"complex_long"},
        {field_type::complex_single, u"complex_single"},
        {field_type::complex_text, u"complex_text"},
        {field_type::currency, u"currency"},
        {field_type::date, u"date"},
        {field_type::decimal, u"decimal"},
        {field_type::double_float, u"double"},
        {field_type::floating, u"float"},
        {field_type::guid, u"guid"},
        {field_type::integer, u"integer"},
        {field_type::long_integer, u"long"},
        {field_type::long_binary, u"long_binary"},
        {field_type::memo, u"memo"},
        {field_type::numeric, u"numeric"},
        {field_type::single, u"single"},
        {field_type::text, u"text"},
        {field_type::time, u"time"},
        {field_type::time_stamp, u"time_stamp"},
        {field_type::var_binary, u"var_binary"},
    };
    for (const TypeName& entry : names) {
        if (entry.code == type_code) return std::u16string(entry.name);
    }
    return integer_text(type_code);
}

}  // namespace qz::listings
