# HarfBuzz, for libass: the shaping library alone, none of its optional parts.
clipvane_dependency(harfbuzz SOURCE harfbuzz BINARY libharfbuzz-dev
  LICENSE_NAME HarfBuzz LICENSES COPYING debian/copyright)
if(NOT harfbuzz_NEEDED OR CMAKE_SCRIPT_MODE_FILE)
  return()
endif()
clipvane_build(harfbuzz
  CMAKE_ARGS ${deps_cmake_args} -DCMAKE_INSTALL_PREFIX=${harfbuzz_PREFIX}
    -DHB_BUILD_SUBSET=OFF -DHB_HAVE_FREETYPE=OFF -DHB_HAVE_GLIB=OFF -DHB_HAVE_ICU=OFF
  INSTALL_COMMAND ${deps_cmake_install})
