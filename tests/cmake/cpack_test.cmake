# The packages as users get them: made with CPack from a build, their files listed, and used.
#   deb: installed into a scratch root (dpkg -x), a consumer project built with it.
#   zip: the Windows archive unpacked; its tool runs without MinGW DLLs (under wine) and its
#        CMake package is found from the unpacked tree.
# cmake -DKIND=deb|zip -DBUILD_DIR=<build> -DSOURCE_DIR=<sources> -DWORK_DIR=<scratch>
#       -DVERSION=<project version> -P cpack_test.cmake
cmake_minimum_required(VERSION 3.20)
include(${CMAKE_CURRENT_LIST_DIR}/run.cmake)
file(REMOVE_RECURSE ${WORK_DIR})
file(MAKE_DIRECTORY ${WORK_DIR})

function(expect_files listing)
  foreach(file IN LISTS ARGN)
    string(FIND "${listing}" "${file}" at)
    if(at LESS 0)
      message(FATAL_ERROR "the package lacks ${file}:\n${listing}")
    endif()
  endforeach()
endfunction()

set(generator DEB)
if(KIND STREQUAL "zip")
  set(generator ZIP)
endif()
run(${CMAKE_CPACK_COMMAND} --config ${BUILD_DIR}/CPackConfig.cmake -G ${generator} -B ${WORK_DIR})
file(GLOB package ${WORK_DIR}/*.deb ${WORK_DIR}/*.zip)

if(KIND STREQUAL "deb")
  run(dpkg-deb -c ${package})
  expect_files("${out}" ./usr/bin/strtab2c ./usr/lib/cmake/strtab2c/strtab2cConfig.cmake
               ./usr/share/man/man1/strtab2c.1 ./usr/share/doc/strtab2c/LICENSE)
  run(dpkg-deb -f ${package} Version)
  if(NOT out MATCHES "^${VERSION}\n")
    message(FATAL_ERROR "package version ${out}, project ${VERSION}")
  endif()
  set(root ${WORK_DIR}/root)
  run(dpkg -x ${package} ${root})
  run(${root}/usr/bin/strtab2c --version)
  if(NOT out STREQUAL "strtab2c ${VERSION}\n")
    message(FATAL_ERROR "--version says ${out}")
  endif()
  file(STRINGS ${root}/usr/share/man/man1/strtab2c.1 title REGEX "^\\.TH ")
  if(NOT title MATCHES "\"strtab2c ${VERSION}\"")
    message(FATAL_ERROR "the man page is of another version: ${title}")
  endif()
  set(consumer ${WORK_DIR}/consumer)
  run(${CMAKE_COMMAND} -S ${SOURCE_DIR}/tests/cmake/fixture -B ${consumer}
      -DCMAKE_PREFIX_PATH=${root}/usr -DTABLES=tables/a.bin)
  run(${CMAKE_COMMAND} --build ${consumer})
  run(${consumer}/app)
  if(NOT out STREQUAL "Hello|1\n")
    message(FATAL_ERROR "the consumer printed ${out}")
  endif()
else()
  run(${CMAKE_COMMAND} -E tar xf ${package} WORKING_DIRECTORY ${WORK_DIR})
  string(REGEX REPLACE "\\.zip$" "" top "${package}")
  file(GLOB_RECURSE listing RELATIVE ${top} ${top}/*)
  expect_files("${listing}" bin/strtab2c.exe lib/cmake/strtab2c/strtab2cConfig.cmake
               share/doc/strtab2c/LICENSE share/doc/strtab2c/README.md
               share/doc/strtab2c/docs/command-line.md)
  # A bare Windows: wine's own DLLs only, none of MinGW's beside it.
  set(ENV{WINEDEBUG} -all)
  unset(ENV{WINEPATH})
  run(/usr/lib/wine/wine64 ${top}/bin/strtab2c.exe --version)
  if(NOT out MATCHES "^strtab2c ${VERSION}\r?\n$")
    message(FATAL_ERROR "--version says ${out}")
  endif()
  run(${CMAKE_COMMAND} -S ${SOURCE_DIR}/tests/cmake/find_only -B ${WORK_DIR}/find
      -DCMAKE_PREFIX_PATH=${top})
  if(NOT out MATCHES "strtab2c_DIR=${top}/lib/cmake/strtab2c")
    message(FATAL_ERROR "the package was not found in the unpacked tree:\n${out}")
  endif()
endif()
message(STATUS "${KIND} package passed")
