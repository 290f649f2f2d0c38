# zlib, as Debian's mingw-w64 package installs it: the static library and its
# headers, with a pkg-config file for this folder.
clipvane_dependency(zlib INSTALLED libz-mingw-w64-dev
  LICENSE_NAME zlib LICENSES /usr/share/doc/libz-mingw-w64-dev/copyright)
if(NOT zlib_NEEDED OR CMAKE_SCRIPT_MODE_FILE)
  return()
endif()
file(STRINGS ${deps_sysroot}/lib/pkgconfig/zlib.pc zlib_version REGEX "^Version:")
set(zlib_pc "prefix=${zlib_PREFIX}\nlibdir=\${prefix}/lib\nincludedir=\${prefix}/include\n\nName: zlib\nDescription: zlib compression library\n${zlib_version}\nLibs: -L\${libdir} -lz\nCflags: -I\${includedir}\n")
file(WRITE ${CMAKE_BINARY_DIR}/zlib.pc "${zlib_pc}")
set(staged <STAGE>${zlib_PREFIX})
clipvane_build(zlib
  CONFIGURE_COMMAND ${CMAKE_COMMAND} -E echo "nothing to configure"
  BUILD_COMMAND ${CMAKE_COMMAND} -E echo "nothing to build"
  INSTALL_COMMAND ${CMAKE_COMMAND} -E make_directory ${staged}/lib/pkgconfig ${staged}/include
  COMMAND ${CMAKE_COMMAND} -E copy ${deps_sysroot}/lib/libz.a ${staged}/lib/
  COMMAND ${CMAKE_COMMAND} -E copy ${deps_sysroot}/include/zlib.h ${deps_sysroot}/include/zconf.h ${staged}/include/
  COMMAND ${CMAKE_COMMAND} -E copy ${CMAKE_BINARY_DIR}/zlib.pc ${staged}/lib/pkgconfig/)
