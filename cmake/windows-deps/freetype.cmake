# FreeType, for libass. With the zlib of this build (FreeType's own copy would clash
# with it in FFmpeg's link) and none of its other optional libraries.
clipvane_dependency(freetype SOURCE freetype BINARY libfreetype-dev DEPENDS zlib
  LICENSE_NAME FreeType LICENSES docs/FTL.TXT debian/copyright)
if(NOT freetype_NEEDED OR CMAKE_SCRIPT_MODE_FILE)
  return()
endif()
clipvane_build(freetype
  CMAKE_ARGS ${deps_cmake_args} -DCMAKE_INSTALL_PREFIX=${freetype_PREFIX}
    -DFT_REQUIRE_ZLIB=ON -DZLIB_LIBRARY=${zlib_PREFIX}/lib/libz.a -DZLIB_INCLUDE_DIR=${zlib_PREFIX}/include
    -DFT_DISABLE_BZIP2=ON -DFT_DISABLE_PNG=ON -DFT_DISABLE_HARFBUZZ=ON -DFT_DISABLE_BROTLI=ON
  INSTALL_COMMAND ${deps_cmake_install})
