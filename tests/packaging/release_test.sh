#!/bin/bash
# The Windows release under Wine, as a user gets it: the zip's program folder works
# where it is unpacked and says what it is, under which licence and where its source
# is; it holds FFmpeg once, as DLLs that FFmpeg's programs and the stand-ins share,
# needs no DLL beyond itself and Windows' own, tone-maps HDR videos as the Linux
# FFmpeg does, and stays within its size; the installer installs silently with a
# Start-menu entry and a registration with publisher and size; its uninstaller
# removes what was installed and the program's own working files, leaves exactly the
# user's incoming folder, settings and list, and leaves no folder when nothing of the
# user's was in it. The source archive beside the release holds what SOURCES.txt
# says. Run after scripts/package-windows.sh:
#   tests/packaging/release_test.sh [build-folder]
# Everything happens under <build>/release-test and in the build's Wine prefix.
set -eu
repo=$(cd "$(dirname "$0")/../.." && pwd)
build=$(cd "${1:-$repo/build/windows}" && pwd)
export CLIPVANE_BUILD_DIR="$build"
prefix="${WINEPREFIX:-$build/wineprefix}"
wine_run="$repo/cmake/wine-run.sh"
zip_file=$(ls "$build"/release/Clipvane-*-windows.zip)
setup_file=$(ls "$build"/release/Clipvane-*-setup.exe)
source_file=$(ls "$build"/release/Clipvane-*-source.tar.gz)
scratch="$build/release-test"
rm -rf "$scratch"
mkdir -p "$scratch"

passed=0
failed=0
check() {  # what is checked, then a command that succeeds when it holds
  what=$1
  shift
  if "$@"; then
    passed=$((passed + 1))
  else
    failed=$((failed + 1))
    echo "FAILED: $what" >&2
  fi
}

windows_path() { printf 'Z:%s' "$1" | tr '/' '\\'; }

program_files="clipvane.exe MediaInfo.dll bin/mencoder.exe bin/mp4creator.exe bin/ffmpeg.exe
  bin/ffprobe.exe LICENSE.txt README.txt SOURCES.txt licenses/FFmpeg.txt licenses/x264.txt
  licenses/dav1d.txt licenses/zimg.txt licenses/MediaInfoLib.txt licenses/recipe/windows-deps/ffmpeg.cmake"
has_program_files() {
  for file in $program_files; do
    [ -f "$1/$file" ] || { echo "no $file in $1" >&2; return 1; }
  done
}
has_no_program_files() {
  for file in $program_files; do
    [ ! -e "$1/$file" ] || { echo "$file is still in $1" >&2; return 1; }
  done
}

# A video for the folder's own ffprobe.exe, made by the Linux ffmpeg.
sample="$scratch/견본 영상.avi"
ffmpeg -nostdin -loglevel error -f lavfi -i testsrc=size=176x144:rate=25:duration=1 -c:v mpeg4 "$sample"
probes_sample() {
  size=$("$wine_run" "$(windows_path "$1/bin/ffprobe.exe")" -v error -select_streams v:0 \
    -show_entries stream=width,height -of csv=p=0 "$(windows_path "$sample")" | tr -d '\r')
  [ "$size" = "176,144" ] || { echo "ffprobe.exe in $1 said '$size'" >&2; return 1; }
}

# An HLG video (BT.2020), which the zip's ffmpeg.exe tone-maps down to BT.709 through
# zscale (zimg) and tonemap into the picture that the Linux ffmpeg makes of it.
hdr_sample="$scratch/hlg.mkv"
ffmpeg -nostdin -loglevel error -f lavfi -i testsrc2=size=160x120:rate=25:duration=0.4 -c:v libx264 \
  -pix_fmt yuv420p10le -color_primaries bt2020 -color_trc arib-std-b67 -colorspace bt2020nc "$hdr_sample"
tone_map='zscale=t=linear:npl=100,format=gbrpf32le,zscale=p=bt709,tonemap=tonemap=hable:desat=0,zscale=t=bt709:m=bt709:r=tv,format=yuv420p'
mean_luma() {
  ffmpeg -nostdin -v error -i "$1" -vf signalstats,metadata=print:key=lavfi.signalstats.YAVG:file=- -f null - |
    awk -F= '/YAVG/ { sum += $2; n++ } END { if (n) print sum / n }'
}
tone_maps_hdr() {
  ffmpeg -nostdin -loglevel error -i "$hdr_sample" -vf "$tone_map" -c:v rawvideo "$scratch/tone-mapped-linux.nut"
  "$wine_run" "$(windows_path "$1/bin/ffmpeg.exe")" -nostdin -loglevel error -i "$(windows_path "$hdr_sample")" \
    -vf "$tone_map" -c:v rawvideo "$(windows_path "$scratch/tone-mapped.nut")" || return 1
  linux=$(mean_luma "$scratch/tone-mapped-linux.nut") windows=$(mean_luma "$scratch/tone-mapped.nut")
  awk -v a="${windows:-0}" -v b="$linux" 'BEGIN { exit !(a > 0 && (a - b) / b < 0.02 && (b - a) / b < 0.02) }' ||
    { echo "tone-mapped mean luma: ffmpeg.exe $windows, Linux $linux" >&2; return 1; }
}

# The texts, as Notepad reads them: UTF-8 with a byte-order mark, CR LF.
for_notepad() {
  [ "$(head -c 3 "$1" | od -An -tx1 | tr -d ' ')" = efbbbf ] || { echo "$1 has no byte-order mark" >&2; return 1; }
  ! grep -qv $'\r$' "$1" || { echo "$1 has lines without CR LF" >&2; return 1; }
}
says() {  # file, then texts it must hold
  file=$1
  shift
  for text in "$@"; do
    grep -qF -- "$text" "$file" || { echo "$file does not say: $text" >&2; return 1; }
  done
}
licence_is_gpl2_or_later() {
  says "$1/LICENSE.txt" "GNU GENERAL PUBLIC LICENSE" "Version 2, June 1991" \
    "either version 2 of the License, or (at your option) any later version"
}
readme_tells_how_to_start_and_where_files_go() {
  for_notepad "$1/README.txt" && says "$1/README.txt" "[한국어]" "[English]" clipvane.exe 'incoming\' \
    MP4.ini list.log 'batch\' 'temp\' LICENSE.txt SOURCES.txt
}
# SOURCES.txt names this project's own programs apart from those built from Debian's
# sources, whom to ask, and the source archive that is beside the release.
own_part() { sed -n "/^This project's own programs/,/^Built from Debian/p" "$1/SOURCES.txt"; }
debian_part() { sed -n "/^Built from Debian/,/^The complete corresponding source/p" "$1/SOURCES.txt"; }
sources_tell_whose_part_is_whose() {
  for_notepad "$1/SOURCES.txt" || return 1
  for program in 'clipvane.exe' 'bin\mencoder.exe' 'bin\mp4creator.exe'; do
    own_part "$1" | grep -qF "$program" || { echo "SOURCES.txt does not name $program as the project's own" >&2; return 1; }
    ! debian_part "$1" | grep -qF "$program" || { echo "SOURCES.txt says $program is built from Debian" >&2; return 1; }
  done
  for program in 'bin\ffmpeg.exe' 'bin\ffprobe.exe' MediaInfo.dll $(cd "$1/bin" && ls -- *.dll | sed 's/^/bin\\/'); do
    debian_part "$1" | grep -qF "$program" || { echo "SOURCES.txt does not say $program is built from Debian" >&2; return 1; }
  done
  says "$1/SOURCES.txt" "Whom to ask" "the Clipvane" "$(basename "$source_file")" "dpkg-source -x"
}
# Every source package SOURCES.txt names is in the source archive, with the
# project's own source.
archive_holds_the_sources() {
  listing=$(tar -tzf "$source_file")
  top=$(basename "$source_file" .tar.gz)
  for file in CMakeLists.txt LICENSE src/app/win32/main_win32.cpp tools/CMakeLists.txt cmake/windows-deps/ffmpeg.cmake; do
    grep -qx "$top/$file" <<<"$listing" || { echo "the source archive has no $file" >&2; return 1; }
  done
  packages=$(tr -d '\r' <"$1/SOURCES.txt" | sed -n -e '/used as installed/d' \
    -e 's/^  \([a-z0-9.+-]*\) \([0-9]*:\)\{0,1\}\([^ ]*\) (.*/\1_\3/p')
  [ -n "$packages" ] || { echo "SOURCES.txt lists no source package" >&2; return 1; }
  for package in $packages; do
    grep -q "^$top/debian-sources/${package}\.dsc$" <<<"$listing" ||
      { echo "the source archive has no $package.dsc" >&2; return 1; }
  done
}

imports_of() { x86_64-w64-mingw32-objdump -p "$1" | awk '/DLL Name:/ { print $3 }'; }
# FFmpeg once: each marker is a message that only the code of that library of FFmpeg
# (or of x264, which is linked into avcodec) holds; it is in that library's DLL in
# bin\ and in no other file, so no program carries a copy of its own.
ffmpeg_markers="avformat|moov atom not found
avcodec|mmco: unref short failure
avcodec|H.264/MPEG-4 AVC codec"
ffmpeg_only_in_its_dlls() {
  while IFS='|' read -r library marker; do
    holders=$(cd "$1" && grep -rlaF -- "$marker" . | sed 's|^\./||' | sort)
    if [ "$(wc -l <<<"$holders")" != 1 ] || ! grep -qx "bin/$library-[0-9]*\.dll" <<<"$holders"; then
      echo "FFmpeg's $library code ('$marker') is in: $(echo ${holders:-no file})" >&2
      return 1
    fi
  done <<<"$ffmpeg_markers"
}
# FFmpeg's programs and the stand-ins take FFmpeg from those DLLs, and are small.
programs_use_ffmpeg_dlls() {
  for program in bin/ffmpeg.exe bin/ffprobe.exe bin/mencoder.exe bin/mp4creator.exe; do
    imports=$(imports_of "$1/$program" | tr 'A-Z' 'a-z')
    for library in avformat avcodec avutil; do
      grep -qx "$library-[0-9]*\.dll" <<<"$imports" || { echo "$program does not import $library's DLL" >&2; return 1; }
    done
    size=$(stat -c %s "$1/$program")
    [ "$size" -lt 4000000 ] || { echo "$program has $size bytes" >&2; return 1; }
  done
}
# Every DLL that a program or DLL of the release imports is Windows' own (this list)
# or beside it in the release, where Windows looks first.
windows_dlls="kernel32 user32 gdi32 advapi32 shell32 ole32 oleaut32 comctl32 comdlg32 msvcrt
  ws2_32 bcrypt secur32 crypt32 shlwapi version winmm psapi ntdll"
imports_are_windows_or_beside() {
  problems="" walked=0
  while IFS= read -r -d '' file; do
    walked=$((walked + 1))
    for dll in $(imports_of "$file"); do
      case " $(echo $windows_dlls) " in *" $(tr 'A-Z' 'a-z' <<<"${dll%.[dD][lL][lL]}") "*) continue ;; esac
      [ -n "$(find "$(dirname "$file")" -maxdepth 1 -type f -iname "$dll")" ] || problems="$problems ${file#"$1"/}: $dll;"
    done
  done < <(find "$1" -type f \( -iname '*.exe' -o -iname '*.dll' \) -print0)
  [ "$walked" -ge 6 ] || { echo "only $walked programs and DLLs in $1" >&2; return 1; }
  [ -z "$problems" ] || { echo "imports that are neither Windows' own nor in the release:$problems" >&2; return 1; }
}
# What the release may weigh with FFmpeg once, in bytes.
smaller_than() { [ "$(du -sb "$1" | cut -f1)" -lt "$2" ] || { echo "$1 has $(du -sb "$1" | cut -f1) bytes" >&2; return 1; }; }

start_menu_entry() { find "$prefix/drive_c/users" -path '*/Start Menu/Programs/Clipvane/Clipvane.lnk' | grep -q .; }
no_start_menu_entry() { ! start_menu_entry; }
uninstall_key='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Clipvane'
registered() { "$wine_run" reg query "$uninstall_key" >/dev/null 2>&1; }
registered_value() { "$wine_run" reg query "$uninstall_key" /v "$1" 2>/dev/null | tr -d '\r' | awk -v v="$1" '$1 == v { $1 = ""; $2 = ""; sub(/^  /, ""); print }'; }
registered_with_publisher() { [ "$(registered_value Publisher)" = "Clipvane project" ]; }
# The size Windows shows, in KB, is the installed folder's (within a few KB for
# rounding and the uninstaller written after it was measured, at most 1%).
registered_with_size() {
  shown=$(( $(registered_value EstimatedSize) ))
  actual=$(du -sk --apparent-size "$1" | cut -f1)
  [ "$shown" -gt 0 ] && [ $(( (shown - actual) * 100 / actual )) -ge -1 ] && [ $(( (shown - actual) * 100 / actual )) -le 1 ] ||
    { echo "registered size $shown KB, installed folder $actual KB" >&2; return 1; }
}
not_registered() { ! registered; }

# The zip, unpacked into a folder whose name has blanks and Korean in it.
unpacked="$scratch/내 프로그램 (zip)"
mkdir -p "$unpacked"
unzip -q "$zip_file" -d "$unpacked"
check "the zip holds the program folder" has_program_files "$unpacked/Clipvane"
check "the zip's ffprobe.exe runs where it was unpacked" probes_sample "$unpacked/Clipvane"
check "the zip's ffmpeg.exe tone-maps HDR videos with zscale" tone_maps_hdr "$unpacked/Clipvane"
check "FFmpeg's code is in its DLLs and in no program" ffmpeg_only_in_its_dlls "$unpacked/Clipvane"
check "FFmpeg's programs and the stand-ins use FFmpeg's DLLs" programs_use_ffmpeg_dlls "$unpacked/Clipvane"
check "every DLL imported is Windows' own or in the release" imports_are_windows_or_beside "$unpacked/Clipvane"
check "the program folder is under 40 MB" smaller_than "$unpacked/Clipvane" 40000000
check "the installer is under 15 MB" smaller_than "$setup_file" 15000000
check "the release's licence is the GPL, version 2 or later" licence_is_gpl2_or_later "$unpacked/Clipvane"
check "README.txt says how to start and where the files go, in Korean and English" \
  readme_tells_how_to_start_and_where_files_go "$unpacked/Clipvane"
check "SOURCES.txt tells the project's programs from Debian's, and whom to ask" \
  sources_tell_whose_part_is_whose "$unpacked/Clipvane"
check "the source archive holds the project's source and every source package" \
  archive_holds_the_sources "$unpacked/Clipvane"

# The installer, silently, into a folder of the test's. /D= takes the rest of the
# command line as it is, and Wine quotes an argument that has a blank in it, so
# this folder's name has none.
installed="$scratch/설치된_Clipvane"
"$wine_run" "$setup_file" /S "/D=$(windows_path "$installed")"
check "the installer lays out the program folder" has_program_files "$installed"
check "the installer writes its uninstaller" test -f "$installed/uninstall.exe"
check "the installed ffprobe.exe runs" probes_sample "$installed"
check "the installer makes a Start-menu entry" start_menu_entry
check "the installer registers the uninstaller" registered
check "the registration names the publisher" registered_with_publisher
check "the registration gives the installed size" registered_with_size "$installed"

# What the user made in the program folder meanwhile.
mkdir -p "$installed/incoming"
printf 'mp4' >"$installed/incoming/휴가.mp4"
printf '[default]\r\nqulity=1\r\n' >"$installed/MP4.ini"
printf 'D:\\Videos\\holiday.avi\r\n' >"$installed/list.log"
# And what the program made there for itself.
make_working_files() {
  mkdir -p "$1/batch" "$1/temp"
  printf 'call job\r\n' >"$1/batch/run1.bat"
  printf 'avi' >"$1/temp/휴가.avi"
  : >"$1/list.log.lock"
}
make_working_files "$installed"
only_the_users_files_are_left() {
  left=$(cd "$1" && find . -mindepth 1 | sort | tr '\n' ' ')
  [ "$left" = "./MP4.ini ./incoming ./incoming/휴가.mp4 ./list.log " ] || { echo "left in $1: $left" >&2; return 1; }
}

# The uninstaller copies itself to the temporary folder and runs from there, as it
# does for a user (so that it can delete itself); wineserver -w waits until it ends.
uninstall() {
  "$wine_run" "$(windows_path "$1/uninstall.exe")" /S
  WINEPREFIX="$prefix" wineserver -w
}
uninstall "$installed"
check "the uninstaller removes the program's files" has_no_program_files "$installed"
check "the uninstaller leaves exactly the user's files" only_the_users_files_are_left "$installed"
check "the uninstaller removes the licences folder" test ! -e "$installed/licenses"
check "the uninstaller leaves the converted videos" test -f "$installed/incoming/휴가.mp4"
check "the uninstaller leaves the settings" test -f "$installed/MP4.ini"
check "the uninstaller leaves the video list" test -f "$installed/list.log"
check "the uninstaller removes the Start-menu entry" no_start_menu_entry
check "the uninstaller removes its registration" not_registered

# Installed again, used without keeping anything: the uninstaller leaves no folder.
"$wine_run" "$setup_file" /S "/D=$(windows_path "$installed")"
rm -rf "$installed/incoming" "$installed/MP4.ini" "$installed/list.log"
make_working_files "$installed"
uninstall "$installed"
check "the uninstaller removes the folder when nothing of the user's is in it" test ! -e "$installed"

"$wine_run" --stop-server
echo "release test: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
