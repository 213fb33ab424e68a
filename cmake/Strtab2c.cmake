# strtab2c_add_tables(<target> [PUBLIC] [STRICT] HEADER <path> TABLES <file>...
#                     [DEPENDS <target or file>...] [INSTALL_DESTINATION <dir>]
#                     [PORTABLE_C [<bool>]] [CONST_TABLE [<bool>]] [LENGTHS [<bool>]]
#                     [ATTRIBUTE_MACROS [<bool>]] [STRING_LITERALS [<bool>]])
#
# Converts string tables into C sources for <target>. Each table is one build step, the tool
# alone: it writes the generated .c into the header's directory (with a multi-config generator,
# into its subdirectory <config>), its declarations into a fragment and its full output into a log
# beside it. The header declares every table, in the order of TABLES; its text follows from the
# names and options alone, so it is written at configure time, only when it changes, and a
# changed table reconverts and recompiles that table alone. The build shows the reader's findings
# (entries missing, strings cut short) naming the table; STRICT makes them fail the build.
# PORTABLE_C (on by default: the generated files are compiled with the project's own flags)
# makes them compile and link under every C and C++ compiler; CONST_TABLE puts the pointer
# tables in read-only memory (flash); LENGTHS adds a table of each string's length;
# ATTRIBUTE_MACROS begins each definition with a macro the project may define to place it
# (STRTAB2C_STRING_ATTRIBUTE, _TABLE_, _COUNT_ and _LENGTHS_ATTRIBUTE); STRING_LITERALS (on by
# default: the generated files are compiled as C, and literals compile several times faster than
# one initializer per byte) writes each string of up to 4095 bytes as a C string literal. The
# header
# gives C linkage to C++ includers. DEPENDS names the targets (or files) that make tables in
# other parts of the build: the conversions wait for them, with every generator.
#
# A relative HEADER is taken from the current binary directory, relative TABLES from the current
# source directory. A table's directory may hold generator expressions, such as $<CONFIG> for
# tables that a multi-config build makes per configuration; its file name may not (the names of
# the generated file and identifiers follow from it at configure time). <target> may be defined in any directory of the project; the conversions
# live in a target of their own, <target>_<header file name as a C identifier>.
include_guard(GLOBAL)

set(STRTAB2C_EXECUTABLE "" CACHE FILEPATH
    "A strtab2c that runs on the build machine; overrides the tool of the package or sources")

# The tool derives its names from the table's file name: what follows the last '\' or '/', with
# the last '.' turned into '_'. Identifiers use that stem with a..z upper-cased. Keep in step with
# converter/naming.cpp.
function(_strtab2c_names table out_name out_stem)
  string(REGEX REPLACE "^.*[/\\\\]" "" name "${table}")
  string(FIND "${name}" "." dot REVERSE)
  if(dot GREATER_EQUAL 0)
    string(SUBSTRING "${name}" 0 ${dot} base)
    math(EXPR ext_at "${dot} + 1")
    string(SUBSTRING "${name}" ${ext_at} -1 ext)
    set(name "${base}_${ext}")
  endif()
  string(TOUPPER "${name}" stem)
  set(${out_name} "${name}" PARENT_SCOPE)
  set(${out_stem} "${stem}" PARENT_SCOPE)
endfunction()

# The command that runs the tool on the build machine (a list: an emulator may come first), and
# what the conversion steps depend on.
function(_strtab2c_tool out_command out_depends)
  if(STRTAB2C_EXECUTABLE)
    set(${out_command} "${STRTAB2C_EXECUTABLE}" PARENT_SCOPE)
    set(${out_depends} "${STRTAB2C_EXECUTABLE}" PARENT_SCOPE)
    return()
  endif()
  if(NOT TARGET strtab2c::strtab2c)
    message(FATAL_ERROR "strtab2c_add_tables: no strtab2c tool: use find_package(strtab2c), "
                        "add_subdirectory() the strtab2c sources, or set STRTAB2C_EXECUTABLE")
  endif()
  get_target_property(imported strtab2c::strtab2c IMPORTED)
  if(imported)
    # An installed package: its tool was built for the machine it was installed on.
    set(${out_command} "$<TARGET_FILE:strtab2c::strtab2c>" PARENT_SCOPE)
    set(${out_depends} strtab2c::strtab2c PARENT_SCOPE)
    return()
  endif()
  get_target_property(emulator strtab2c CROSSCOMPILING_EMULATOR)
  if(NOT CMAKE_CROSSCOMPILING)
    set(${out_command} "$<TARGET_FILE:strtab2c>" PARENT_SCOPE)
    set(${out_depends} strtab2c PARENT_SCOPE)
  elseif(emulator)
    set(${out_command} ${emulator} "$<TARGET_FILE:strtab2c>" PARENT_SCOPE)
    set(${out_depends} strtab2c PARENT_SCOPE)
  else()
    _strtab2c_host_tool(host_tool)
    set(${out_command} "${host_tool}" PARENT_SCOPE)
    set(${out_depends} strtab2c_host "${host_tool}" PARENT_SCOPE)
  endif()
endfunction()

# A cross build without an emulator: the same sources built for the build machine, once.
function(_strtab2c_host_tool out_path)
  get_property(source_dir GLOBAL PROPERTY STRTAB2C_SOURCE_DIR)
  set(binary_dir "${CMAKE_BINARY_DIR}/strtab2c-host")
  set(suffix "")
  if(CMAKE_HOST_WIN32)  # CMAKE_HOST_EXECUTABLE_SUFFIX needs CMake 3.31
    set(suffix ".exe")
  endif()
  set(${out_path} "${binary_dir}/strtab2c${suffix}" PARENT_SCOPE)
  if(TARGET strtab2c_host)
    return()
  endif()
  find_program(STRTAB2C_HOST_CXX NAMES c++ g++ clang++ cl NO_CMAKE_FIND_ROOT_PATH)
  if(NOT STRTAB2C_HOST_CXX)
    message(FATAL_ERROR
      "strtab2c_add_tables: this is a cross build, and strtab2c must run on the build machine. "
      "Set CMAKE_CROSSCOMPILING_EMULATOR to run the target's tool, set STRTAB2C_EXECUTABLE to a "
      "strtab2c built for this machine, or install a C++ compiler for this machine.")
  endif()
  include(ExternalProject)
  set(generator_args)
  if(NOT CMAKE_GENERATOR MATCHES "Visual Studio|Xcode")
    set(generator_args CMAKE_GENERATOR "${CMAKE_GENERATOR}")
  endif()
  ExternalProject_Add(strtab2c_host
    SOURCE_DIR "${source_dir}"
    BINARY_DIR "${binary_dir}"
    ${generator_args}
    CMAKE_ARGS -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF -DSTRTAB2C_BUILD_BENCH=OFF
               -DSTRTAB2C_INSTALL=OFF -DCMAKE_CXX_COMPILER=${STRTAB2C_HOST_CXX}
               -DCMAKE_RUNTIME_OUTPUT_DIRECTORY=${binary_dir}
               -DCMAKE_RUNTIME_OUTPUT_DIRECTORY_RELEASE=${binary_dir}
    BUILD_COMMAND "${CMAKE_COMMAND}" --build . --config Release --target strtab2c
    BUILD_BYPRODUCTS "${binary_dir}/strtab2c${suffix}"
    INSTALL_COMMAND ""
    BUILD_ALWAYS ON
    EXCLUDE_FROM_ALL ON)
endfunction()

# The declarations the tool appends for a table (its fragment), without the line feed before
# them, in C linkage guards. Keep in step with converter/source_writer.cpp.
function(_strtab2c_declarations stem const_table lengths out)
  set(pointer "const uint8_t*")
  if(const_table)
    string(APPEND pointer " const")
  endif()
  set(text "#ifdef __cplusplus\nextern \"C\" {\n#endif\n")
  string(APPEND text "extern ${pointer} RES_STRING_${stem}[];\n")
  string(APPEND text "extern const uint32_t RES_STRING_${stem}_CNT;\n")
  if(lengths)
    string(APPEND text "extern const uint16_t RES_STRING_${stem}_LEN[];\n")
  endif()
  string(APPEND text "#ifdef __cplusplus\n}\n#endif\n")
  set(${out} "${text}" PARENT_SCOPE)
endfunction()

function(_strtab2c_check_stem target table stem)
  if(NOT stem MATCHES "^[A-Za-z0-9_]+$")
    string(REGEX MATCH "[^A-Za-z0-9_]" bad "${stem}")
    message(FATAL_ERROR "strtab2c_add_tables(${target}): table ${table} gives the identifier "
                        "RES_STRING_${stem}, which is not a valid C identifier: '${bad}' cannot "
                        "stand in one. Rename the file so that its name, with its last '.' taken "
                        "as '_', holds only letters, digits and '_'.")
  endif()
endfunction()

function(strtab2c_add_tables target)
  cmake_parse_arguments(PARSE_ARGV 1 ARG "PUBLIC;STRICT"
                        "HEADER;INSTALL_DESTINATION;PORTABLE_C;CONST_TABLE;LENGTHS;ATTRIBUTE_MACROS;STRING_LITERALS"
                        "TABLES;DEPENDS")
  # Each option: the word alone means ON, a value says which; PORTABLE_C and STRING_LITERALS are
  # on unless turned off.
  set(tool_options --replace-include)
  foreach(option PORTABLE_C CONST_TABLE LENGTHS ATTRIBUTE_MACROS STRING_LITERALS STRICT)
    if(option IN_LIST ARG_KEYWORDS_MISSING_VALUES)
      set(ARG_${option} ON)
    elseif(NOT DEFINED ARG_${option})
      set(ARG_${option} OFF)
      if(option STREQUAL "PORTABLE_C" OR option STREQUAL "STRING_LITERALS")
        set(ARG_${option} ON)
      endif()
    endif()
    if(ARG_${option})
      string(TOLOWER "--${option}" flag)
      string(REPLACE "_" "-" flag "${flag}")
      list(APPEND tool_options "${flag}")
    endif()
  endforeach()
  if(NOT ARG_HEADER OR NOT ARG_TABLES OR ARG_UNPARSED_ARGUMENTS)
    message(FATAL_ERROR "strtab2c_add_tables(${target} [PUBLIC] [STRICT] HEADER <path> "
                        "TABLES <file>... [DEPENDS <target or file>...] "
                        "[INSTALL_DESTINATION <dir>] [PORTABLE_C [<bool>]] "
                        "[CONST_TABLE [<bool>]] [LENGTHS [<bool>]] "
                        "[ATTRIBUTE_MACROS [<bool>]] [STRING_LITERALS [<bool>]]): "
                        "HEADER and TABLES are required; unknown arguments: "
                        "${ARG_UNPARSED_ARGUMENTS}")
  endif()
  if(NOT TARGET ${target})
    message(FATAL_ERROR "strtab2c_add_tables: ${target} is not a target")
  endif()
  get_property(languages GLOBAL PROPERTY ENABLED_LANGUAGES)
  if(NOT "C" IN_LIST languages)
    message(FATAL_ERROR "strtab2c_add_tables(${target}): the generated sources are C, and C is "
                        "not enabled in this project. Add it: project(<name> C CXX), or "
                        "enable_language(C) before this call.")
  endif()

  get_filename_component(header "${ARG_HEADER}" ABSOLUTE BASE_DIR "${CMAKE_CURRENT_BINARY_DIR}")
  get_filename_component(header_dir "${header}" DIRECTORY)
  get_filename_component(header_name "${header}" NAME)
  get_property(owner GLOBAL PROPERTY "STRTAB2C_OWNER_${header}")
  if(owner)
    message(FATAL_ERROR "strtab2c_add_tables(${target}): the header ${header} is already made "
                        "for target ${owner}. Make each header in one call that lists all its "
                        "tables, or give this call a header of its own.")
  endif()
  set_property(GLOBAL PROPERTY "STRTAB2C_OWNER_${header}" "${target}")

  # Each configuration of a multi-config generator converts into a directory of its own, so that
  # configurations built at once never share a file and a switch between them reruns nothing.
  get_property(multi_config GLOBAL PROPERTY GENERATOR_IS_MULTI_CONFIG)
  if(multi_config)
    set(gen_dir "${header_dir}/$<CONFIG>")
    set(gen_dirs "")
    foreach(config IN LISTS CMAKE_CONFIGURATION_TYPES)
      list(APPEND gen_dirs "${header_dir}/${config}")
    endforeach()
  else()
    set(gen_dir "${header_dir}")
    set(gen_dirs "${header_dir}")
  endif()
  file(MAKE_DIRECTORY ${gen_dirs})

  # DEPENDS: targets that make tables (their steps run first, with every generator) and files.
  set(depend_targets "")
  set(depend_files "")
  foreach(dependency IN LISTS ARG_DEPENDS)
    if(TARGET ${dependency})
      list(APPEND depend_targets ${dependency})
    else()
      get_filename_component(dependency "${dependency}" ABSOLUTE
                             BASE_DIR "${CMAKE_CURRENT_SOURCE_DIR}")
      list(APPEND depend_files "${dependency}")
    endif()
  endforeach()

  _strtab2c_tool(tool tool_depends)
  set(sources "")
  set(concrete_sources "")
  set(header_text "/* Generated by strtab2c_add_tables(); do not edit. */\n#pragma once\n\n")
  string(APPEND header_text "#include <res_manager_api.h>\n")
  foreach(table IN LISTS ARG_TABLES)
    get_filename_component(table "${table}" ABSOLUTE BASE_DIR "${CMAKE_CURRENT_SOURCE_DIR}")
    _strtab2c_names("${table}" name stem)
    if(name MATCHES "\\$<")
      message(FATAL_ERROR "strtab2c_add_tables(${target}): table ${table}: a generator "
                          "expression may stand in a table's directory, not in its file name, "
                          "which gives the names of the generated file and its identifiers")
    endif()
    _strtab2c_check_stem(${target} "${table}" "${stem}")
    # Identifiers and (on Windows) file names ignore case: one stem per directory.
    string(TOUPPER "${header_dir}/${name}" key)
    get_property(claimed GLOBAL PROPERTY "STRTAB2C_TABLE_${key}")
    if(claimed)
      message(FATAL_ERROR "strtab2c_add_tables(${target}): tables ${claimed} and ${table} both "
                          "give ${header_dir}/${name}.c and RES_STRING_${stem}; rename one, or "
                          "give it a header in another directory")
    endif()
    set_property(GLOBAL PROPERTY "STRTAB2C_TABLE_${key}" "${table}")

    # The tool alone, one process per table: its fragment replaced, its output in a log; the
    # build shows only the reader's findings and failures.
    set(source "${gen_dir}/${name}.c")
    get_filename_component(table_name "${table}" NAME)
    add_custom_command(
      OUTPUT "${source}" "${gen_dir}/${name}.decl"
      BYPRODUCTS "${gen_dir}/${name}.log"
      COMMAND ${tool} ${tool_options} --log "${gen_dir}/${name}.log" "${table}"
              "${gen_dir}/${name}.decl"
      DEPENDS "${table}" ${tool_depends} ${depend_targets} ${depend_files}
      COMMENT "Converting string table ${table_name}"
      VERBATIM)
    list(APPEND sources "${source}")
    foreach(dir IN LISTS gen_dirs)
      list(APPEND concrete_sources "${dir}/${name}.c")
    endforeach()

    _strtab2c_declarations("${stem}" "${ARG_CONST_TABLE}" "${ARG_LENGTHS}" declarations)
    string(APPEND header_text "\n${declarations}")
  endforeach()

  # The header's text follows from the tables' names and the options alone: it is written at
  # configure time, only when it changes, so that no build step rewrites it and a changed table
  # recompiles nothing that includes it. A build step puts it back should it be deleted.
  set(newline UNIX)
  if(CMAKE_HOST_WIN32)
    set(newline DOS)  # as the tool writes its fragments there
  endif()
  string(MAKE_C_IDENTIFIER "${header_name}" header_id)
  string(MD5 header_hash "${header}")
  string(SUBSTRING "${header_hash}" 0 12 header_hash)
  set(header_copy "${CMAKE_CURRENT_BINARY_DIR}/CMakeFiles/strtab2c/${header_hash}_${header_name}")
  file(CONFIGURE OUTPUT "${header_copy}" CONTENT "${header_text}" @ONLY NEWLINE_STYLE ${newline})
  add_custom_command(
    OUTPUT "${header}"
    COMMAND "${CMAKE_COMMAND}" -E copy "${header_copy}" "${header}"
    DEPENDS "${header_copy}"
    COMMENT "Writing ${header_name}"
    VERBATIM)

  # The steps live in this directory; the target may live in another. A target of its own here
  # runs them first (after the steps that make the tables), and the target's directory learns
  # that the files are generated.
  add_custom_target(${target}_${header_id} DEPENDS "${header}" ${sources})
  if(depend_targets)
    add_dependencies(${target}_${header_id} ${depend_targets})
  endif()
  add_dependencies(${target} ${target}_${header_id})
  get_target_property(target_dir ${target} SOURCE_DIR)
  set_source_files_properties(${concrete_sources} "${header}"
    DIRECTORY "${CMAKE_CURRENT_SOURCE_DIR}" "${target_dir}"
    PROPERTIES GENERATED TRUE
               # Every generated file has its own static STR_1, STR_2, ...: one unit each.
               SKIP_UNITY_BUILD_INCLUSION ON
               SKIP_PRECOMPILE_HEADERS ON)
  target_sources(${target} PRIVATE ${sources} "${header}")
  source_group("strtab2c" FILES ${concrete_sources} "${header}")

  if(ARG_PUBLIC)
    target_include_directories(${target} PUBLIC "$<BUILD_INTERFACE:${header_dir}>")
  else()
    target_include_directories(${target} PRIVATE "${header_dir}")
  endif()
  if(ARG_INSTALL_DESTINATION)
    install(FILES "${header}" DESTINATION "${ARG_INSTALL_DESTINATION}")
    target_include_directories(${target} INTERFACE
                               "$<INSTALL_INTERFACE:${ARG_INSTALL_DESTINATION}>")
  endif()
endfunction()
