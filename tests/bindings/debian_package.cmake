# Builds the Debian packages with CPack and checks what each holds, and (when lintian is installed) that
# lintian finds no error in any of them.
# Variables: BUILD_DIR (the project's build), WORK_DIR (scratch), PYTHON_MODULE (the module's path inside its
# package, or empty when it is not built), LIBDIR (the library folder under /usr).
file(REMOVE_RECURSE ${WORK_DIR})
execute_process(COMMAND cpack -G DEB --config ${BUILD_DIR}/CPackConfig.cmake -B ${WORK_DIR}
  RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "cpack failed (${status})")
endif()

# Package, then what it must hold.
set(expected_contents
  "libqz-odbc-access1_|./usr/${LIBDIR}/libqz_odbc_access.so.1 |./usr/share/doc/libqz-odbc-access1/copyright"
  "libqz-odbc-access-dev_|./usr/include/qz_odbc_access.h|./usr/include/qz_odbc_access/qz_cls_odbc_access.hpp|./usr/${LIBDIR}/libqz_odbc_access.so |./usr/${LIBDIR}/libqz_odbc_access.a|./usr/${LIBDIR}/cmake/qz_odbc_access/qz_odbc_accessConfig.cmake|./usr/${LIBDIR}/pkgconfig/qz_odbc_access.pc"
  "qz-odbc-access_|./usr/bin/qz_odbc_access|./usr/share/man/man1/qz_odbc_access.1.gz|./usr/share/doc/qz-odbc-access/changelog.Debian.gz")
if(PYTHON_MODULE)
  list(APPEND expected_contents
    "python3-qz-odbc-access_|${PYTHON_MODULE}|./usr/lib/python3/dist-packages/qz_odbc_access-stubs/__init__.pyi")
endif()
file(GLOB packages ${WORK_DIR}/*.deb)
list(LENGTH packages count)
list(LENGTH expected_contents expected_count)
if(NOT count EQUAL expected_count)
  message(FATAL_ERROR "expected ${expected_count} packages, found: ${packages}")
endif()
foreach(entry IN LISTS expected_contents)
  string(REPLACE "|" ";" entry "${entry}")
  list(POP_FRONT entry name)
  set(package ${packages})
  list(FILTER package INCLUDE REGEX "/${name}")
  if(NOT package)
    message(FATAL_ERROR "no package ${name}*")
  endif()
  execute_process(COMMAND dpkg-deb --contents ${package} OUTPUT_VARIABLE contents COMMAND_ERROR_IS_FATAL ANY)
  foreach(expected IN LISTS entry)
    string(FIND "${contents}" "${expected}" found)
    if(found EQUAL -1)
      message(FATAL_ERROR "${package} lacks ${expected}:\n${contents}")
    endif()
  endforeach()
endforeach()

find_program(LINTIAN lintian)
if(LINTIAN)
  file(GLOB packages ${WORK_DIR}/*.deb)
  execute_process(COMMAND ${LINTIAN} --tag-display-limit 0 ${packages} OUTPUT_VARIABLE report ERROR_VARIABLE report)
  message(STATUS "lintian:\n${report}")
  if(report MATCHES "(^|\n)E: ")
    message(FATAL_ERROR "lintian reports errors")
  endif()
else()
  message(STATUS "lintian is not installed: the packages were not checked against Debian policy")
endif()
