# Installs a build tree into a scratch prefix and checks that every file a
# user needs is there:
#   cmake -DBUILD_DIR=... -DPREFIX=... -DFILES="bin/zolt;share/man/man1/zolt.1.gz" -P check_install.cmake
cmake_minimum_required(VERSION 3.25)

file(REMOVE_RECURSE "${PREFIX}")
execute_process(COMMAND "${CMAKE_COMMAND}" --install "${BUILD_DIR}" --prefix "${PREFIX}"
  OUTPUT_VARIABLE log ERROR_VARIABLE log RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "cmake --install failed (${status}):\n${log}")
endif()
foreach(file IN LISTS FILES)
  if(NOT EXISTS "${PREFIX}/${file}")
    message(FATAL_ERROR "cmake --install did not install ${file}:\n${log}")
  endif()
endforeach()
file(GLOB_RECURSE installed RELATIVE "${PREFIX}" "${PREFIX}/*")
list(SORT installed)
list(SORT FILES)
if(NOT installed STREQUAL FILES)
  message(FATAL_ERROR "cmake --install put other files in place: ${installed}")
endif()
file(REMOVE_RECURSE "${PREFIX}")
message(STATUS "installed: ${installed}")
