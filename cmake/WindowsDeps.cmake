# The Windows program's third-party parts, built by scripts/windows-deps.sh into a
# folder outside the checkout: ffmpeg.exe and ffprobe.exe go to bin/ beside the
# stand-ins, MediaInfo.dll beside the program, which loads it from its own folder.
# So the build folder stays a complete program folder.
#
# The folder also holds FFmpeg's static libraries, as imported targets for code that
# links FFmpeg in-process (lib/cmake/ClipvaneDeps/ClipvaneDepsConfig.cmake):
#   target_link_libraries(<target> PRIVATE ClipvaneDeps::avformat)
# brings libavformat with its headers and everything it links: libavcodec, libavutil,
# libswresample, x264, dav1d, zlib and Windows' own libraries. ClipvaneDeps::avcodec,
# ::avutil, ::swresample, ::swscale and ::avfilter are there as well.
# CLIPVANE_HAVE_FFMPEG_LIBRARIES says whether the folder has them (older folders made
# before the libraries were kept have not).
set(CLIPVANE_WINDOWS_DEPS "" CACHE PATH
    "Folder made by scripts/windows-deps.sh (ffmpeg.exe, ffprobe.exe, MediaInfo.dll); empty for none")
set(CLIPVANE_HAVE_FFMPEG_LIBRARIES FALSE)

if(CLIPVANE_WINDOWS_DEPS)
  set(clipvane_deps_files bin/ffmpeg.exe bin/ffprobe.exe bin/MediaInfo.dll SOURCES.txt)
  foreach(file IN LISTS clipvane_deps_files)
    if(NOT EXISTS "${CLIPVANE_WINDOWS_DEPS}/${file}")
      message(FATAL_ERROR "CLIPVANE_WINDOWS_DEPS=${CLIPVANE_WINDOWS_DEPS} has no ${file}; "
                          "run scripts/windows-deps.sh and pass the folder it prints")
    endif()
  endforeach()
  add_custom_target(clipvane_windows_deps ALL
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/bin
    COMMAND ${CMAKE_COMMAND} -E copy_if_different
            ${CLIPVANE_WINDOWS_DEPS}/bin/ffmpeg.exe ${CLIPVANE_WINDOWS_DEPS}/bin/ffprobe.exe ${CMAKE_BINARY_DIR}/bin
    COMMAND ${CMAKE_COMMAND} -E copy_if_different ${CLIPVANE_WINDOWS_DEPS}/bin/MediaInfo.dll ${CMAKE_BINARY_DIR}
    COMMENT "Copying FFmpeg and MediaInfo.dll from ${CLIPVANE_WINDOWS_DEPS}"
    VERBATIM)
  find_package(ClipvaneDeps CONFIG QUIET PATHS ${CLIPVANE_WINDOWS_DEPS}/lib/cmake/ClipvaneDeps
               NO_DEFAULT_PATH NO_CMAKE_FIND_ROOT_PATH)
  if(ClipvaneDeps_FOUND)
    set(CLIPVANE_HAVE_FFMPEG_LIBRARIES TRUE)
  endif()
endif()
