# x264, FFmpeg's H.264 encoder (libx264): the library alone, 8-bit, with Windows'
# own threads, so it needs no thread library DLL.
clipvane_dependency(x264 SOURCE x264 BINARY libx264-dev TOOLS nasm
  LICENSE_NAME x264 LICENSES COPYING debian/copyright)
if(NOT x264_NEEDED OR CMAKE_SCRIPT_MODE_FILE)
  return()
endif()
clipvane_build(x264
  CONFIGURE_COMMAND ${CMAKE_COMMAND} -E env CC=${deps_cc}
    <SOURCE_DIR>/configure --host=${deps_host} --cross-prefix=${deps_host}- --prefix=${x264_PREFIX}
    --enable-static --disable-cli --bit-depth=8 --disable-opencl --enable-strip
  BUILD_COMMAND $(MAKE)
  INSTALL_COMMAND $(MAKE) install-lib-static DESTDIR=<STAGE>)
