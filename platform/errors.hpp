#pragma once
// Every error the project raises, with its number and its description, in one place. Each function builds
// the error for one failure; callers throw it (or, where an error is reported rather than raised, hand it
// on). Engine failures keep the Windows engine's numbers and runtime failures the language runtime's, so
// callers that test numbers keep working.

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/error.hpp"

namespace qz::errors {

// Numbers raised besides the published ones of error.hpp.
namespace number {
inline constexpr std::int32_t out_of_memory = 7;
inline constexpr std::int32_t internal_error = 51;
inline constexpr std::int32_t object_not_found = 3011;
inline constexpr std::int32_t syntax_error = 3075;
inline constexpr std::int32_t ambiguous_field = 3079;
inline constexpr std::int32_t undefined_function = 3085;
inline constexpr std::int32_t circular_reference = 3103;
inline constexpr std::int32_t too_many_fields = 3190;
inline constexpr std::int32_t too_complex = 3360;
}  // namespace number

// The language runtime's errors.
Error invalid_procedure_call();
// The same 5, saying which argument of the C interface it could not work with (a missing handle or
// out-argument).
Error invalid_argument(const std::u16string& what);
// The same 5, when no text conversion is available on the system.
Error text_conversion_unavailable();
Error overflow();
Error out_of_memory();
Error subscript_out_of_range();
Error internal_error();
Error disk_full();
Error permission_denied();
Error path_file_access_error();
Error path_not_found();
Error object_not_set();
// A system library opened on first use is missing, or lacks a function.
Error error_in_loading_dll(const std::u16string& library);
Error dll_entry_point_not_found(const std::u16string& function, const std::u16string& library);

// The database engine's errors opening and reading a file.
Error object_not_found(const std::u16string& object, const std::u16string& path);
Error file_not_found(const std::u16string& path);
Error wrong_password();
Error invalid_path(const std::u16string& path);
// `what` says what was wrong in the file.
Error database_damaged(const std::u16string& path, std::string_view what);
// `reason` says why the system refused.
Error cannot_open_file(const std::u16string& path, const std::u16string& reason);
Error odbc_connection_failed(const std::u16string& source_name);
Error item_not_found();
Error unrecognized_format(const std::u16string& path);

// The engine's errors compiling a saved query; each description names the query it happened in.
Error syntax_error(const std::u16string& query, const std::u16string& text);
Error input_not_found(const std::u16string& input);
Error ambiguous_field(const std::u16string& query, const std::u16string& field);
Error undefined_function(const std::u16string& query, const std::u16string& function);
Error circular_reference(const std::u16string& query);
Error too_many_fields(const std::u16string& query);
Error too_complex(const std::u16string& query);

}  // namespace qz::errors
