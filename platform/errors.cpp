#include "platform/errors.hpp"

#include "platform/text/code_page.hpp"

namespace qz::errors {
namespace {

std::u16string quoted(const std::u16string& text) { return u"'" + text + u"'"; }

}  // namespace

Error invalid_procedure_call() {
    return Error(error_number::invalid_procedure_call, u"Invalid procedure call or argument");
}
Error invalid_argument(const std::u16string& what) {
    return Error(error_number::invalid_procedure_call, u"Invalid procedure call or argument: " + what);
}
Error text_conversion_unavailable() {
    return Error(error_number::invalid_procedure_call, u"Text conversion is not available.");
}
Error overflow() { return Error(error_number::overflow, u"Overflow"); }
Error out_of_memory() { return Error(number::out_of_memory, u"Out of memory"); }
Error subscript_out_of_range() {
    return Error(error_number::subscript_out_of_range, u"Subscript out of range");
}
Error internal_error() { return Error(number::internal_error, u"Internal error"); }
Error disk_full() { return Error(error_number::disk_full, u"Disk full"); }
Error permission_denied() { return Error(error_number::permission_denied, u"Permission denied"); }
Error path_file_access_error() {
    return Error(error_number::path_file_access_error, u"Path/File access error");
}
Error path_not_found() { return Error(error_number::path_not_found, u"Path not found"); }
Error object_not_set() {
    return Error(error_number::object_not_set, u"Object variable or With block variable not set");
}
Error error_in_loading_dll(const std::u16string& library) {
    return Error(error_number::error_in_loading_dll, u"Error in loading DLL " + quoted(library) + u".");
}
Error dll_entry_point_not_found(const std::u16string& function, const std::u16string& library) {
    return Error(error_number::dll_entry_point_not_found,
                 u"Can't find DLL entry point " + function + u" in " + library + u".");
}

Error object_not_found(const std::u16string& object, const std::u16string& path) {
    return Error(number::object_not_found,
                 u"Could not find the object " + quoted(object) + u" in " + quoted(path) + u".");
}
Error file_not_found(const std::u16string& path) {
    return Error(error_number::file_not_found, u"Could not find file " + quoted(path) + u".");
}
Error wrong_password() { return Error(error_number::wrong_password, u"Not a valid password."); }
Error invalid_path(const std::u16string& path) {
    return Error(error_number::invalid_path, quoted(path) + u" is not a valid path.");
}
Error database_damaged(const std::u16string& path, std::string_view what) {
    return Error(error_number::database_damaged, u"Cannot open database " + quoted(path) +
                                                     u". It may be damaged: " + text::utf8_to_utf16(what) +
                                                     u".");
}
Error cannot_open_file(const std::u16string& path, const std::u16string& reason) {
    return Error(error_number::cannot_open_file,
                 u"Cannot open the file " + quoted(path) + u": " + reason + u".");
}
Error odbc_connection_failed(const std::u16string& source_name) {
    return Error(error_number::odbc_connection_failed,
                 u"ODBC--connection to " + quoted(source_name) + u" failed.");
}
Error item_not_found() { return Error(error_number::item_not_found, u"Item not found in this collection."); }
Error unrecognized_format(const std::u16string& path) {
    return Error(error_number::unrecognized_format, u"Unrecognized database format " + quoted(path) + u".");
}

Error syntax_error(const std::u16string& query, const std::u16string& text) {
    return Error(number::syntax_error,
                 u"Syntax error in query expression " + quoted(text) + u" of query " + quoted(query) + u".");
}
Error input_not_found(const std::u16string& input) {
    return Error(error_number::input_not_found,
                 u"The input table or query " + quoted(input) + u" cannot be found.");
}
Error ambiguous_field(const std::u16string& query, const std::u16string& field) {
    return Error(number::ambiguous_field,
                 u"The specified field " + quoted(field) +
                     u" could refer to more than one table listed in the FROM clause of query " +
                     quoted(query) + u".");
}
Error undefined_function(const std::u16string& query, const std::u16string& function) {
    return Error(number::undefined_function, u"Undefined function " + quoted(function) +
                                                 u" in expression of query " + quoted(query) + u".");
}
Error circular_reference(const std::u16string& query) {
    return Error(number::circular_reference, u"Circular reference caused by " + quoted(query) + u".");
}
Error too_many_fields(const std::u16string& query) {
    return Error(number::too_many_fields, u"Too many fields defined in query " + quoted(query) + u".");
}
Error too_complex(const std::u16string& query) {
    return Error(number::too_complex, u"Query " + quoted(query) + u" is too complex.");
}

}  // namespace qz::errors
