# libass, which draws the subtitles in FFmpeg: fonts come from DirectWrite on
# Windows and from the folder a subtitle filter names, never from fontconfig.
clipvane_dependency(libass SOURCE libass BINARY libass-dev TOOLS nasm
  DEPENDS freetype fribidi harfbuzz
  LICENSE_NAME libass LICENSES COPYING debian/copyright)
if(NOT libass_NEEDED OR CMAKE_SCRIPT_MODE_FILE)
  return()
endif()
clipvane_build(libass
  CONFIGURE_COMMAND ${CMAKE_COMMAND} -E env PKG_CONFIG_LIBDIR=${libass_PKG_CONFIG_LIBDIR} PKG_CONFIG_PATH=
    <SOURCE_DIR>/configure ${deps_autotools_args} --prefix=${libass_PREFIX}
    --disable-fontconfig --enable-directwrite --disable-libunibreak
  BUILD_COMMAND $(MAKE)
  INSTALL_COMMAND $(MAKE) install DESTDIR=<STAGE>)
