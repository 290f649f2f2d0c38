# MediaInfo.dll: MediaInfoLib as one DLL that imports nothing but Windows' own
# libraries. -static and a static end of the link line put the C++ runtime, libgcc
# and the thread library into the DLL instead of importing MinGW's DLLs.
clipvane_dependency(mediainfolib SOURCE libmediainfo BINARY libmediainfo-dev
  DEPENDS zlib zenlib
  LICENSE_NAME MediaInfoLib LICENSES LICENSE debian/copyright)
if(NOT mediainfolib_NEEDED OR CMAKE_SCRIPT_MODE_FILE)
  return()
endif()
clipvane_build(mediainfolib
  # GNU ld reads the .def file's ordinals with a leading zero (@08) as octal numbers;
  # the file's only zeros after an @ are such (@01 to @09).
  PATCH_COMMAND sed -E -i s/@0+/@/ <SOURCE_DIR>/Source/MediaInfoDLL/MediaInfoDLL.def
  SOURCE_SUBDIR Project/CMake
  CMAKE_ARGS ${deps_cmake_args} -DCMAKE_INSTALL_PREFIX=${mediainfolib_PREFIX}
    -DBUILD_SHARED_LIBS=ON -DBUILD_ZENLIB=OFF -DZenLib_DIR=${zenlib_PREFIX}/lib/cmake/zenlib
    -DBUILD_ZLIB=OFF -DZLIB_LIBRARY=${zlib_PREFIX}/lib/libz.a -DZLIB_INCLUDE_DIR=${zlib_PREFIX}/include
    -DCMAKE_LINK_SEARCH_END_STATIC=ON "-DCMAKE_SHARED_LINKER_FLAGS=-static -s"
  BUILD_COMMAND $(MAKE) mediainfo
  INSTALL_COMMAND ${CMAKE_COMMAND} -E make_directory <STAGE>${mediainfolib_PREFIX}/bin
  COMMAND ${CMAKE_COMMAND} -E copy <BINARY_DIR>/libmediainfo.dll <STAGE>${mediainfolib_PREFIX}/bin/MediaInfo.dll)
