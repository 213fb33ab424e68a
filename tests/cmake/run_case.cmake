# One case of the package tests: configures, builds and runs the fixture project the way the case
# says and checks the outcome.
# cmake -DCASE=<name> -DSOURCE_DIR=<strtab2c sources> -DPREFIX=<installed strtab2c> -DTOOL=<strtab2c>
#       -DWORK_DIR=<scratch> -DGENERATOR=<generator> -P run_case.cmake
cmake_minimum_required(VERSION 3.20)
set(fixture ${SOURCE_DIR}/tests/cmake/fixture)
set(build ${WORK_DIR}/build)
set(wine /usr/lib/wine/wine64)
set(mingw ${SOURCE_DIR}/cmake/toolchains/mingw-w64.cmake)

include(${CMAKE_CURRENT_LIST_DIR}/run.cmake)

# Matches against the output with white space folded, as CMake wraps its messages.
function(expect pattern)
  string(REGEX REPLACE "[ \t\r\n]+" " " flat "${out}")
  if(NOT flat MATCHES "${pattern}")
    message(FATAL_ERROR "expected /${pattern}/ in:\n${out}")
  endif()
endfunction()

function(configure)
  run(${CMAKE_COMMAND} -S ${fixture} -B ${build} -G ${GENERATOR} -DCMAKE_PREFIX_PATH=${PREFIX}
      ${ARGN})
  set(out "${out}" PARENT_SCOPE)
endfunction()

function(build)
  run(${CMAKE_COMMAND} --build ${build} ${ARGN})
  set(out "${out}" PARENT_SCOPE)
endfunction()

file(REMOVE_RECURSE ${WORK_DIR})
set(ok_tables -DTABLES=tables/a.bin,tables/b.bin)

# Configure-time refusals: the case name, then its configure arguments up to the expected text.
set(bad_dash -DTABLES=tables/strings-en.bin
    "table .*strings-en.bin gives the identifier RES_STRING_STRINGS-EN_BIN, which is not a valid C identifier: '-'")
set(bad_blank "-DTABLES=tables/my strings.bin" "RES_STRING_MY STRINGS_BIN, which is not a valid C identifier: ' '")
set(bad_dot -DTABLES=tables/strings.en.bin "RES_STRING_STRINGS.EN_BIN, which is not a valid C identifier: '.'")
set(bad_genex "-DTABLES=tables/$<CONFIG>.bin" "table .*/tables/\\$<CONFIG>.bin: a generator expression may stand in a table's directory, not in its file name")
set(clash_one_call -DTABLES=tables/a.bin,tables/de/a.bin
    "tables .*/tables/a.bin and .*/tables/de/a.bin both give .*/gen/a_bin.c and RES_STRING_A_BIN")
set(clash_case -DTABLES=tables/a.bin,tables/de/A.bin "tables .*/tables/a.bin and .*/tables/de/A.bin both give")
set(clash_two_calls -DLAYOUT=two_calls "tables .*/tables/a.bin and .*/tables/de/a.bin both give")
set(cxx_only -DLANGUAGES=CXX -DTABLES=tables/a.bin "the generated sources are C, and C is not enabled")
set(two_owners -DLAYOUT=two_owners "the header .*/gen/tables.h is already made for target app\\. Make each header in one call")

if(DEFINED ${CASE})
  list(GET ${CASE} -1 text)
  list(REMOVE_AT ${CASE} -1)
  run(${CMAKE_COMMAND} -S ${fixture} -B ${build} -G ${GENERATOR} -DCMAKE_PREFIX_PATH=${PREFIX}
      ${${CASE}} EXPECT_FAIL)
  expect("strtab2c_add_tables\\(.*${text}")

elseif(CASE STREQUAL "quiet_and_strict")
  configure(-DTABLES=tables/a.bin,tables/broken.bin)
  build()
  expect("strtab2c: .*/tables/broken.bin: error: cannot find string resource for id 2")
  if(out MATCHES "text len|main\\.cpp")
    message(FATAL_ERROR "the tool's progress lines reached the build log:\n${out}")
  endif()
  file(READ ${build}/gen/broken_bin.log log)
  if(NOT log MATCHES "text len 9\n.*text len 3\n$")  # "Hello\\000" as a literal
    message(FATAL_ERROR "the log lacks the tool's output:\n${log}")
  endif()
  configure(-DTABLES=tables/a.bin,tables/broken.bin -DOPTIONS=STRICT)
  foreach(attempt 1 2)  # a failed conversion must not look up to date
    build(EXPECT_FAIL)
    expect("broken.bin: error: findings in .*broken.bin fail the run \\(--strict\\)")
  endforeach()

elseif(CASE STREQUAL "portable_c")
  # An empty string and an empty table under ISO C: by default; not with PORTABLE_C OFF.
  set(args -DTABLES=tables/a.bin,tables/gaps.bin,tables/none.bin "-DCMAKE_C_FLAGS=-std=c99 -pedantic-errors")
  configure(${args} -DOPTIONS=PORTABLE_C,OFF)
  build(EXPECT_FAIL)
  expect("ISO C forbids")
  configure(${args} -DOPTIONS=)
  build()
  run(${build}/app)
  expect("^Hello\\|1 $")

elseif(CASE STREQUAL "cxx_consumer")
  # A C++ program, an empty string, every option, and warnings as errors in both languages.
  set(strict "-Wall -Wextra -Wpedantic -Werror")
  configure(-DLAYOUT=cxx -DLANGUAGES=C,CXX -DTABLES=tables/a.bin,tables/gaps.bin
            -DOPTIONS=CONST_TABLE,LENGTHS,ATTRIBUTE_MACROS "-DCMAKE_C_FLAGS=${strict}"
            "-DCMAKE_CXX_FLAGS=${strict}")
  build()
  run(${build}/app)
  expect("^Hello\\|1\\|0\\|0 $")
  # The attribute macros asked for, and string literals by default.
  file(READ ${build}/gen/a_bin.c source)
  if(NOT source MATCHES "\nSTRTAB2C_STRING_ATTRIBUTE static const uint8_t STR_1\\[[0-9]+\\] STRTAB2C_NONSTRING = \"")
    message(FATAL_ERROR "ATTRIBUTE_MACROS or STRING_LITERALS did not reach the tool:\n${source}")
  endif()
  # Tables converted without --portable-c bring no guards: the header gives them its own.
  configure(-DLAYOUT= -DTABLES=tables/a.bin -DOPTIONS=PORTABLE_C,OFF,STRING_LITERALS,OFF
            -DCMAKE_C_FLAGS= -DCMAKE_CXX_FLAGS=)
  build()
  file(READ ${build}/gen/a_bin.c source)
  if(NOT source MATCHES "\nstatic const uint8_t STR_1\\[\\] = {0x")
    message(FATAL_ERROR "STRING_LITERALS OFF did not reach the tool:\n${source}")
  endif()
  file(READ ${build}/gen/tables.h header)
  if(NOT header MATCHES "\n#ifdef __cplusplus\nextern \"C\" {\n#endif\nextern const uint8_t\\* RES_STRING_A_BIN")
    message(FATAL_ERROR "no C linkage for C++ in:\n${header}")
  endif()

elseif(CASE STREQUAL "non_ascii")
  # Build trees under a user directory with an accented letter, a header directory with one.
  set(build "${WORK_DIR}/build dir ü")
  configure(-DTABLES=tables/a.bin,tables/b.bin "-DHEADER=gen ü/tables.h")
  build()
  run(${build}/app)
  expect("^Hello\\|1 $")

elseif(CASE STREQUAL "multi_config")
  # The tool from the sources, per configuration: a switch converts nothing again, and both
  # configurations built at once after a table changed each declare and convert it whole.
  file(MAKE_DIRECTORY ${WORK_DIR}/tables)
  file(COPY ${fixture}/tables/a.bin ${fixture}/tables/b.bin DESTINATION ${WORK_DIR}/tables)
  set(GENERATOR "Ninja Multi-Config")
  configure(-DFROM_SOURCE=${SOURCE_DIR} -DTABLES=${WORK_DIR}/tables/a.bin,${WORK_DIR}/tables/b.bin)
  build(--config Debug)
  build(--config Release)
  build(--config Debug)
  if(out MATCHES "Converting|Building|Linking")
    message(FATAL_ERROR "a configuration switch ran steps again:\n${out}")
  endif()
  # The example as a new user builds it, from the installed package and from the sources: its
  # tables are made per configuration, so a switch back makes nothing again.
  foreach(route package sources)
    set(example ${WORK_DIR}/example_${route})
    set(route_args -DCMAKE_PREFIX_PATH=${PREFIX})
    if(route STREQUAL "sources")
      set(route_args -DCMAKE_DISABLE_FIND_PACKAGE_strtab2c=ON)
    endif()
    run(${CMAKE_COMMAND} -S ${SOURCE_DIR}/examples -B ${example} -G ${GENERATOR} ${route_args})
    run(${CMAKE_COMMAND} --build ${example} --config Debug)
    run(${CMAKE_COMMAND} --build ${example} --config Release)
    run(${CMAKE_COMMAND} --build ${example} --config Debug)
    if(NOT out MATCHES "no work to do")
      message(FATAL_ERROR "the example (${route}): a configuration switch ran steps again:\n${out}")
    endif()
    run(${example}/Debug/hello_strings)
    expect("de 3: Schlie")
  endforeach()
  foreach(round 1 2 3)
    file(TOUCH ${WORK_DIR}/tables/a.bin)
    # Both at once; no ';' in the script, which CMake would split into arguments.
    string(CONCAT both "\"$1\" --build \"$2\" --config Debug &\n"
                       "\"$1\" --build \"$2\" --config Release && wait $!\n")
    run(sh -c "${both}" sh ${CMAKE_COMMAND} ${build})
    foreach(config Debug Release)
      run(${build}/${config}/app)
      expect("^Hello\\|1 $")
    endforeach()
  endforeach()

elseif(CASE STREQUAL "makefiles")
  # A table made by a custom command in a subdirectory, and a deleted header made again.
  set(GENERATOR "Unix Makefiles")
  configure(-DLAYOUT=made)
  build()
  file(REMOVE ${build}/gen/tables.h)
  build()
  run(${build}/app)
  expect("^Hello\\|1 $")

elseif(CASE STREQUAL "sanitizer_flags")
  # The tool from the sources under the project's sanitizer flags: linked dynamically, it runs.
  configure(-DFROM_SOURCE=${SOURCE_DIR} -DTABLES=tables/a.bin
            -DCMAKE_CXX_FLAGS=-fsanitize=address -DCMAKE_BUILD_TYPE=Debug)
  expect("the tool is linked dynamically")
  build()
  run(${build}/app)
  expect("^Hello\\|1 $")

elseif(CASE STREQUAL "remove_table")
  configure(${ok_tables})
  build()
  configure(-DTABLES=tables/a.bin)
  build()
  file(READ ${build}/gen/tables.h header)
  if(header MATCHES "B_BIN" OR NOT header MATCHES "RES_STRING_A_BIN_CNT;\n#ifdef __cplusplus\n}\n#endif\n$")
    message(FATAL_ERROR "the header still declares a removed table:\n${header}")
  endif()

elseif(CASE MATCHES "^(library|subdir|unity)$")
  # A static library owns the tables (PUBLIC), defined here or in another directory; or unity.
  set(args -DLAYOUT=${CASE})
  if(CASE STREQUAL "unity")
    set(args -DCMAKE_UNITY_BUILD=ON)
  endif()
  configure(${args} ${ok_tables})
  build()
  run(${build}/app)
  expect("^Hello\\|1 $")

elseif(CASE STREQUAL "export")
  configure(-DLAYOUT=export ${ok_tables})
  build()
  run(${CMAKE_COMMAND} --install ${build} --prefix ${WORK_DIR}/installed)
  run(${CMAKE_COMMAND} -S ${SOURCE_DIR}/tests/cmake/consumer -B ${WORK_DIR}/consumer
      -G ${GENERATOR} -DCMAKE_PREFIX_PATH=${WORK_DIR}/installed)
  run(${CMAKE_COMMAND} --build ${WORK_DIR}/consumer)
  run(${WORK_DIR}/consumer/consumer)
  expect("^Hello\\|1 $")

elseif(CASE STREQUAL "cross_host")
  # No emulator: the conversion runs a strtab2c built for this machine from the same sources.
  configure(-DFROM_SOURCE=${SOURCE_DIR} -DCMAKE_TOOLCHAIN_FILE=${mingw}
            -DCMAKE_CROSSCOMPILING_EMULATOR= -DTABLES=tables/a.bin)
  build()
  run(${build}/strtab2c-host/strtab2c --version)
  # A subproject leaves the consumer's build type and install set alone.
  file(STRINGS ${build}/CMakeCache.txt build_type REGEX "^CMAKE_BUILD_TYPE:")
  run(${CMAKE_COMMAND} --install ${build} --prefix ${WORK_DIR}/installed)
  if(NOT build_type MATCHES "=$" OR EXISTS ${WORK_DIR}/installed)
    message(FATAL_ERROR "strtab2c changed its consumer: ${build_type}, installed files")
  endif()
  run(env WINEDEBUG=-all ${wine} ${build}/app.exe)
  expect("^Hello\\|1 $")

elseif(CASE STREQUAL "host_executable")
  # A host tool built elsewhere, named by STRTAB2C_EXECUTABLE: nothing else is built to convert.
  configure(-DFROM_SOURCE=${SOURCE_DIR} -DCMAKE_TOOLCHAIN_FILE=${mingw}
            -DCMAKE_CROSSCOMPILING_EMULATOR= -DSTRTAB2C_EXECUTABLE=${TOOL} -DTABLES=tables/a.bin)
  build()
  if(EXISTS ${build}/strtab2c-host OR EXISTS ${build}/strtab2c/strtab2c.exe)
    message(FATAL_ERROR "a tool was built although STRTAB2C_EXECUTABLE names one")
  endif()
  run(env WINEDEBUG=-all ${wine} ${build}/app.exe)
  expect("^Hello\\|1 $")

elseif(CASE STREQUAL "cross_example")
  # The bundled example from the source tree; the tool and make_table run under wine.
  run(${CMAKE_COMMAND} -S ${SOURCE_DIR}/examples -B ${build} -G ${GENERATOR}
      -DCMAKE_TOOLCHAIN_FILE=${mingw})
  run(env WINEDEBUG=-all ${CMAKE_COMMAND} --build ${build})
  run(env WINEDEBUG=-all ${wine} ${build}/hello_strings.exe)
  expect("en 3: Close de 1: Datei öffnen")
  # The header has the build machine's line ends, whatever the tool's (CR LF here).
  file(READ ${build}/gen/ui_strings.h header HEX)
  file(READ ${build}/gen/strings_en_bin.decl fragment HEX)
  if(header MATCHES "0d" OR NOT fragment MATCHES "0d0a")
    message(FATAL_ERROR "line ends: header ${header}, fragment ${fragment}")
  endif()

else()
  message(FATAL_ERROR "unknown case ${CASE}")
endif()
message(STATUS "${CASE} passed")
