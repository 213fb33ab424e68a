# The generated C under the compilers firmware and Windows users build with, one per CHECK:
#   clang      every ISO C standard and C++17, -pedantic-errors -Wmissing-variable-declarations,
#              the attribute macros undefined, string literals too; a C++ program of a table
#              placed in sections runs; every kind of byte as a literal reads back exactly
#   msvc_abi   clang in the MSVC ABI linked by lld-link: C++ consumer with C table, and the table
#              compiled as C++ with a C consumer; run under wine where there is one
#   cortex_m   arm-none-eabi-gcc: with --const-table the table lands in flash (.rodata); placed by
#              the attribute macros, strings and table in sections of their own, sizes exact
#   sdcc       8051, Z80 and STM8; the 8051 program links (a table in RAM would not fit), and
#              with the strings placed in __code; string literals compile without warnings
#   avr        avr-gcc for the ATmega328P: a table larger than its RAM links only placed in flash
#              (PROGMEM), and the program, run by simavr, prints every string back from flash
# cmake -DCHECK=<name> -DTOOL=<strtab2c> -DTABLE=<fw.bin> -DSOURCE_DIR=<tests/compile>
#       -DINCLUDE=<dir of res_manager_api.h> -DWORK_DIR=<dir> [-DCC=<compiler>] -P toolchains.cmake
cmake_policy(VERSION 3.20)  # quoted arguments are strings, not variables
file(REMOVE_RECURSE "${WORK_DIR}")

function(run)
  execute_process(COMMAND ${ARGN} WORKING_DIRECTORY "${WORK_DIR}" RESULT_VARIABLE status
                  OUTPUT_VARIABLE out ERROR_VARIABLE err)
  if(NOT status EQUAL 0)
    string(REPLACE ";" " " command "${ARGN}")
    message(FATAL_ERROR "${CHECK}: failed (${status}): ${command}\n${out}${err}")
  endif()
  set(out "${out}" PARENT_SCOPE)
  set(err "${err}" PARENT_SCOPE)
endfunction()

# One conversion per option set, each into a directory of its own.
foreach(kind portable full placed literal)
  file(MAKE_DIRECTORY "${WORK_DIR}/${kind}")
  set(options --portable-c)
  if(kind STREQUAL "full")
    list(APPEND options --const-table --lengths)
  elseif(kind STREQUAL "placed")
    list(APPEND options --const-table --lengths --attribute-macros)
  elseif(kind STREQUAL "literal")  # C only
    list(APPEND options --const-table --lengths --attribute-macros --string-literals)
  endif()
  run("${TOOL}" ${options} "${TABLE}" "${WORK_DIR}/${kind}/fw.h")
endforeach()
set(placed "${WORK_DIR}/placed")
set(literal "${WORK_DIR}/literal")
get_filename_component(table_dir "${TABLE}" DIRECTORY)
set(full "${WORK_DIR}/full")
set(includes "-I${INCLUDE}" "-I${full}")
set(strict -Wall -Wextra -pedantic-errors -Werror)

if(CHECK STREQUAL "clang")
  foreach(kind portable full placed literal)
    foreach(std c99 c11 c17 c2x)
      run("${CC}" -std=${std} ${strict} -Wmissing-variable-declarations "-I${INCLUDE}"
          -c "${WORK_DIR}/${kind}/fw_bin.c" -o "${kind}_${std}.o")
    endforeach()
    if(NOT kind STREQUAL "literal")
      run("${CC}" -x c++ -std=c++17 ${strict} -Wmissing-variable-declarations "-I${INCLUDE}"
          -c "${WORK_DIR}/${kind}/fw_bin.c" -o "${kind}_cxx.o")
    endif()
  endforeach()
  # Every byte value, quotes, backslashes, '?' runs, escapes before digits, 4095 and 4096 bytes
  # as literals, read back byte for byte.
  file(MAKE_DIRECTORY "${WORK_DIR}/ui")
  run("${TOOL}" --string-literals "${table_dir}/ui_en.bin" "${WORK_DIR}/ui/strings.h")
  run("${CC}" -std=c99 -Wall -Wextra -Werror "-I${INCLUDE}" "-I${WORK_DIR}/ui" "-I${table_dir}"
      "${SOURCE_DIR}/check.c" "${SOURCE_DIR}/decl.c" -o ui_check)
  run("${WORK_DIR}/ui_check")
  # A C++ program of a table placed in sections of its own: links and reads it.
  run("${CC}" -std=c99 ${strict} "-I${INCLUDE}"
      "-DSTRTAB2C_STRING_ATTRIBUTE=__attribute__((section(\"strtab2c_strings\")))"
      "-DSTRTAB2C_TABLE_ATTRIBUTE=__attribute__((section(\"strtab2c_table\")))"
      -c "${placed}/fw_bin.c" -o placed.o)
  run("${CC}" -x c++ -std=c++17 ${strict} "-I${INCLUDE}" "-I${placed}"
      -c "${SOURCE_DIR}/fw_check.c" -o placed_check.o)
  run("${CC}" -c "${SOURCE_DIR}/fw_main.c" -o main.o)
  run("${CC}" main.o placed_check.o placed.o -o placed_cxx)
  run("${WORK_DIR}/placed_cxx")
elseif(CHECK STREQUAL "msvc_abi")
  set(target --target=x86_64-pc-windows-msvc -ffreestanding -fno-builtin ${strict} ${includes})
  # A C++ consumer of the C table, then a C consumer of the table compiled as C++.
  # And the C table as literals with the C++ consumer.
  foreach(pair "c;c++;full" "c++;c;full" "c;c++;literal")
    list(GET pair 0 table_language)
    list(GET pair 1 consumer_language)
    list(GET pair 2 kind)
    set(exe "table_${table_language}_${kind}.exe")
    run("${CC}" ${target} -x ${table_language} -c "${WORK_DIR}/${kind}/fw_bin.c" -o table.obj)
    run("${CC}" ${target} -x ${consumer_language} -c "${SOURCE_DIR}/fw_check.c" -o check.obj)
    run("${LINKER}" /nologo /nodefaultlib /entry:fw_check /subsystem:console table.obj check.obj
        "/out:${exe}")
    if(EXISTS /usr/lib/wine/wine64)
      set(ENV{WINEDEBUG} -all)
      run(/usr/lib/wine/wine64 "${exe}")
    endif()
  endforeach()
elseif(CHECK STREQUAL "cortex_m")
  set(target -mcpu=cortex-m3 -mthumb -Os -fdata-sections -ffunction-sections -std=c99 ${strict})
  run("${CC}" ${target} "-I${INCLUDE}" -c "${full}/fw_bin.c" -o fw_bin.o)
  run("${CC}" ${target} "-I${INCLUDE}" -c "${literal}/fw_bin.c" -o fw_literal.o)
  run("${CC}" ${target} ${includes} -c "${SOURCE_DIR}/fw_check.c" -o fw_check.o)
  string(REGEX REPLACE "gcc$" "objdump" objdump "${CC}")
  run("${objdump}" -t fw_bin.o)
  foreach(symbol RES_STRING_FW_BIN RES_STRING_FW_BIN_CNT RES_STRING_FW_BIN_LEN)
    if(NOT out MATCHES "\\.rodata[^ \t]*[ \t]+[0-9a-f]+ ${symbol}\n")
      message(FATAL_ERROR "cortex_m: ${symbol} is not in .rodata (flash):\n${out}")
    endif()
  endforeach()
  # As a QSPI flash layout wants them: the strings and the table in sections of their own, each
  # exactly its data: "s0".."s99" (10 x 2 + 90 x 3 bytes) and the empty string's one zero byte;
  # 101 pointers of 4 bytes.
  run("${CC}" ${target} "-I${INCLUDE}"
      "-DSTRTAB2C_STRING_ATTRIBUTE=__attribute__((section(\".qspi_strings\")))"
      "-DSTRTAB2C_TABLE_ATTRIBUTE=__attribute__((section(\".qspi_table\")))"
      -c "${placed}/fw_bin.c" -o placed.o)
  run("${objdump}" -h placed.o)
  foreach(section_size ".qspi_strings;00000123" ".qspi_table;00000194")
    list(GET section_size 0 section)
    list(GET section_size 1 size)
    string(REPLACE "." "\\." pattern "${section}")
    if(NOT out MATCHES "${pattern}[ \t]+${size} ")
      message(FATAL_ERROR "cortex_m: ${section} is not 0x${size} bytes:\n${out}")
    endif()
  endforeach()
elseif(CHECK STREQUAL "sdcc")
  foreach(port mcs51 z80 stm8)
    foreach(kind portable full literal)
      run("${CC}" -m${port} "-I${INCLUDE}" -c "${WORK_DIR}/${kind}/fw_bin.c" -o "${kind}_${port}.rel")
      if(err MATCHES "warning")  # literals that fill their arrays: silenced in the file
        message(FATAL_ERROR "sdcc: warnings for ${kind} on ${port}:\n${err}")
      endif()
    endforeach()
  endforeach()
  run("${CC}" -mmcs51 ${includes} -c "${SOURCE_DIR}/fw_check.c" -o check.rel)
  run("${CC}" -mmcs51 -c "${SOURCE_DIR}/fw_main.c" -o main.rel)
  run("${CC}" -mmcs51 main.rel check.rel full_mcs51.rel -o fw.ihx)
  # The strings in code memory by the attribute macro.
  run("${CC}" -mmcs51 "-I${INCLUDE}" -DSTRTAB2C_STRING_ATTRIBUTE=__code
      -c "${placed}/fw_bin.c" -o placed.rel)
  run("${CC}" -mmcs51 main.rel check.rel placed.rel -o placed.ihx)
  run("${CC}" -mmcs51 main.rel check.rel literal_mcs51.rel -o literal.ihx)
elseif(CHECK STREQUAL "avr")
  set(target -mmcu=atmega328p -Os -std=c99 ${strict})
  set(avr "${SOURCE_DIR}/avr")
  file(MAKE_DIRECTORY "${WORK_DIR}/avr" "${WORK_DIR}/avr_in_ram")
  run("${TOOL}" --portable-c --const-table --lengths --attribute-macros "${table_dir}/avr.bin"
      "${WORK_DIR}/avr/avr.h")
  run("${TOOL}" --portable-c --const-table --lengths "${table_dir}/avr.bin"
      "${WORK_DIR}/avr_in_ram/avr.h")
  # Without the macros the table is copied to RAM: more than the chip has, so it cannot link.
  execute_process(COMMAND "${CC}" ${target} "-I${avr}" "-I${WORK_DIR}/avr_in_ram"
                          "${avr}/avr_main.c" "${WORK_DIR}/avr_in_ram/avr_bin.c" -o in_ram.elf
                  WORKING_DIRECTORY "${WORK_DIR}" RESULT_VARIABLE status OUTPUT_QUIET ERROR_QUIET)
  if(status EQUAL 0)
    message(FATAL_ERROR "avr: the table links in RAM; it must be larger than RAM to prove much")
  endif()
  run("${CC}" ${target} "-I${avr}" "-I${WORK_DIR}/avr" "${avr}/avr_main.c"
      "${WORK_DIR}/avr/avr_bin.c" -o app.elf)
  run(avr-size -A app.elf)
  if(NOT out MATCHES "\n\\.data[ \t]+([0-9]+)" OR CMAKE_MATCH_1 GREATER 16)
    message(FATAL_ERROR "avr: more than the count in RAM:\n${out}")
  endif()
  # simavr shows each line the program writes to UDR0 on stderr, coloured, its line end as '.'.
  execute_process(COMMAND "${SIMAVR}" -m atmega328p -f 16000000 app.elf WORKING_DIRECTORY
                          "${WORK_DIR}" RESULT_VARIABLE status OUTPUT_VARIABLE out
                          ERROR_VARIABLE shown TIMEOUT 120)
  string(ASCII 27 escape)
  string(REGEX REPLACE "${escape}\\[[0-9;]*m" "" shown "${shown}")
  string(REPLACE ".\n" "\n" shown "${shown}")
  file(READ "${table_dir}/avr.txt" expected)
  if(NOT status EQUAL 0 OR NOT shown STREQUAL expected)
    file(WRITE "${WORK_DIR}/shown.txt" "${shown}")
    message(FATAL_ERROR "avr: the UART did not show every string (status ${status}); compare "
                        "${WORK_DIR}/shown.txt with ${table_dir}/avr.txt")
  endif()
else()
  message(FATAL_ERROR "unknown CHECK ${CHECK}")
endif()
