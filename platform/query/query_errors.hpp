#pragma once
// The errors that compiling a saved query raises, with the Windows engine's numbers so callers that test
// numbers keep working. Each description names the query it happened in.

#include <cstdint>
#include <string>

namespace qz::query {

namespace query_error_number {
inline constexpr std::int32_t syntax_error = 3075;
inline constexpr std::int32_t ambiguous_field = 3079;
inline constexpr std::int32_t undefined_function = 3085;
inline constexpr std::int32_t circular_reference = 3103;
inline constexpr std::int32_t too_many_fields = 3190;
inline constexpr std::int32_t too_complex = 3360;
}  // namespace query_error_number

[[noreturn]] void throw_syntax_error(const std::u16string& query, const std::u16string& text);
[[noreturn]] void throw_input_not_found(const std::u16string& input);
[[noreturn]] void throw_ambiguous_field(const std::u16string& query, const std::u16string& field);
[[noreturn]] void throw_undefined_function(const std::u16string& query, const std::u16string& function);
[[noreturn]] void throw_circular_reference(const std::u16string& query);
[[noreturn]] void throw_too_complex(const std::u16string& query);
[[noreturn]] void throw_too_many_fields(const std::u16string& query);

}  // namespace qz::query
