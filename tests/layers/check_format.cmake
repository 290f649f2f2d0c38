# The house style, checked: every C++ file of src/, tools/, tests/ and bench/ is as
# .clang-format lays it out. Run by CTest as
#   cmake -DROOT=<source folder> -DCLANG_FORMAT=<program> -P check_format.cmake
# and fixed by hand with `clang-format -i` on the files it names.
cmake_minimum_required(VERSION 3.25)

if(NOT ROOT OR NOT CLANG_FORMAT)
  message(FATAL_ERROR "usage: cmake -DROOT=<source folder> -DCLANG_FORMAT=<program> -P check_format.cmake")
endif()

set(patterns)
foreach(folder src tools tests bench)
  foreach(extension cpp h c)
    list(APPEND patterns ${ROOT}/${folder}/*.${extension})
  endforeach()
endforeach()
file(GLOB_RECURSE files ${patterns})
list(LENGTH files count)
if(count EQUAL 0)
  message(FATAL_ERROR "no C++ files under ${ROOT}")
endif()
execute_process(COMMAND ${CLANG_FORMAT} --dry-run --Werror ${files} RESULT_VARIABLE status ERROR_VARIABLE said)
if(NOT status EQUAL 0)
  string(REGEX MATCHALL "[^\n]*: error: [^\n]*" places "${said}")
  list(LENGTH places wrong)
  string(REPLACE ";" "\n" places "${places}")
  message(FATAL_ERROR "${wrong} places differ from .clang-format:\n${places}")
endif()
message(STATUS "${count} files follow .clang-format")
