# Makes the small real videos that the probe test reads through the real MediaInfo
# library, with the Linux ffmpeg, into a fresh folder:
#   cmake -DOUT=<folder> -P make_samples.cmake
# The Windows test build reads the same files through Wine's view of the Linux
# folder, so both builds probe identical videos. The names here are the ones the
# test's table expects.
if(NOT OUT)
  message(FATAL_ERROR "usage: cmake -DOUT=<folder> -P make_samples.cmake")
endif()

set(samples
  "landscape 4x3.avi|-f lavfi -i testsrc=size=160x120:rate=25:duration=1 -f lavfi -i sine=duration=1 -c:v mpeg4 -c:a mp2 -shortest"
  # AAC in MP4: the audio section has a packet rate of its own (43.066 fps).
  "wide 16x9.mp4|-f lavfi -i testsrc=size=192x108:rate=24000/1001:duration=1 -f lavfi -i sine=duration=1 -c:v mpeg4 -c:a aac -shortest"
  "portrait silent.mkv|-f lavfi -i testsrc=size=96x160:rate=30000/1001:duration=1 -c:v mpeg4 -an"
  "portrait film.mp4|-f lavfi -i testsrc=size=108x192:rate=24000/1001:duration=1 -f lavfi -i sine=duration=1 -c:v mpeg4 -c:a aac -shortest"
  # A phone's clip: stored landscape, marked to be shown turned by a quarter (a mark
  # that FFmpeg writes only when it copies the picture).
  "phone turned.mp4|-i \"${OUT}/wide 16x9.mp4\" -c copy -metadata:s:v:0 rotate=90"
  "window.wmv|-f lavfi -i testsrc=size=176x144:rate=25:duration=1 -f lavfi -i sine=duration=1 -c:v wmv2 -c:a wmav2 -shortest"
  "휴가 영상.avi|-f lavfi -i testsrc=size=128x96:rate=30000/1001:duration=1 -f lavfi -i sine=duration=1 -c:v mpeg4 -c:a aac -shortest"
)

file(REMOVE_RECURSE "${OUT}")
file(MAKE_DIRECTORY "${OUT}")
foreach(sample IN LISTS samples)
  string(FIND "${sample}" "|" bar)
  string(SUBSTRING "${sample}" 0 ${bar} name)
  math(EXPR start "${bar} + 1")
  string(SUBSTRING "${sample}" ${start} -1 arguments)
  separate_arguments(arguments UNIX_COMMAND "${arguments}")
  execute_process(COMMAND ffmpeg -nostdin -hide_banner -loglevel error -y ${arguments} "${OUT}/${name}"
                  RESULT_VARIABLE status)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "ffmpeg could not make ${name} (${status})")
  endif()
endforeach()
file(WRITE "${OUT}/not media.avi" "This is a text file, not a video.\r\n")
