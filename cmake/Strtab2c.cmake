# strtab2c_add_tables(<target> [PUBLIC] [STRICT] HEADER <path> TABLES <file>...
#                     [INSTALL_DESTINATION <dir>] [PORTABLE_C [<bool>]] [CONST_TABLE [<bool>]]
#                     [LENGTHS [<bool>]])
#
# Converts string tables into C sources for <target>. Each table gets a build step of its own: the
# tool writes its generated .c into the header's directory and its declarations into a fragment
# beside it; one more step assembles the header from the fragments, in the order of TABLES, and
# rewrites it only when its bytes change. Changing one table so reconverts and recompiles that
# table alone. The tool's full output goes to a log beside each generated file; the build shows
# the reader's findings (entries missing, strings cut short) naming the table, and STRICT makes
# them fail the build. PORTABLE_C (on by default: the generated files are compiled with the
# project's own flags) writes them so that they compile and link under every C and C++ compiler;
# CONST_TABLE puts the pointer tables in read-only memory (flash); LENGTHS adds a table of each
# string's length. The header gives C linkage to C++ includers.
#
# A relative HEADER is taken from the current binary directory, relative TABLES from the current
# source directory. <target> may be defined in any directory of the project.
include_guard(GLOBAL)

# Global, so the function finds its helper scripts from any directory that calls it.
set_property(GLOBAL PROPERTY STRTAB2C_MODULE_DIR "${CMAKE_CURRENT_LIST_DIR}")

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

# The command that runs the tool on the build machine, as one argument ($<SEMICOLON> between
# words), and what the conversion steps depend on.
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
    string(REPLACE ";" "$<SEMICOLON>" emulator "${emulator}")
    set(${out_command} "${emulator}$<SEMICOLON>$<TARGET_FILE:strtab2c>" PARENT_SCOPE)
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
  set(${out_path} "${binary_dir}/strtab2c${CMAKE_HOST_EXECUTABLE_SUFFIX}" PARENT_SCOPE)
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
    BUILD_BYPRODUCTS "${binary_dir}/strtab2c${CMAKE_HOST_EXECUTABLE_SUFFIX}"
    INSTALL_COMMAND ""
    BUILD_ALWAYS ON
    EXCLUDE_FROM_ALL ON)
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
                        "HEADER;INSTALL_DESTINATION;PORTABLE_C;CONST_TABLE;LENGTHS" "TABLES")
  # Each option: the word alone means ON, a value says which; PORTABLE_C is on unless turned off.
  set(tool_options "")
  foreach(option PORTABLE_C CONST_TABLE LENGTHS)
    if(option IN_LIST ARG_KEYWORDS_MISSING_VALUES)
      set(ARG_${option} ON)
    elseif(NOT DEFINED ARG_${option})
      set(ARG_${option} OFF)
      if(option STREQUAL "PORTABLE_C")
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
                        "TABLES <file>... [INSTALL_DESTINATION <dir>] [PORTABLE_C [<bool>]] "
                        "[CONST_TABLE [<bool>]] [LENGTHS [<bool>]]): "
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

  get_property(module_dir GLOBAL PROPERTY STRTAB2C_MODULE_DIR)
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

  _strtab2c_tool(tool tool_depends)
  set(sources "")
  set(fragments "")
  string(REPLACE ";" "$<SEMICOLON>" tool_options "${tool_options}")  # one argument to the script
  foreach(table IN LISTS ARG_TABLES)
    get_filename_component(table "${table}" ABSOLUTE BASE_DIR "${CMAKE_CURRENT_SOURCE_DIR}")
    _strtab2c_names("${table}" name stem)
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

    set(source "${header_dir}/${name}.c")
    set(fragment "${header_dir}/${name}.decl")
    get_filename_component(table_name "${table}" NAME)
    add_custom_command(
      OUTPUT "${source}" "${fragment}"
      BYPRODUCTS "${header_dir}/${name}.log"
      COMMAND "${CMAKE_COMMAND}" -E make_directory "${header_dir}"
      COMMAND "${CMAKE_COMMAND}" "-DTOOL=${tool}" "-DTOOL_OPTIONS=${tool_options}"
              "-DTABLE=${table}" "-DSOURCE=${source}"
              "-DFRAGMENT=${fragment}" "-DLOG=${header_dir}/${name}.log" "-DSTRICT=${ARG_STRICT}"
              -P "${module_dir}/Strtab2cConvert.cmake"
      DEPENDS "${table}" ${tool_depends} "${module_dir}/Strtab2cConvert.cmake"
      COMMENT "Converting string table ${table_name}"
      VERBATIM)
    list(APPEND sources "${source}")
    list(APPEND fragments "${fragment}")
  endforeach()

  # The list of fragments lives in a file that changes only when the list does, so removing a
  # table reassembles the header with every generator.
  string(MAKE_C_IDENTIFIER "${header_name}" header_id)
  set(list_file "${header_dir}/${header_name}.tables")
  string(REPLACE ";" "\n" fragment_lines "${fragments}")
  file(CONFIGURE OUTPUT "${list_file}" CONTENT "${fragment_lines}\n")
  set(stamp "${header_dir}/${header_name}.stamp")
  add_custom_command(
    OUTPUT "${stamp}"
    BYPRODUCTS "${header}"
    COMMAND "${CMAKE_COMMAND}" "-DHEADER=${header}" "-DLIST=${list_file}"
            -P "${module_dir}/Strtab2cHeader.cmake"
    COMMAND "${CMAKE_COMMAND}" -E touch "${stamp}"
    DEPENDS ${fragments} "${list_file}" "${module_dir}/Strtab2cHeader.cmake"
    COMMENT "Assembling ${header_name}"
    VERBATIM)

  # The steps live in this directory; the target may live in another. A target of its own here
  # runs them first, and the target's directory learns that the files are generated.
  add_custom_target(${target}_${header_id} DEPENDS "${stamp}" ${sources})
  add_dependencies(${target} ${target}_${header_id})
  get_target_property(target_dir ${target} SOURCE_DIR)
  set_source_files_properties(${sources} "${header}" "${stamp}"
    DIRECTORY "${CMAKE_CURRENT_SOURCE_DIR}" "${target_dir}"
    PROPERTIES GENERATED TRUE
               # Every generated file has its own static STR_1, STR_2, ...: one unit each.
               SKIP_UNITY_BUILD_INCLUSION ON
               SKIP_PRECOMPILE_HEADERS ON)
  target_sources(${target} PRIVATE ${sources} "${header}")
  source_group("strtab2c" FILES ${sources} "${header}")

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
