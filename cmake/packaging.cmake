# The library as a package: a shared build of the same objects as the static library, the public headers,
# the program and its manual page, the Python module, a CMake package (find_package(qz_odbc_access)), a
# pkg-config file, and a Debian package made by CPack.
include(GNUInstallDirs)
include(CMakePackageConfigHelpers)

# The shared library links the static library's objects and those of every part of it, so every source a
# folder adds is in both.
get_property(qz_library_parts GLOBAL PROPERTY QZ_LIBRARY_PARTS)
add_library(qz_odbc_access_shared SHARED $<TARGET_OBJECTS:qz_odbc_access>)
foreach(part IN LISTS qz_library_parts)
  target_sources(qz_odbc_access_shared PRIVATE $<TARGET_OBJECTS:${part}>)
endforeach()
set_target_properties(qz_odbc_access_shared PROPERTIES
  OUTPUT_NAME qz_odbc_access
  VERSION ${PROJECT_VERSION}
  SOVERSION ${PROJECT_VERSION_MAJOR}
  EXPORT_NAME qz_odbc_access)
target_include_directories(qz_odbc_access_shared PUBLIC
  $<BUILD_INTERFACE:${PROJECT_SOURCE_DIR}>
  $<INSTALL_INTERFACE:${CMAKE_INSTALL_INCLUDEDIR}/qz_odbc_access> $<INSTALL_INTERFACE:${CMAKE_INSTALL_INCLUDEDIR}>)
target_link_libraries(qz_odbc_access_shared PRIVATE $<BUILD_INTERFACE:qz_warnings> ${CMAKE_DL_LIBS})
set_target_properties(qz_odbc_access PROPERTIES EXPORT_NAME static)
target_include_directories(qz_odbc_access INTERFACE $<INSTALL_INTERFACE:${CMAKE_INSTALL_INCLUDEDIR}>)

# The headers a client of the classes includes, with the folders they name each other by.
set(qz_public_headers
  catalog/session/engine.hpp
  catalog/session/published_identities.hpp
  catalog/session/qz_cls_odbc_access.hpp
  catalog/session/qz_cls_regedit.hpp
  platform/error.hpp)
foreach(header IN LISTS qz_public_headers)
  get_filename_component(folder ${header} DIRECTORY)
  install(FILES ${header} DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/qz_odbc_access/${folder} COMPONENT development)
endforeach()
install(FILES bindings/c/qz_odbc_access.h DESTINATION ${CMAKE_INSTALL_INCLUDEDIR} COMPONENT development)

install(TARGETS qz_odbc_access qz_odbc_access_shared EXPORT qz_odbc_access_targets
  ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT development
  LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT runtime NAMELINK_COMPONENT development)
install(TARGETS qz_exe_odbc_access RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT runtime)
install(FILES doc/qz_odbc_access.1 DESTINATION ${CMAKE_INSTALL_MANDIR}/man1 COMPONENT runtime)

set(qz_cmake_dir ${CMAKE_INSTALL_LIBDIR}/cmake/qz_odbc_access)
install(EXPORT qz_odbc_access_targets NAMESPACE qz_odbc_access:: DESTINATION ${qz_cmake_dir}
  COMPONENT development)
configure_package_config_file(packaging/qz_odbc_accessConfig.cmake.in
  ${CMAKE_CURRENT_BINARY_DIR}/qz_odbc_accessConfig.cmake INSTALL_DESTINATION ${qz_cmake_dir})
write_basic_package_version_file(${CMAKE_CURRENT_BINARY_DIR}/qz_odbc_accessConfigVersion.cmake
  COMPATIBILITY SameMajorVersion)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/qz_odbc_accessConfig.cmake
  ${CMAKE_CURRENT_BINARY_DIR}/qz_odbc_accessConfigVersion.cmake DESTINATION ${qz_cmake_dir} COMPONENT development)

# The pkg-config file finds its prefix from its own place, so the tree can be installed under any prefix.
set(qz_pkgconfig_dir ${CMAKE_INSTALL_LIBDIR}/pkgconfig)
file(RELATIVE_PATH qz_pkgconfig_to_prefix /${qz_pkgconfig_dir} /)
string(REGEX REPLACE "/$" "" qz_pkgconfig_to_prefix "${qz_pkgconfig_to_prefix}")
configure_file(packaging/qz_odbc_access.pc.in ${CMAKE_CURRENT_BINARY_DIR}/qz_odbc_access.pc @ONLY)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/qz_odbc_access.pc DESTINATION ${qz_pkgconfig_dir} COMPONENT development)

set(CPACK_PACKAGE_NAME qz-odbc-access)
set(CPACK_PACKAGE_VENDOR "qz_odbc_access developers")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Reads the schema catalog of Microsoft Access databases")
set(CPACK_PACKAGE_CONTACT "qz_odbc_access developers <qz_odbc_access@localhost>")
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION database)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Opened when first needed rather than linked, so the scan of linked libraries does not find them.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libssl3, libodbcinst2")
include(CPack)
