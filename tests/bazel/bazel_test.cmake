# strtab2c_tables() in a Bazel workspace of its own, offline: the tool alone, the C program and
# the C++ consumer, a clean rebuild taken from a disk cache, one conversion for one changed table,
# and the mistakes refused.
# cmake -DBAZEL=<bazel> -DSOURCE_DIR=<strtab2c sources> -DWORK_DIR=<scratch> -DVERSION=<CMake's>
#       -P bazel_test.cmake
cmake_minimum_required(VERSION 3.20)
include(${CMAKE_CURRENT_LIST_DIR}/../cmake/run.cmake)
set(ws ${WORK_DIR}/ws)
set(fixture ${SOURCE_DIR}/tests/cmake/fixture)
set(startup --output_user_root=${WORK_DIR}/root --max_idle_secs=120)  # no server left for long
# Afresh each time: a server left by an earlier run stopped, its read-only output tree removed.
if(EXISTS ${ws}/WORKSPACE)
  execute_process(COMMAND ${BAZEL} ${startup} shutdown
                  WORKING_DIRECTORY ${ws} OUTPUT_QUIET ERROR_QUIET)
endif()
if(EXISTS ${WORK_DIR})
  execute_process(COMMAND chmod -R u+w ${WORK_DIR})
endif()
file(REMOVE_RECURSE ${WORK_DIR})

# Stand-ins for the rule sets Bazel would otherwise fetch: they hand on the native rules.
foreach(set cc java)
  set(dir ${WORK_DIR}/stand_ins/rules_${set})
  file(WRITE ${dir}/WORKSPACE "workspace(name = \"rules_${set}\")\n")
  file(WRITE ${dir}/BUILD "")
  file(WRITE ${dir}/${set}/BUILD "")
endforeach()
set(text "")
foreach(rule cc_library cc_binary cc_test cc_toolchain cc_toolchain_suite)
  string(APPEND text "${rule} = native.${rule}\n")
endforeach()
file(WRITE ${WORK_DIR}/stand_ins/rules_cc/cc/defs.bzl "${text}")
set(text "")
foreach(rule java_library java_binary java_import java_test java_toolchain java_runtime
        java_plugin java_package_configuration)
  string(APPEND text "${rule} = native.${rule}\n")
endforeach()
file(WRITE ${WORK_DIR}/stand_ins/rules_java/java/defs.bzl "${text}")

file(COPY ${CMAKE_CURRENT_LIST_DIR}/workspace/ DESTINATION ${ws})
file(COPY ${fixture}/main.c ${fixture}/main.cpp ${fixture}/api DESTINATION ${ws})
file(COPY ${fixture}/tables/a.bin ${fixture}/tables/b.bin ${fixture}/tables/broken.bin
          ${fixture}/tables/gaps.bin DESTINATION ${ws}/tables)
configure_file(${fixture}/tables/a.bin ${ws}/tables/bad-name.bin COPYONLY)
configure_file(${fixture}/tables/a.bin ${ws}/tables/A.bin COPYONLY)
file(WRITE ${ws}/WORKSPACE "workspace(name = \"consumer\")\n"
  "local_repository(name = \"strtab2c\", path = \"${SOURCE_DIR}\")\n"
  "local_repository(name = \"rules_cc\", path = \"${WORK_DIR}/stand_ins/rules_cc\")\n"
  "local_repository(name = \"rules_java\", path = \"${WORK_DIR}/stand_ins/rules_java\")\n")

set(common --disk_cache=${WORK_DIR}/cache --noshow_progress --color=no --curses=no)
function(bazel command)
  run(${BAZEL} ${startup} ${command} ${common} ${ARGN} WORKING_DIRECTORY ${ws})
  set(out "${out}" PARENT_SCOPE)
endfunction()
function(expect pattern)
  if(NOT out MATCHES "${pattern}")
    message(FATAL_ERROR "expected /${pattern}/ in:\n${out}")
  endif()
endfunction()

set(targets //:app //:cxx_app @strtab2c//:strtab2c)
bazel(build ${targets})
# The reader's findings in the build output, naming the table.
expect("strtab2c: tables/broken.bin: error: cannot find string resource for id 2")
run(${ws}/bazel-bin/app)
expect("^Hello\\|1\n$")
run(${ws}/bazel-bin/cxx_app)
expect("^Hello\\|1\\|0\\|0\n$")
# The tool alone, of CMake's version.
run(${ws}/bazel-bin/external/strtab2c/strtab2c --version)
expect("^strtab2c ${VERSION}\n$")
file(READ ${ws}/bazel-bin/cxx_tables_strtab2c/tables.h header)
if(NOT header MATCHES "extern const uint8_t\\* const RES_STRING_A_BIN\\[\\];\nextern const uint32_t RES_STRING_A_BIN_CNT;\nextern const uint16_t RES_STRING_A_BIN_LEN\\[\\];")
  message(FATAL_ERROR "const_table and lengths not declared:\n${header}")
endif()

# A clean rebuild runs nothing: every action comes from the disk cache.
bazel(clean)
bazel(build ${targets})
expect("processes: [0-9]+ remote cache hit")  # the disk cache, as Bazel counts it
if(out MATCHES "[0-9]+ (linux-sandbox|processwrapper-sandbox|local|worker)")
  message(FATAL_ERROR "a clean rebuild ran actions again:\n${out}")
endif()

# One table changed (b.bin given other strings): one conversion.
configure_file(${fixture}/tables/gaps.bin ${ws}/tables/b.bin COPYONLY)
bazel(build ${targets} --execution_log_json_file=${WORK_DIR}/changed.json)
file(READ ${WORK_DIR}/changed.json log)
string(REGEX MATCHALL "\"mnemonic\": \"Strtab2c\"" conversions "${log}")
list(LENGTH conversions count)
if(NOT count EQUAL 1)
  message(FATAL_ERROR "one table changed, ${count} conversions ran:\n${log}")
endif()

# Mistakes, each refused with the table named: at analysis time, or by the reader with strict.
foreach(case "dash;table tables/bad-name.bin gives the identifier RES_STRING_BAD-NAME_BIN, which is not a valid C identifier: '-'"
             "clash;tables tables/a.bin and tables/A.bin both give A_bin.c and RES_STRING_A_BIN"
             "strict;strtab2c: tables/broken.bin: error: findings in tables/broken.bin fail the run \\(--strict\\)")
  list(GET case 0 target)
  list(GET case 1 text)
  bazel(build //bad:${target} EXPECT_FAIL)
  expect("${text}")
endforeach()
run(${BAZEL} ${startup} shutdown WORKING_DIRECTORY ${ws})
