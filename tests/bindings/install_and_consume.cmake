# Installs the built project into a fresh prefix and builds and runs the consumer project against it; checks
# that the shared library exports the public API only.
# Variables: BUILD_DIR (the project's build), WORK_DIR (scratch), CONSUMER_DIR (the consumer's sources),
# SAMPLE_DATABASE (what the C program lists), PYTHON (an interpreter, or empty when the module is not built).
file(REMOVE_RECURSE ${WORK_DIR})
set(prefix ${WORK_DIR}/prefix)

function(run)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE status)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "failed (${status}): ${ARGN}")
  endif()
endfunction()

run(${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${prefix})
foreach(installed bin/qz_odbc_access share/man/man1/qz_odbc_access.1.gz include/qz_odbc_access.h
        include/qz_odbc_access/errors.h include/qz_odbc_access/qz_cls_odbc_access.hpp
        include/qz_odbc_access/error.hpp include/qz_odbc_access/version.hpp)
  if(NOT EXISTS ${prefix}/${installed})
    message(FATAL_ERROR "not installed: ${installed}")
  endif()
endforeach()
# Public headers name only each other: no folder of the source tree comes along.
file(GLOB_RECURSE headers RELATIVE ${prefix}/include ${prefix}/include/*)
foreach(header IN LISTS headers)
  file(STRINGS ${prefix}/include/${header} includes REGEX "^#include \"")
  foreach(line IN LISTS includes)
    if(line MATCHES "/")
      message(FATAL_ERROR "${header} includes a header of the source tree: ${line}")
    endif()
  endforeach()
endforeach()

# Exported: the classes, the engine interfaces, the error, the version and the C functions; no internals.
file(GLOB_RECURSE shared_libraries ${prefix}/*/libqz_odbc_access.so.*.*)
list(GET shared_libraries 0 shared_library)
execute_process(COMMAND nm -DC --defined-only ${shared_library} OUTPUT_VARIABLE exported COMMAND_ERROR_IS_FATAL ANY)
string(REGEX MATCHALL "qz::(jet|crypto|query|text|odbc|files|locale|front_end)::[^\n]*" internals "${exported}")
if(internals)
  message(FATAL_ERROR "the shared library exports internals: ${internals}")
endif()

file(GLOB_RECURSE pc_files ${prefix}/*/qz_odbc_access.pc)
list(GET pc_files 0 pc_file)
get_filename_component(pc_dir ${pc_file} DIRECTORY)
set(ENV{PKG_CONFIG_PATH} ${pc_dir})
run(${CMAKE_COMMAND} -S ${CONSUMER_DIR} -B ${WORK_DIR}/build -DCMAKE_PREFIX_PATH=${prefix}
    -DSAMPLE_DATABASE=${SAMPLE_DATABASE})
run(${CMAKE_COMMAND} --build ${WORK_DIR}/build)
foreach(program session_example session_example_static c_example c_example_static)
  run(${WORK_DIR}/build/${program})
endforeach()

if(PYTHON)
  file(GLOB_RECURSE modules ${prefix}/*/qz_odbc_access*.so)
  list(FILTER modules INCLUDE REGEX "cpython")
  list(GET modules 0 module)
  get_filename_component(module_dir ${module} DIRECTORY)
  if(NOT EXISTS ${module_dir}/qz_odbc_access-stubs/__init__.pyi)
    message(FATAL_ERROR "the type stubs are not installed beside ${module}")
  endif()
  set(ENV{PYTHONPATH} ${module_dir})
  run(${PYTHON} -c "import qz_odbc_access as q; s = q.qz_cls_odbc_access(); assert s.UTF8_Encode('é') == 'Ã©'; assert q.__version__")
endif()
