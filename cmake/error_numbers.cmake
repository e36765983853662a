# Writes the C header of error numbers from the one list the library keeps, in platform/error.hpp:
# "inline constexpr std::int32_t overflow = 6;" becomes "#define QZ_ERROR_OVERFLOW 6".
function(qz_write_error_numbers_header source output)
  file(STRINGS ${source} lines REGEX "^inline constexpr std::int32_t [a-z_]+ = [0-9]+;$")
  if(NOT lines)
    message(FATAL_ERROR "no error numbers found in ${source}")
  endif()
  set(defines "")
  foreach(line IN LISTS lines)
    string(REGEX REPLACE "^inline constexpr std::int32_t ([a-z_]+) = ([0-9]+);$" "\\1;\\2" pair "${line}")
    list(GET pair 0 name)
    list(GET pair 1 number)
    string(TOUPPER ${name} name)
    string(APPEND defines "#define QZ_ERROR_${name} ${number}\n")
  endforeach()
  file(CONFIGURE OUTPUT ${output} CONTENT
"#ifndef QZ_ODBC_ACCESS_ERRORS_H
#define QZ_ODBC_ACCESS_ERRORS_H
/* The error numbers the library raises itself (generated from its C++ list; the engine's own numbers, such
 * as those of the query compiler, may come besides these). */
${defines}
#endif /* QZ_ODBC_ACCESS_ERRORS_H */
")
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${source})
endfunction()
