#include "catalog/listings/field_type_name.hpp"

#include <string_view>

#include "catalog/listings/value_text.hpp"

namespace qz::listings {

std::u16string field_type_name(std::int16_t type_code) {
    struct TypeName {
        std::int16_t code;
        std::u16string_view name;
    };
    // The engine's type constants (dbAttachment, dbBigInt ...) and the names callers know them by.
    static constexpr TypeName names[] = {
        {101, u"attachment"},
        {16, u"big_int"},
        {9, u"binary"},
        {1, u"boolean"},
        {2, u"byte"},
        {18, u"char"},
        {102, u"complex_byte"},
        {108, u"complex_decimal"},
        {106, u"complex_double"},
        {107, u"complex_guid"},
        {103, u"complex_integer"},
        {104, u"complex_long"},
        {105, u"complex_single"},
        {109, u"complex_text"},
        {5, u"currency"},
        {8, u"date"},
        {20, u"decimal"},
        {7, u"double"},
        {21, u"float"},
        {15, u"guid"},
        {3, u"integer"},
        {4, u"long"},
        {11, u"long_binary"},
        {12, u"memo"},
        {19, u"numeric"},
        {6, u"single"},
        {10, u"text"},
        {22, u"time"},
        {23, u"time_stamp"},
        {17, u"var_binary"},
    };
    for (const TypeName& entry : names) {
        if (entry.code == type_code) return std::u16string(entry.name);
    }
    return integer_text(type_code);
}

}  // namespace qz::listings
