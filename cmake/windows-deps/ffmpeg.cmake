# FFmpeg as one set of DLLs (avcodec-NN.dll, avformat-NN.dll, ...) for the program's
# bin\, with ffmpeg.exe and ffprobe.exe over them and the import libraries and headers
# for the stand-ins, which use the same DLLs in-process: the release carries FFmpeg
# once. x264, dav1d, libass and what libass draws with, zimg, zlib, and the C++
# runtime, libgcc and the thread library that HarfBuzz and zimg need are linked into
# the DLLs, so that they import nothing but Windows' own libraries and each other.
# Built with a list per kind of component: the stand-in tools use every filter,
# bitstream filter, muxer and demuxer named here, the decoders cover the videos
# users bring (what Debian's FFmpeg decodes on Linux for them), and the encoders
# are the ones the jobs ask for. A change to these lists rebuilds FFmpeg alone.
clipvane_dependency(ffmpeg SOURCE ffmpeg BINARY libavcodec-dev TOOLS nasm
  DEPENDS zlib libass x264 dav1d zimg
  LICENSE_NAME FFmpeg LICENSES LICENSE.md COPYING.GPLv2 debian/copyright)

set(ffmpeg_decoders
  # video
  h264 hevc mpeg1video mpeg2video mpeg4 msmpeg4v1 msmpeg4v2 msmpeg4v3 wmv1 wmv2 wmv3 vc1
  h263 flv vp8 vp9 libdav1d prores mjpeg dvvideo rawvideo
  # sound
  aac aac_latm ac3 eac3 dca mp3 mp3float mp2 mp2float wmav1 wmav2 vorbis opus flac dvaudio
  pcm_s16le pcm_s16be pcm_s24le pcm_s24be pcm_s32le pcm_s32be pcm_f32le pcm_f32be
  pcm_f64le pcm_f64be pcm_u8 pcm_s8 pcm_alaw pcm_mulaw pcm_dvd pcm_bluray
  adpcm_ms adpcm_ima_wav adpcm_ima_qt
  # subtitles, in files beside the video and in its own tracks
  sami ass ssa subrip movtext webvtt pgssub dvdsub dvbsub)
set(ffmpeg_encoders mpeg4 libx264 aac rawvideo pcm_s16le wrapped_avframe)
set(ffmpeg_demuxers avi mov matroska asf mpegps mpegts flv dv m4v h264 hevc mpegvideo
  aac mp3 ac3 eac3 flac wav nut sami ass srt webvtt sup)
# mp4 and mov write moov first with -movflags +faststart.
set(ffmpeg_muxers avi m4v h264 adts mp4 mov nut matroska null)
set(ffmpeg_parsers h264 hevc mpeg4video mpegvideo vc1 h263 vp8 vp9 av1 mjpeg
  mpegaudio ac3 aac aac_latm dca vorbis opus flac)
# vp9_superframe_split is what the VP9 decoder reads its packets through.
set(ffmpeg_bsfs setts aac_adtstoasc mpeg4_unpack_bframes extract_extradata
  h264_mp4toannexb hevc_mp4toannexb vp9_superframe_split)
set(ffmpeg_protocols file pipe)
# transpose, hflip, vflip and rotate are what ffmpeg's autorotation inserts; zscale
# and tonemap bring HDR videos (PQ, HLG) down to the players' BT.709; overlay and
# scale2ref draw a video's own picture subtitles.
set(ffmpeg_filters ass subtitles overlay scale2ref fps crop scale pad transpose hflip vflip rotate hqdn3d
  setsar setdar format null trim setpts tpad yadif bwdif zscale tonemap
  aresample aformat anull atrim asetpts apad pan volume dynaudnorm
  testsrc testsrc2 color sine anullsrc)
set(ffmpeg_indevs lavfi)

if(NOT ffmpeg_NEEDED OR CMAKE_SCRIPT_MODE_FILE)
  return()
endif()

# A misspelt or unavailable component is left out silently by configure: the step
# after it checks that every one asked for is on.
set(expected "")
foreach(kind decoders:DECODER encoders:ENCODER demuxers:DEMUXER muxers:MUXER parsers:PARSER
             bsfs:BSF protocols:PROTOCOL filters:FILTER indevs:INDEV)
  string(REPLACE ":" ";" kind ${kind})
  list(GET kind 0 list)
  list(GET kind 1 suffix)
  foreach(component IN LISTS ffmpeg_${list})
    string(TOUPPER "CONFIG_${component}_${suffix}" symbol)
    string(APPEND expected "${symbol}\n")
  endforeach()
  string(JOIN "," ffmpeg_${list}_option ${ffmpeg_${list}})
endforeach()
file(WRITE ${CMAKE_BINARY_DIR}/ffmpeg-components.txt "${expected}")

clipvane_build(ffmpeg
  CONFIGURE_COMMAND ${CMAKE_COMMAND} -E env PKG_CONFIG_LIBDIR=${ffmpeg_PKG_CONFIG_LIBDIR} PKG_CONFIG_PATH=
    <SOURCE_DIR>/configure --prefix=${ffmpeg_PREFIX}
    --enable-cross-compile --target-os=mingw32 --arch=x86_64 --cross-prefix=${deps_host}-
    --cc=${deps_cc} --cxx=${deps_cxx} --pkg-config=pkg-config --pkg-config-flags=--static
    --enable-shared --disable-static
    # libgcc_eh comes before the thread library, as its thread-local storage needs
    # that one, and the compiler's own later -lpthread would import it from its DLL.
    "--extra-cflags=${ffmpeg_CPPFLAGS}" "--extra-ldflags=${ffmpeg_LDFLAGS} -static-libgcc"
    "--extra-libs=-l:libstdc++.a -lgcc_eh -l:libwinpthread.a"
    --enable-gpl --disable-autodetect --enable-w32threads --enable-zlib
    --enable-libass --enable-libx264 --enable-libdav1d --enable-libzimg
    --disable-everything --disable-doc --disable-debug --disable-network --disable-postproc
    --disable-ffplay --enable-ffmpeg --enable-ffprobe
    --enable-decoder=${ffmpeg_decoders_option} --enable-encoder=${ffmpeg_encoders_option}
    --enable-demuxer=${ffmpeg_demuxers_option} --enable-muxer=${ffmpeg_muxers_option}
    --enable-parser=${ffmpeg_parsers_option} --enable-bsf=${ffmpeg_bsfs_option}
    --enable-protocol=${ffmpeg_protocols_option} --enable-filter=${ffmpeg_filters_option}
    --enable-indev=${ffmpeg_indevs_option}
  COMMAND ${deps_recipes}/check-components.sh <BINARY_DIR>/config_components.h ${CMAKE_BINARY_DIR}/ffmpeg-components.txt
  BUILD_COMMAND $(MAKE)
  INSTALL_COMMAND $(MAKE) install DESTDIR=<STAGE>
  # How it was configured (FFMPEG_CONFIGURATION), for SOURCES.txt.
  COMMAND ${CMAKE_COMMAND} -E copy <BINARY_DIR>/config.h <STAGE>${ffmpeg_PREFIX}/share/ffmpeg/config.h)
