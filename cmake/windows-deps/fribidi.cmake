# FriBidi, for libass.
clipvane_dependency(fribidi SOURCE fribidi BINARY libfribidi-dev
  LICENSE_NAME FriBidi LICENSES COPYING debian/copyright)
if(NOT fribidi_NEEDED OR CMAKE_SCRIPT_MODE_FILE)
  return()
endif()
clipvane_build(fribidi
  CONFIGURE_COMMAND <SOURCE_DIR>/configure ${deps_autotools_args} --prefix=${fribidi_PREFIX} --disable-deprecated
  BUILD_COMMAND $(MAKE)
  INSTALL_COMMAND $(MAKE) install DESTDIR=<STAGE>)
