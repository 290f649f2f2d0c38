#!/bin/sh
# Installs every Debian package the project needs. Quiet and quick when all is there.
set -eu
packages="cmake make g++ googletest libbenchmark-dev libmediainfo-dev ffmpeg
  libavformat-dev libavcodec-dev libavutil-dev
  g++-mingw-w64-x86-64 wine wine64 xvfb x11-utils imagemagick fonts-nanum fonts-dejavu-core
  clang clang-format libclang-rt-14-dev locales fontconfig qt6-base-dev libfontconfig-dev
  nasm libz-mingw-w64-dev patch dpkg-dev meson ninja-build xz-utils bzip2 pkgconf nsis unzip
  autoconf automake libtool slurmctld slurmd slurm-client munge"
missing=""
for p in $packages; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing="$missing $p"
done
if [ -n "$missing" ]; then
  echo "setup: installing$missing"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  # shellcheck disable=SC2086
  apt-get install -y -qq --no-install-recommends $missing >/dev/null
fi
# Wine takes its ANSI code page from the locale name; make the Korean one known.
if ! locale -a 2>/dev/null | grep -qi '^ko_KR\.utf-\?8$'; then
  sed -i 's/^# *\(ko_KR.UTF-8 UTF-8\)/\1/' /etc/locale.gen
  grep -q '^ko_KR.UTF-8 UTF-8' /etc/locale.gen || echo 'ko_KR.UTF-8 UTF-8' >> /etc/locale.gen
  locale-gen >/dev/null
fi
