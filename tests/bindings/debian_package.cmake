# Builds the Debian package with CPack and checks that it holds the program, its manual page, both
# libraries, the headers, the package files and (PYTHON_MODULE, when built) the Python module.
file(REMOVE_RECURSE ${WORK_DIR})
execute_process(COMMAND cpack -G DEB --config ${BUILD_DIR}/CPackConfig.cmake -B ${WORK_DIR}
  RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "cpack failed (${status})")
endif()
file(GLOB packages ${WORK_DIR}/*.deb)
list(LENGTH packages count)
if(NOT count EQUAL 1)
  message(FATAL_ERROR "expected one package, found: ${packages}")
endif()
execute_process(COMMAND dpkg-deb --contents ${packages} OUTPUT_VARIABLE contents RESULT_VARIABLE status)
foreach(expected "./usr/bin/qz_odbc_access" "./usr/share/man/man1/qz_odbc_access.1" "libqz_odbc_access.so.1"
        "libqz_odbc_access.a" "./usr/include/qz_odbc_access.h" "qz_odbc_accessConfig.cmake" "qz_odbc_access.pc"
        ${PYTHON_MODULE})
  string(FIND "${contents}" "${expected}" found)
  if(found EQUAL -1)
    message(FATAL_ERROR "the package lacks ${expected}:\n${contents}")
  endif()
endforeach()
execute_process(COMMAND dpkg-deb --field ${packages} Depends OUTPUT_VARIABLE depends)
message(STATUS "Depends: ${depends}")
