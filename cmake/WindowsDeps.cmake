# The Windows program's third-party parts, built by scripts/windows-deps.sh into a
# folder outside the checkout: FFmpeg's DLLs (avcodec-NN.dll, avformat-NN.dll, ...)
# with ffmpeg.exe and ffprobe.exe over them go to bin/ beside the stand-ins, which use
# the same DLLs in-process, and MediaInfo.dll beside the program, which loads it from
# its own folder. So the build folder stays a complete program folder, with one FFmpeg.
#
# The folder offers FFmpeg's DLLs as imported targets with their import libraries and
# headers (lib/cmake/ClipvaneDeps/ClipvaneDepsConfig.cmake):
#   target_link_libraries(<target> PRIVATE ClipvaneDeps::avformat)
# links avformat-NN.dll, which brings avcodec and avutil; ClipvaneDeps::avcodec,
# ::avutil, ::swresample, ::swscale, ::avfilter and ::avdevice are there as well, and
# ClipvaneDeps_DLLS names the DLLs, all of which go into bin/. x264, dav1d, libass
# and the rest are linked into them.
set(CLIPVANE_WINDOWS_DEPS "" CACHE PATH
    "Folder made by scripts/windows-deps.sh (FFmpeg's DLLs and programs, MediaInfo.dll); empty for none")
set(CLIPVANE_HAVE_FFMPEG_LIBRARIES FALSE)

if(CLIPVANE_WINDOWS_DEPS)
  set(clipvane_deps_files bin/ffmpeg.exe bin/ffprobe.exe bin/MediaInfo.dll SOURCES.txt
                          lib/cmake/ClipvaneDeps/ClipvaneDepsConfig.cmake)
  foreach(file IN LISTS clipvane_deps_files)
    if(NOT EXISTS "${CLIPVANE_WINDOWS_DEPS}/${file}")
      message(FATAL_ERROR "CLIPVANE_WINDOWS_DEPS=${CLIPVANE_WINDOWS_DEPS} has no ${file}; "
                          "run scripts/windows-deps.sh and pass the folder it prints")
    endif()
  endforeach()
  # The folder passed now, not one an earlier configure of this build found.
  unset(ClipvaneDeps_DIR CACHE)
  find_package(ClipvaneDeps CONFIG REQUIRED PATHS ${CLIPVANE_WINDOWS_DEPS}/lib/cmake/ClipvaneDeps
               NO_DEFAULT_PATH NO_CMAKE_FIND_ROOT_PATH)
  # A folder made before FFmpeg became DLLs links it statically into every program.
  if(NOT ClipvaneDeps_DLLS)
    message(FATAL_ERROR "CLIPVANE_WINDOWS_DEPS=${CLIPVANE_WINDOWS_DEPS} has FFmpeg's static libraries, not its DLLs; "
                        "run scripts/windows-deps.sh and pass the folder it prints")
  endif()
  set(CLIPVANE_HAVE_FFMPEG_LIBRARIES TRUE)
  add_custom_target(clipvane_windows_deps ALL
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/bin
    COMMAND ${CMAKE_COMMAND} -E copy_if_different
            ${CLIPVANE_WINDOWS_DEPS}/bin/ffmpeg.exe ${CLIPVANE_WINDOWS_DEPS}/bin/ffprobe.exe ${ClipvaneDeps_DLLS}
            ${CMAKE_BINARY_DIR}/bin
    COMMAND ${CMAKE_COMMAND} -E copy_if_different ${CLIPVANE_WINDOWS_DEPS}/bin/MediaInfo.dll ${CMAKE_BINARY_DIR}
    COMMENT "Copying FFmpeg and MediaInfo.dll from ${CLIPVANE_WINDOWS_DEPS}"
    VERBATIM)
endif()
