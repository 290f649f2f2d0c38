# GoogleTest from Debian's source package, compiled by whichever compiler this build
# uses, so that the mingw-w64 build gets a Windows GoogleTest as well.
set(CLIPVANE_GTEST_SOURCE /usr/src/googletest CACHE PATH "GoogleTest sources")
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(gtest_force_shared_crt ON CACHE BOOL "" FORCE)
add_subdirectory(${CLIPVANE_GTEST_SOURCE} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL SYSTEM)
if(NOT TARGET GTest::gtest_main)
  add_library(GTest::gtest ALIAS gtest)
  add_library(GTest::gtest_main ALIAS gtest_main)
  add_library(GTest::gmock ALIAS gmock)
endif()

if(CMAKE_CROSSCOMPILING)
  # The Windows tests share one Wine prefix under the build folder and one
  # wineserver that stays up for the whole run (each Wine start would otherwise
  # start and stop its own server).
  add_test(NAME wineserver_start COMMAND ${PROJECT_SOURCE_DIR}/cmake/wine-run.sh --start-server)
  add_test(NAME wineserver_stop COMMAND ${PROJECT_SOURCE_DIR}/cmake/wine-run.sh --stop-server)
  set_tests_properties(wineserver_start PROPERTIES FIXTURES_SETUP wineserver
                       ENVIRONMENT CLIPVANE_BUILD_DIR=${CMAKE_BINARY_DIR})
  set_tests_properties(wineserver_stop PROPERTIES FIXTURES_CLEANUP wineserver
                       ENVIRONMENT CLIPVANE_BUILD_DIR=${CMAKE_BINARY_DIR})
endif()
