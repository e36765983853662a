#pragma once
// The one error type of the project: a number and a description, raised by any layer and caught only by
// the front end (and the bindings), which turn it into the error line.

#include <cstdint>
#include <exception>
#include <string>

// Exported: clients of the shared library catch it.
#pragma GCC visibility push(default)
namespace qz {

class Error : public std::exception {
public:
    Error(std::int32_t number, std::u16string description);

    std::int32_t number() const noexcept { return number_; }
    const std::u16string& description() const noexcept { return description_; }
    // The description in UTF-8, for diagnostics.
    const char* what() const noexcept override { return what_.c_str(); }

private:
    std::int32_t number_;
    std::u16string description_;
    std::string what_;
};

// Error numbers the project raises. Engine failures keep the Windows engine's numbers; runtime failures of
// the program keep the language runtime's numbers, so callers that test numbers keep working.
namespace error_number {
inline constexpr std::int32_t invalid_procedure_call = 5;
inline constexpr std::int32_t overflow = 6;
inline constexpr std::int32_t subscript_out_of_range = 9;
inline constexpr std::int32_t error_in_loading_dll = 48;
inline constexpr std::int32_t disk_full = 61;
inline constexpr std::int32_t permission_denied = 70;
inline constexpr std::int32_t path_file_access_error = 75;
inline constexpr std::int32_t path_not_found = 76;
inline constexpr std::int32_t object_not_set = 91;
inline constexpr std::int32_t dll_entry_point_not_found = 453;
inline constexpr std::int32_t file_not_found = 3024;
inline constexpr std::int32_t wrong_password = 3031;
inline constexpr std::int32_t invalid_path = 3044;
inline constexpr std::int32_t database_damaged = 3049;
inline constexpr std::int32_t cannot_open_file = 3051;
inline constexpr std::int32_t input_not_found = 3078;
inline constexpr std::int32_t odbc_connection_failed = 3151;
inline constexpr std::int32_t item_not_found = 3265;
inline constexpr std::int32_t unrecognized_format = 3343;
}  // namespace error_number

}  // namespace qz
#pragma GCC visibility pop
