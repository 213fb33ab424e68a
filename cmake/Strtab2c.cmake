# strtab2c_add_tables(<target> HEADER <path> TABLES <file>...)
#
# Converts string tables into C sources for <target>. One command produces the header and every
# generated .c: it starts the header afresh, then runs strtab2c once per table in the order given,
# so each table's declarations appear exactly once however often the build runs. The generated
# files land in the header's directory (a relative HEADER is taken from the current binary
# directory, relative TABLES from the current source directory).
include_guard(GLOBAL)

# Global, so the function finds its helper script from any directory that calls it.
set_property(GLOBAL PROPERTY STRTAB2C_MODULE_DIR "${CMAKE_CURRENT_LIST_DIR}")

function(strtab2c_add_tables target)
  cmake_parse_arguments(PARSE_ARGV 1 ARG "" "HEADER" "TABLES")
  if(NOT ARG_HEADER OR NOT ARG_TABLES)
    message(FATAL_ERROR "strtab2c_add_tables(${target} HEADER <path> TABLES <file>...): "
                        "HEADER and TABLES are required")
  endif()
  if(NOT TARGET strtab2c::strtab2c)
    message(FATAL_ERROR "strtab2c_add_tables: no strtab2c::strtab2c executable; "
                        "use find_package(strtab2c) or add_subdirectory() the strtab2c sources")
  endif()

  get_property(module_dir GLOBAL PROPERTY STRTAB2C_MODULE_DIR)
  get_filename_component(header "${ARG_HEADER}" ABSOLUTE BASE_DIR "${CMAKE_CURRENT_BINARY_DIR}")
  get_filename_component(header_dir "${header}" DIRECTORY)
  get_filename_component(header_name "${header}" NAME)

  set(tables "")
  set(sources "")
  set(convert "")
  foreach(table IN LISTS ARG_TABLES)
    get_filename_component(table "${table}" ABSOLUTE BASE_DIR "${CMAKE_CURRENT_SOURCE_DIR}")
    get_filename_component(name "${table}" NAME)
    # The tool names its output after the table: last '.' becomes '_', then ".c".
    string(FIND "${name}" "." dot REVERSE)
    if(dot GREATER_EQUAL 0)
      string(SUBSTRING "${name}" 0 ${dot} base)
      math(EXPR ext_at "${dot} + 1")
      string(SUBSTRING "${name}" ${ext_at} -1 ext)
      set(name "${base}_${ext}")
    endif()
    list(APPEND tables "${table}")
    list(APPEND sources "${header_dir}/${name}.c")
    list(APPEND convert COMMAND strtab2c::strtab2c "${table}" "${header}")
  endforeach()

  add_custom_command(
    OUTPUT "${header}" ${sources}
    COMMAND "${CMAKE_COMMAND}" -E make_directory "${header_dir}"
    COMMAND "${CMAKE_COMMAND}" "-DHEADER=${header}" -P "${module_dir}/Strtab2cHeader.cmake"
    ${convert}
    DEPENDS ${tables} strtab2c::strtab2c "${module_dir}/Strtab2cHeader.cmake"
    COMMENT "Converting string tables into ${header_name}"
    VERBATIM)
  target_sources(${target} PRIVATE ${sources} "${header}")
  target_include_directories(${target} PRIVATE "${header_dir}")
endfunction()
