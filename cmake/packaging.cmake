# The library as a package: a shared build of the same objects as the static library, the public headers,
# the program and its manual page, the Python module, a CMake package (find_package(qz_odbc_access)), a
# pkg-config file, and Debian packages made by CPack, one per install component:
#   runtime      libqz-odbc-access1          the shared library
#   development  libqz-odbc-access-dev       headers, static library, CMake package, pkg-config file
#   program      qz-odbc-access              the program and its manual page
#   python       python3-qz-odbc-access      the Python module (bindings/python installs it)
# Debian keeps libraries in the multiarch folder; its loader, pkg-config and CMake search it under /usr/local
# as well, so the folder does not depend on the prefix and a package made from any build is right.
if(NOT DEFINED CMAKE_INSTALL_LIBDIR AND CMAKE_LIBRARY_ARCHITECTURE AND EXISTS /etc/debian_version)
  set(CMAKE_INSTALL_LIBDIR lib/${CMAKE_LIBRARY_ARCHITECTURE} CACHE PATH "Object code libraries")
endif()
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
  $<BUILD_INTERFACE:${PROJECT_SOURCE_DIR}> $<INSTALL_INTERFACE:${CMAKE_INSTALL_INCLUDEDIR}>)
target_compile_features(qz_odbc_access_shared PUBLIC cxx_std_20)
target_link_libraries(qz_odbc_access_shared PRIVATE $<BUILD_INTERFACE:qz_warnings> ${CMAKE_DL_LIBS})
set_target_properties(qz_odbc_access PROPERTIES EXPORT_NAME static)
target_include_directories(qz_odbc_access INTERFACE $<INSTALL_INTERFACE:${CMAKE_INSTALL_INCLUDEDIR}>)

# The public headers, installed in one folder (they name each other from it); the C header beside it.
set(qz_public_headers
  catalog/session/engine.hpp
  catalog/session/published_identities.hpp
  catalog/session/qz_cls_odbc_access.hpp
  catalog/session/qz_cls_regedit.hpp
  catalog/session/version.hpp
  platform/error.hpp
  ${QZ_GENERATED_INCLUDE_DIR}/qz_odbc_access/errors.h)
install(FILES ${qz_public_headers} DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/qz_odbc_access COMPONENT development)
install(FILES bindings/c/qz_odbc_access.h DESTINATION ${CMAKE_INSTALL_INCLUDEDIR} COMPONENT development)

install(TARGETS qz_odbc_access_shared EXPORT qz_odbc_access_targets
  LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT runtime NAMELINK_COMPONENT development)
install(TARGETS qz_odbc_access EXPORT qz_odbc_access_static_targets
  ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT development)
install(TARGETS qz_exe_odbc_access RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT program)

# The shared library's users need nothing else at build time; the static library's users need what it
# links, so its targets (and their lookups) come only with the component "static".
set(qz_cmake_dir ${CMAKE_INSTALL_LIBDIR}/cmake/qz_odbc_access)
install(EXPORT qz_odbc_access_targets NAMESPACE qz_odbc_access:: DESTINATION ${qz_cmake_dir}
  COMPONENT development)
install(EXPORT qz_odbc_access_static_targets NAMESPACE qz_odbc_access:: DESTINATION ${qz_cmake_dir}
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

# Debian wants the manual page and the changelog compressed, reproducibly (no name, no time stamp).
find_program(QZ_GZIP gzip REQUIRED)
function(qz_gzip source output)
  execute_process(COMMAND ${QZ_GZIP} -9nc ${source} OUTPUT_FILE ${output} COMMAND_ERROR_IS_FATAL ANY)
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${source})
endfunction()
qz_gzip(${PROJECT_SOURCE_DIR}/doc/qz_odbc_access.1 ${CMAKE_CURRENT_BINARY_DIR}/qz_odbc_access.1.gz)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/qz_odbc_access.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1
  COMPONENT program)
qz_gzip(${PROJECT_SOURCE_DIR}/packaging/debian/changelog ${CMAKE_CURRENT_BINARY_DIR}/changelog.Debian.gz)

# Each package carries the licence and the changelog in its own documentation folder.
set(qz_deb_runtime libqz-odbc-access${PROJECT_VERSION_MAJOR})
set(qz_deb_development libqz-odbc-access-dev)
set(qz_deb_program qz-odbc-access)
set(qz_deb_python python3-qz-odbc-access)
set(qz_components runtime development program)
if(QZ_PYTHON)
  list(APPEND qz_components python)
endif()
foreach(component IN LISTS qz_components)
  install(FILES packaging/debian/copyright ${CMAKE_CURRENT_BINARY_DIR}/changelog.Debian.gz
    DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/doc/${qz_deb_${component}} COMPONENT ${component})
endforeach()

set(CPACK_PACKAGE_NAME qz-odbc-access)
set(CPACK_PACKAGE_VENDOR "qz_odbc_access developers")
set(CPACK_PACKAGE_CONTACT "qz_odbc_access developers <qz-odbc-access@users.noreply.github.com>")
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
set(CPACK_GENERATOR DEB)
# Installed for the package as under /usr itself, so that install rules that ask for the prefix (the Python
# module's folder) see /usr.
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_INSTALL_PREFIX /usr)
set(CPACK_SET_DESTDIR ON)
set(CPACK_STRIP_FILES ON)
set(CPACK_COMPONENTS_ALL ${qz_components})
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
set(CPACK_DEBIAN_PACKAGE_SOURCE qz-odbc-access)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Each package's description: its summary line, then the paragraphs (CPack indents them for the control file).
string(CONCAT qz_deb_long_description
  "qz_odbc_access opens Microsoft Access databases (.mdb and .accdb, Jet 3 to\n"
  "ACE 17, password-protected and encrypted ones included) with a reader of its\n"
  "own and lists their tables, fields, indexes, relations and saved queries as\n"
  "text, in the form the Windows tool of the same name wrote. Nothing is ever\n"
  "written to the database file.\n\n")
foreach(component IN LISTS qz_components)
  string(TOUPPER ${component} upper)
  set(CPACK_DEBIAN_${upper}_PACKAGE_NAME ${qz_deb_${component}})
endforeach()
set(CPACK_DEBIAN_RUNTIME_PACKAGE_SECTION libs)
set(CPACK_DEBIAN_DEVELOPMENT_PACKAGE_SECTION libdevel)
set(CPACK_DEBIAN_PROGRAM_PACKAGE_SECTION database)
set(CPACK_DEBIAN_PYTHON_PACKAGE_SECTION python)
string(CONCAT CPACK_COMPONENT_RUNTIME_DESCRIPTION
  "Microsoft Access schema catalog reader - shared library\n" ${qz_deb_long_description}
  "This package holds the shared library with its C++ classes and C interface.")
string(CONCAT CPACK_COMPONENT_DEVELOPMENT_DESCRIPTION
  "Microsoft Access schema catalog reader - development files\n" ${qz_deb_long_description}
  "This package holds the headers, the static library, the CMake package and\n"
  "the pkg-config file.")
string(CONCAT CPACK_COMPONENT_PROGRAM_DESCRIPTION
  "Microsoft Access schema catalog reader - command-line program\n" ${qz_deb_long_description}
  "This package holds the program qz_odbc_access, which answers one request per\n"
  "run and writes the listing to a file.")
string(CONCAT CPACK_COMPONENT_PYTHON_DESCRIPTION
  "Microsoft Access schema catalog reader - Python 3 module\n" ${qz_deb_long_description}
  "This package holds the Python 3 module qz_odbc_access.")
set(CPACK_DEBIAN_DEVELOPMENT_PACKAGE_DEPENDS
  "${qz_deb_runtime} (= ${PROJECT_VERSION}-${CPACK_DEBIAN_PACKAGE_RELEASE})")
# The module is built for one Python 3 version; bindings/python says which.
# libcrypto and libodbcinst are opened when first needed rather than linked, so the scan of linked libraries
# does not find them: the packages that hold the reader name them.
set(qz_deb_opened_libraries "libssl3, libodbcinst2")
set(CPACK_DEBIAN_RUNTIME_PACKAGE_DEPENDS "${qz_deb_opened_libraries}")
set(CPACK_DEBIAN_PROGRAM_PACKAGE_DEPENDS "${qz_deb_opened_libraries}")
set(CPACK_DEBIAN_PYTHON_PACKAGE_DEPENDS "${QZ_PYTHON_DEBIAN_DEPENDS}, ${qz_deb_opened_libraries}")
# The runtime package's shlibs file tells dpkg-shlibdeps which package provides the library (CPack looks at
# every package's shared objects, and warns that the Python module has no soname).
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS ON)
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS_POLICY ">=")
# The runtime package registers its library through dpkg's ldconfig trigger. CPack would otherwise add
# maintainer scripts that call ldconfig; naming scripts it cannot find stops that and ships none.
configure_file(packaging/debian/triggers ${CMAKE_CURRENT_BINARY_DIR}/debian-runtime/triggers COPYONLY)
set(CPACK_DEBIAN_RUNTIME_PACKAGE_CONTROL_EXTRA
  "${CMAKE_CURRENT_BINARY_DIR}/debian-runtime/triggers;${CMAKE_CURRENT_BINARY_DIR}/debian-runtime/no-script/postinst;${CMAKE_CURRENT_BINARY_DIR}/debian-runtime/no-script/postrm")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)
