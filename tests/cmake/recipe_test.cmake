# Builds the example with the plain Make or the Meson recipe from a copy of examples/, and checks
# the program's output, that a second build runs nothing, that a changed table reconverts that
# table alone, and that the header declares each table once.
# cmake -DKIND=make|meson -DTOOL_DIR=<dir of strtab2c> -DSOURCE_DIR=<sources> -DWORK_DIR=<scratch>
#       -P recipe_test.cmake
cmake_minimum_required(VERSION 3.20)
file(REMOVE_RECURSE ${WORK_DIR})
file(COPY ${SOURCE_DIR}/examples/ DESTINATION ${WORK_DIR})
set(ENV{PATH} "${TOOL_DIR}:$ENV{PATH}")

include(${CMAKE_CURRENT_LIST_DIR}/run.cmake)

if(KIND STREQUAL "make")
  set(dir ${WORK_DIR}/make)
  set(build make -C ${dir})
  set(verbose "")
  set(program ${dir}/build/hello_strings)
  set(header ${dir}/build/gen/ui_strings.h)
  run(${build} -j8)
else()
  set(dir ${WORK_DIR}/meson)
  set(build ninja -C ${dir}/build)
  set(verbose -v)
  set(program ${dir}/build/hello_strings)
  set(header ${dir}/build/ui_strings.h)
  run(meson setup ${dir}/build ${dir})
  run(${build})
endif()

function(check_program_and_header)
  run(${program})
  if(NOT out MATCHES "^en 1: Open file\nen 2: Save changes\\?\nen 3: ${ARGV0}\nde 1: Datei öffnen\nde 2: Änderungen speichern\\?\nde 3: Schließen\n$")
    message(FATAL_ERROR "hello_strings printed:\n${out}")
  endif()
  expect_declared_once(${header})
endfunction()

check_program_and_header(Close)
run(${build})
if(out MATCHES "strtab2c|make_table|cc |Compiling|Linking")
  message(FATAL_ERROR "a second build did work:\n${out}")
endif()

execute_process(COMMAND ${CMAKE_COMMAND} -E sleep 1.1)
file(READ ${WORK_DIR}/strings_en.txt text)
string(REPLACE "Close" "Quit now" text "${text}")
file(WRITE ${WORK_DIR}/strings_en.txt "${text}")
run(${build} ${verbose})
string(REGEX MATCHALL "strtab2c[^\n]*strings_[a-z]+\\.bin" conversions "${out}")
if(NOT conversions MATCHES "strings_en.bin" OR conversions MATCHES "strings_de.bin"
   OR out MATCHES "main\\.c\n")  # main.c compiled again
  message(FATAL_ERROR "changing one table rebuilt the wrong steps:\n${out}")
endif()
check_program_and_header("Quit now")
message(STATUS "${KIND} recipe passed")
