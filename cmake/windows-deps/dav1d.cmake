# dav1d, FFmpeg's AV1 decoder (libdav1d), 8- and 10/12-bit, built with Meson for
# Windows: the cross file below names the toolchain.
clipvane_dependency(dav1d SOURCE dav1d BINARY libdav1d-dev TOOLS nasm meson ninja-build
  LICENSE_NAME dav1d LICENSES COPYING debian/copyright)
if(NOT dav1d_NEEDED OR CMAKE_SCRIPT_MODE_FILE)
  return()
endif()
file(WRITE ${CMAKE_BINARY_DIR}/meson-${deps_host}.txt "\
[binaries]
c = '${deps_cc}'
ar = '${deps_host}-ar'
strip = '${deps_host}-strip'
windres = '${deps_host}-windres'
nasm = 'nasm'
pkgconfig = 'pkg-config'

[host_machine]
system = 'windows'
cpu_family = 'x86_64'
cpu = 'x86_64'
endian = 'little'
")
clipvane_build(dav1d
  CONFIGURE_COMMAND meson setup <BINARY_DIR> <SOURCE_DIR> --cross-file ${CMAKE_BINARY_DIR}/meson-${deps_host}.txt
    --prefix ${dav1d_PREFIX} --libdir lib --buildtype release --default-library static
    -Denable_tools=false -Denable_tests=false -Denable_examples=false
  # Ninja takes no part in make's job sharing: two jobs of its own.
  BUILD_COMMAND ninja -C <BINARY_DIR> -j 2
  INSTALL_COMMAND meson install -C <BINARY_DIR> --destdir <STAGE> --no-rebuild)
