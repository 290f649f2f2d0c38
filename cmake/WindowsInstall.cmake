# The Windows program folder as users get it, and the release made from it by CPack
# (scripts/package-windows.sh runs both):
#
#   clipvane.exe  MediaInfo.dll  LICENSE.txt  README.txt  SOURCES.txt
#   bin\mencoder.exe  bin\mp4creator.exe  bin\ffmpeg.exe  bin\ffprobe.exe
#   bin\avcodec-NN.dll  bin\avformat-NN.dll ...   FFmpeg once, for all four of them
#   licenses\   the licences of the parts built from Debian's sources, and recipe\
#
#   Clipvane-<version>-windows.zip     that folder as Clipvane\, to unpack anywhere
#                                      the user can write
#   Clipvane-<version>-setup.exe       the installer (NSIS, packaging/windows)
#   Clipvane-<version>-source.tar.gz   the complete corresponding source: this
#                                      project's, and Debian's source packages of
#                                      the parts built from them
#
# The texts are written for Notepad: UTF-8 with a byte-order mark, CR LF.
install(TARGETS clipvane RUNTIME DESTINATION .)
install(TARGETS mencoder mp4creator RUNTIME DESTINATION bin)

set(clipvane_release_texts ${CMAKE_BINARY_DIR}/release-texts)
set(CLIPVANE_VERSION ${PROJECT_VERSION})
set(CLIPVANE_SOURCE_ARCHIVE Clipvane-${PROJECT_VERSION}-source.tar.gz)
set(CLIPVANE_DEPS_SOURCES "")
set(CLIPVANE_FFMPEG_DLLS "")
if(CLIPVANE_WINDOWS_DEPS)
  install(PROGRAMS ${CLIPVANE_WINDOWS_DEPS}/bin/ffmpeg.exe ${CLIPVANE_WINDOWS_DEPS}/bin/ffprobe.exe
          ${ClipvaneDeps_DLLS} DESTINATION bin)
  install(FILES ${CLIPVANE_WINDOWS_DEPS}/bin/MediaInfo.dll DESTINATION .)
  # SOURCES.txt names each of FFmpeg's DLLs, a line each.
  foreach(dll IN LISTS ClipvaneDeps_DLLS)
    get_filename_component(dll ${dll} NAME)
    string(APPEND CLIPVANE_FFMPEG_DLLS "    bin\\${dll}\r\n")
  endforeach()
  string(REGEX REPLACE "\r\n$" "" CLIPVANE_FFMPEG_DLLS "${CLIPVANE_FFMPEG_DLLS}")
  install(DIRECTORY ${CLIPVANE_WINDOWS_DEPS}/licenses/ DESTINATION licenses)
  install(DIRECTORY ${CLIPVANE_WINDOWS_DEPS}/recipe DESTINATION licenses)
  if(EXISTS ${CLIPVANE_WINDOWS_DEPS}/source-packages.txt)
    file(READ ${CLIPVANE_WINDOWS_DEPS}/source-packages.txt CLIPVANE_DEPS_SOURCES)
    # configure_file gives CR LF to the template's lines, not to what it puts in them.
    string(STRIP "${CLIPVANE_DEPS_SOURCES}" CLIPVANE_DEPS_SOURCES)
    string(REPLACE "\n" "\r\n" CLIPVANE_DEPS_SOURCES "${CLIPVANE_DEPS_SOURCES}")
  endif()
endif()
configure_file(${PROJECT_SOURCE_DIR}/packaging/windows/README.txt.in ${clipvane_release_texts}/README.txt
               @ONLY NEWLINE_STYLE CRLF)
configure_file(${PROJECT_SOURCE_DIR}/packaging/windows/SOURCES.txt.in ${clipvane_release_texts}/SOURCES.txt
               @ONLY NEWLINE_STYLE CRLF)
configure_file(${PROJECT_SOURCE_DIR}/LICENSE ${clipvane_release_texts}/LICENSE.txt COPYONLY)
file(READ ${clipvane_release_texts}/LICENSE.txt licence_text)
string(REPLACE "\n" "\r\n" licence_text "${licence_text}")
file(WRITE ${clipvane_release_texts}/LICENSE.txt "${licence_text}")
install(FILES ${clipvane_release_texts}/LICENSE.txt ${clipvane_release_texts}/README.txt
              ${clipvane_release_texts}/SOURCES.txt DESTINATION .)

set(CPACK_PACKAGE_NAME Clipvane)
set(CPACK_PACKAGE_VENDOR "Clipvane project")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_INSTALL_DIRECTORY Clipvane)
set(CPACK_PACKAGE_INSTALL_REGISTRY_KEY Clipvane)
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
set(CPACK_GENERATOR ZIP NSIS)
# The zip's folder is Clipvane\; package-windows.sh names the zip after the version.
set(CPACK_PACKAGE_FILE_NAME Clipvane)
set(CPACK_PROJECT_CONFIG_FILE ${PROJECT_SOURCE_DIR}/packaging/windows/CPackOptions.cmake)
set(CPACK_MODULE_PATH ${PROJECT_SOURCE_DIR}/packaging/windows)
set(CPACK_NSIS_PACKAGE_NAME "Clipvane ${PROJECT_VERSION}")
set(CPACK_NSIS_DISPLAY_NAME Clipvane)
set(CPACK_NSIS_COMPRESSOR "/SOLID lzma")
set(CPACK_NSIS_UNINSTALL_NAME uninstall)
set(CPACK_NSIS_EXECUTABLE_PRE_ARGUMENTS -V2)
# The program and the stand-ins without their symbol tables, which only a debugger
# reads and which are half of their size (FFmpeg's DLLs and MediaInfo.dll come stripped).
set(CPACK_STRIP_FILES TRUE)

# The source archive: the project's tree without what builds and runs leave in it,
# and Debian's source packages of the Windows dependencies.
string(REGEX REPLACE "([][+.*()^$?|\\\\])" "\\\\\\1" clipvane_tree "${PROJECT_SOURCE_DIR}")
set(CPACK_SOURCE_GENERATOR TGZ)
set(CPACK_SOURCE_PACKAGE_FILE_NAME Clipvane-${PROJECT_VERSION}-source)
set(CPACK_SOURCE_IGNORE_FILES "^${clipvane_tree}/(build|out)/" "^${clipvane_tree}/\\.git$"
    "^${clipvane_tree}/\\.git/" "\\.swp$")
set(CPACK_SOURCE_INSTALLED_DIRECTORIES ${PROJECT_SOURCE_DIR} /)
if(CLIPVANE_WINDOWS_DEPS)
  list(APPEND CPACK_SOURCE_INSTALLED_DIRECTORIES ${CLIPVANE_WINDOWS_DEPS}/sources /debian-sources)
endif()
set(CPACK_VERBATIM_VARIABLES YES)
include(CPack)
