# The CMake function's naming rule gives the names the tool gives: the generated file and the
# identifiers, for the same table names.
# cmake -DTOOL=<strtab2c> -DSOURCE_DIR=<strtab2c sources> -DWORK_DIR=<scratch> -P naming_test.cmake
cmake_minimum_required(VERSION 3.20)
include(${SOURCE_DIR}/cmake/Strtab2c.cmake)
file(REMOVE_RECURSE ${WORK_DIR})
file(MAKE_DIRECTORY ${WORK_DIR}/in.d)
set(table ${SOURCE_DIR}/tests/cmake/fixture/tables/a.bin)
foreach(name Strings_En.bin strings.en.bin MiXeD.Tab.Le noext in.d/x.y.z)
  configure_file(${table} ${WORK_DIR}/${name} COPYONLY)
  _strtab2c_names("${WORK_DIR}/${name}" file_stem upper)
  file(REMOVE ${WORK_DIR}/inc.h)
  execute_process(COMMAND ${TOOL} ${WORK_DIR}/${name} ${WORK_DIR}/inc.h
                  RESULT_VARIABLE rc OUTPUT_QUIET)
  file(READ ${WORK_DIR}/inc.h declarations)
  if(NOT rc EQUAL 0 OR NOT EXISTS ${WORK_DIR}/${file_stem}.c
     OR NOT declarations MATCHES "RES_STRING_${upper}_CNT;")
    message(FATAL_ERROR "${name}: CMake says ${file_stem}.c and RES_STRING_${upper}; the tool "
                        "wrote ${declarations}")
  endif()
  file(REMOVE ${WORK_DIR}/${file_stem}.c)
endforeach()

# The header that CMake writes declares what the tool's fragments declare, for every option.
foreach(options "--portable-c" "--portable-c;--const-table" "--portable-c;--lengths"
                "--portable-c;--const-table;--lengths")
  execute_process(COMMAND ${TOOL} ${options} --replace-include ${table} ${WORK_DIR}/inc.h
                  RESULT_VARIABLE rc OUTPUT_QUIET)
  file(READ ${WORK_DIR}/inc.h fragment)
  set(const_table OFF)
  set(lengths OFF)
  if("--const-table" IN_LIST options)
    set(const_table ON)
  endif()
  if("--lengths" IN_LIST options)
    set(lengths ON)
  endif()
  _strtab2c_declarations(A_BIN ${const_table} ${lengths} declarations)
  if(NOT rc EQUAL 0 OR NOT fragment STREQUAL "\n${declarations}")
    message(FATAL_ERROR "${options}: the tool wrote\n${fragment}\nCMake declares\n${declarations}")
  endif()
endforeach()
