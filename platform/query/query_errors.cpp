#include "platform/query/query_errors.hpp"

#include "platform/error.hpp"

namespace qz::query {

namespace {

std::u16string quoted(const std::u16string& text) { return u"'" + text + u"'"; }

}  // namespace

void throw_syntax_error(const std::u16string& query, const std::u16string& text) {
    throw Error(query_error_number::syntax_error,
                u"Syntax error in query expression " + quoted(text) + u" of query " + quoted(query) + u".");
}

void throw_input_not_found(const std::u16string& input) {
    throw Error(error_number::input_not_found,
                u"The input table or query " + quoted(input) + u" cannot be found.");
}

void throw_ambiguous_field(const std::u16string& query, const std::u16string& field) {
    throw Error(query_error_number::ambiguous_field,
                u"The specified field " + quoted(field) +
                    u" could refer to more than one table listed in the FROM clause of query " + quoted(query) + u".");
}

void throw_undefined_function(const std::u16string& query, const std::u16string& function) {
    throw Error(query_error_number::undefined_function,
                u"Undefined function " + quoted(function) + u" in expression of query " + quoted(query) + u".");
}

void throw_circular_reference(const std::u16string& query) {
    throw Error(query_error_number::circular_reference, u"Circular reference caused by " + quoted(query) + u".");
}

void throw_too_complex(const std::u16string& query) {
    throw Error(query_error_number::too_complex, u"Query " + quoted(query) + u" is too complex.");
}

void throw_too_many_fields(const std::u16string& query) {
    throw Error(query_error_number::too_many_fields, u"Too many fields defined in query " + quoted(query) + u".");
}

}  // namespace qz::query
