#!/bin/sh
# Set-up, build, then the main job: a real conversion on Linux. A sample clip with a
# Korean SAMI subtitle (colours included) goes through clipvane-cli in a fresh program
# folder, and the result is shown with ffprobe.
set -eu
cd "$(dirname "$0")/.."
scripts/setup.sh
# The stand-ins' own FFmpeg libraries (built once, then cached).
libav=$(scripts/linux-libav.sh | tail -n 1)
cmake --preset linux -DCLIPVANE_LIBAV="$libav" >/dev/null
cmake --build --preset linux

# A fresh program folder: the build folder is a complete one, copied without its tests.
app=out/app
rm -rf "$app" out/sample
mkdir -p "$app" out/sample
cp build/linux/clipvane build/linux/clipvane-cli "$app/"
cp -r build/linux/bin "$app/bin"

sample=out/sample/홍길동의_휴가.avi
ffmpeg -loglevel error -y -f lavfi -i "testsrc=size=720x480:rate=29.97" \
  -f lavfi -i "sine=frequency=440:sample_rate=44100" -t 8 \
  -c:v mpeg4 -q:v 4 -c:a mp3 -shortest "$sample"
# The subtitle as Korean subtitle files usually are: code page 949, with a colour tag.
printf '%s\r\n' '<SAMI>' '<HEAD><STYLE TYPE="text/css"><!--' \
  'P { margin-left:8pt; margin-right:8pt; }' '.KRCC { Name:Korean; lang:ko-KR; SAMIType:CC; }' \
  '--></STYLE></HEAD>' '<BODY>' \
  '<SYNC Start=500><P Class=KRCC><font color="#ff4040">빨간</font> 자막입니다<br>둘째 줄' \
  '<SYNC Start=4000><P Class=KRCC>&nbsp;' \
  '<SYNC Start=4500><P Class=KRCC><font color="yellow">노란 자막</font>' \
  '<SYNC Start=7500><P Class=KRCC>&nbsp;' '</BODY>' '</SAMI>' |
  iconv -f UTF-8 -t CP949 > "${sample%.avi}.smi"

cli="$app/clipvane-cli"
"$cli" settings colorsubtitle=1 qulity=1 platform=0 display=2 >/dev/null
"$cli" add "$sample"
"$cli" encode 1 --wait

mp4="$app/incoming/홍길동의_휴가.mp4"
echo
echo "The converted video: $(cd "$(dirname "$mp4")" && pwd)/$(basename "$mp4")"
ffprobe -v error -show_entries stream=codec_type,codec_name,profile,width,height,avg_frame_rate,sample_rate \
  -show_entries format=duration,size -of default=noprint_wrappers=1 "$mp4"
