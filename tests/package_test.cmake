# Builds the bundled example against the installed package as an outside project, and checks what
# it prints, that a second build does nothing, and that a changed table reconverts and recompiles
# that table alone.
# cmake -DPREFIX=<installed strtab2c> -DSOURCE_DIR=<strtab2c sources> -DWORK_DIR=<scratch>
#       -DGENERATOR=<generator> -P package_test.cmake
cmake_minimum_required(VERSION 3.20)

include(${CMAKE_CURRENT_LIST_DIR}/cmake/run.cmake)

function(expect_output text)
  run(${WORK_DIR}/build/hello_strings)
  string(FIND "${out}" "${text}" at)
  if(at LESS 0)
    message(FATAL_ERROR "hello_strings did not print '${text}':\n${out}")
  endif()
endfunction()

file(REMOVE_RECURSE ${WORK_DIR})
file(COPY ${SOURCE_DIR}/examples/ DESTINATION ${WORK_DIR}/src)

run(${CMAKE_COMMAND} -S ${WORK_DIR}/src -B ${WORK_DIR}/build -G ${GENERATOR}
    -DCMAKE_PREFIX_PATH=${PREFIX})
file(STRINGS ${WORK_DIR}/build/CMakeCache.txt found_dir REGEX "^strtab2c_DIR:")
if(NOT found_dir MATCHES "${PREFIX}")
  message(FATAL_ERROR "the example did not use the installed package: ${found_dir}")
endif()
run(${CMAKE_COMMAND} --build ${WORK_DIR}/build)
expect_output("en 1: Open file\nen 2: Save changes?\nen 3: Close\nde 1: Datei öffnen")
expect_output("de 3: Schließen\n")
expect_declared_once(${WORK_DIR}/build/gen/ui_strings.h)

# Nothing changed: nothing is converted again and the header keeps its time stamp.
file(TIMESTAMP ${WORK_DIR}/build/gen/ui_strings.h before "%s")
execute_process(COMMAND ${CMAKE_COMMAND} -E sleep 1.1)
run(${CMAKE_COMMAND} --build ${WORK_DIR}/build)
if(out MATCHES "Converting|Building|Linking")
  message(FATAL_ERROR "a build with nothing changed converted again:\n${out}")
endif()
file(TIMESTAMP ${WORK_DIR}/build/gen/ui_strings.h after "%s")
if(NOT before STREQUAL after)
  message(FATAL_ERROR "the header was rewritten by a build with nothing changed")
endif()
expect_declared_once(${WORK_DIR}/build/gen/ui_strings.h)

# A changed table is converted again and its new text appears; nothing else is recompiled.
file(READ ${WORK_DIR}/src/strings_en.txt text)
string(REPLACE "Close" "Quit now" text "${text}")
file(WRITE ${WORK_DIR}/src/strings_en.txt "${text}")
run(${CMAKE_COMMAND} --build ${WORK_DIR}/build)
if(NOT out MATCHES "Converting string table strings_en.bin" OR NOT out MATCHES "strings_en_bin.c.o"
   OR out MATCHES "strings_de|main.c.o")
  message(FATAL_ERROR "changing one table rebuilt the wrong steps:\n${out}")
endif()
expect_output("en 3: Quit now\n")
expect_declared_once(${WORK_DIR}/build/gen/ui_strings.h)
message(STATUS "package test passed with ${GENERATOR}")
