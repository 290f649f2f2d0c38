# ZenLib, the helper library of MediaInfoLib, static.
clipvane_dependency(zenlib SOURCE libzen BINARY libzen-dev
  LICENSE_NAME ZenLib LICENSES License.txt)
if(NOT zenlib_NEEDED OR CMAKE_SCRIPT_MODE_FILE)
  return()
endif()
clipvane_build(zenlib
  SOURCE_SUBDIR Project/CMake
  CMAKE_ARGS ${deps_cmake_args} -DCMAKE_INSTALL_PREFIX=${zenlib_PREFIX}
  INSTALL_COMMAND ${deps_cmake_install})
