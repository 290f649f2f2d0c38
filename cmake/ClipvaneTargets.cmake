# clipvane_modules(folder... [APART folder...]): adds the module folders in the order
# given, each after those it builds on. The lists in src/, tests/ and bench/ are the
# build graph: a folder named there without its CMakeLists.txt stops the configuration
# instead of leaving the module out, and so does a module folder that the list does not
# name (APART names those built on their own, such as the fuzzers).
macro(clipvane_modules)
  cmake_parse_arguments(CLIPVANE_MODULES "" "" "APART" ${ARGN})
  foreach(module ${CLIPVANE_MODULES_UNPARSED_ARGUMENTS})
    if(NOT EXISTS ${CMAKE_CURRENT_SOURCE_DIR}/${module}/CMakeLists.txt)
      message(FATAL_ERROR "Module ${module} has no ${CMAKE_CURRENT_SOURCE_DIR}/${module}/CMakeLists.txt, "
                          "but ${CMAKE_CURRENT_LIST_FILE} builds it")
    endif()
    add_subdirectory(${module})
  endforeach()
  file(GLOB_RECURSE clipvane_module_files RELATIVE ${CMAKE_CURRENT_SOURCE_DIR}
       ${CMAKE_CURRENT_SOURCE_DIR}/*/CMakeLists.txt)
  foreach(module_file ${clipvane_module_files})
    get_filename_component(module ${module_file} DIRECTORY)
    if(NOT module IN_LIST CLIPVANE_MODULES_UNPARSED_ARGUMENTS AND NOT module IN_LIST CLIPVANE_MODULES_APART)
      message(FATAL_ERROR "${CMAKE_CURRENT_SOURCE_DIR}/${module} has a CMakeLists.txt, "
                          "but ${CMAKE_CURRENT_LIST_FILE} does not name it as a module")
    endif()
  endforeach()
endmacro()

# clipvane_library(name SOURCES ... [WIN32_SOURCES ...] [POSIX_SOURCES ...] [LIBS ...])
# A static library of the core with warnings as errors and src/ on the include path.
function(clipvane_library name)
  cmake_parse_arguments(ARG "" "" "SOURCES;WIN32_SOURCES;POSIX_SOURCES;LIBS" ${ARGN})
  set(sources ${ARG_SOURCES})
  if(WIN32)
    list(APPEND sources ${ARG_WIN32_SOURCES})
  else()
    list(APPEND sources ${ARG_POSIX_SOURCES})
  endif()
  add_library(${name} STATIC ${sources})
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR}/src)
  target_link_libraries(${name} PUBLIC ${ARG_LIBS} PRIVATE clipvane_warnings)
endfunction()

# clipvane_test_program(name SOURCES ... LIBS ...)
# One test program is one CTest test: under Wine each start costs a second or two,
# so the cases are not registered one by one.
function(clipvane_test_program name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/src ${PROJECT_SOURCE_DIR}/tests)
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} clipvane_test_support GTest::gmock clipvane_test_main clipvane_warnings)
  add_test(NAME ${name} COMMAND ${name})
  # tests/support/test_main.cpp: a skipped case shows as a skip, not as a pass.
  set_tests_properties(${name} PROPERTIES SKIP_RETURN_CODE 77)
  if(CMAKE_CROSSCOMPILING)
    set_tests_properties(${name} PROPERTIES FIXTURES_REQUIRED wineserver
                         ENVIRONMENT CLIPVANE_BUILD_DIR=${CMAKE_BINARY_DIR})
  endif()
endfunction()
