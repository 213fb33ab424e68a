# One table of strtab2c_add_tables(): runs the tool with a fragment of its own as the include
# file, keeps the tool's output in a log, and shows only what needs attention.
# cmake -DTOOL=<command> [-DTOOL_OPTIONS=<options, a list>] -DTABLE=<table> -DSOURCE=<generated .c> -DFRAGMENT=<declarations>
#       -DLOG=<log> -DSTRICT=<bool> -P Strtab2cConvert.cmake
file(REMOVE "${FRAGMENT}")  # the tool appends: start afresh so the table is declared once
execute_process(COMMAND ${TOOL} ${TOOL_OPTIONS} "${TABLE}" "${FRAGMENT}"
                RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE err)
file(WRITE "${LOG}" "${out}${err}")

string(REGEX MATCHALL "error: (cannot find string resource|unfit string length)[^\r\n]*"
       findings "${out}")
foreach(finding IN LISTS findings)
  message("strtab2c: ${TABLE}: ${finding}")
endforeach()

if(NOT status EQUAL 0 OR (STRICT AND findings))
  # Nothing may look up to date after a failure.
  file(REMOVE "${SOURCE}" "${FRAGMENT}")
  if(NOT status EQUAL 0)
    string(STRIP "${out}${err}" text)
    string(REGEX REPLACE "^.*[\r\n]" "" last "${text}")
    message(FATAL_ERROR "strtab2c: ${TABLE}: ${last} (full output: ${LOG})")
  endif()
  message(FATAL_ERROR "strtab2c: ${TABLE}: the findings above fail the build (STRICT)")
endif()
