# run(<command>... [EXPECT_FAIL] [WORKING_DIRECTORY <dir>]): runs a command for the package tests
# and fails the test when it fails (or, with EXPECT_FAIL, when it succeeds). Leaves its stdout and
# stderr in `out`.
function(run)
  cmake_parse_arguments(ARG "EXPECT_FAIL" "WORKING_DIRECTORY" "" ${ARGN})
  set(dir)
  if(ARG_WORKING_DIRECTORY)
    set(dir WORKING_DIRECTORY ${ARG_WORKING_DIRECTORY})
  endif()
  execute_process(COMMAND ${ARG_UNPARSED_ARGUMENTS} ${dir} RESULT_VARIABLE rc
                  OUTPUT_VARIABLE stdout ERROR_VARIABLE stderr)
  set(out "${stdout}${stderr}")
  if(ARG_EXPECT_FAIL AND rc EQUAL 0)
    message(FATAL_ERROR "succeeded, but should have failed: ${ARG_UNPARSED_ARGUMENTS}\n${out}")
  elseif(NOT ARG_EXPECT_FAIL AND NOT rc EQUAL 0)
    message(FATAL_ERROR "failed (${rc}): ${ARG_UNPARSED_ARGUMENTS}\n${out}")
  endif()
  set(out "${out}" PARENT_SCOPE)
endfunction()

# expect_declared_once(<header>): the example's header declares each of its two tables once.
function(expect_declared_once header)
  file(READ ${header} text)
  foreach(stem STRINGS_EN_BIN STRINGS_DE_BIN)
    string(REGEX MATCHALL "RES_STRING_${stem}_CNT" found "${text}")
    list(LENGTH found n)
    if(NOT n EQUAL 1)
      message(FATAL_ERROR "${stem} declared ${n} times:\n${text}")
    endif()
  endforeach()
endfunction()
