# zimg, for FFmpeg's zscale filter (tone-mapping HDR videos, colour spaces, transfer
# curves): the library alone, with its x86 SIMD code. Debian's source has no
# configure script, so autoreconf makes one first, as Debian's own build does. The
# library is C++: its pkg-config file names the static C++ runtime, so that FFmpeg's
# DLLs link the runtime in rather than import libstdc++-6.dll.
clipvane_dependency(zimg SOURCE zimg BINARY libzimg-dev TOOLS autoconf automake libtool
  LICENSE_NAME zimg LICENSES COPYING debian/copyright)
if(NOT zimg_NEEDED OR CMAKE_SCRIPT_MODE_FILE)
  return()
endif()
clipvane_build(zimg
  CONFIGURE_COMMAND autoreconf --install --force <SOURCE_DIR>
  COMMAND <SOURCE_DIR>/configure ${deps_autotools_args} --prefix=${zimg_PREFIX}
    "STL_LIBS=-l:libstdc++.a"
  BUILD_COMMAND $(MAKE)
  INSTALL_COMMAND $(MAKE) install DESTDIR=<STAGE>)
