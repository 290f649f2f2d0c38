#!/bin/bash
# fetch-source.sh PACKAGE VERSION DEPS_ROOT TARGET
# Unpacks Debian's source package PACKAGE=VERSION into TARGET with dpkg-source -x,
# and writes TARGET/../provenance.txt (how the source was obtained, for SOURCES.txt)
# and TARGET/../source-files.txt (the files it came from).
#
# The files are fetched once into DEPS_ROOT/sources/PACKAGE_VERSION/ (complete or
# absent), through a private apt configuration in DEPS_ROOT/apt: the system's Debian
# entries turned into deb-src ones, with their own package lists, so nothing of the
# system's apt set-up changes. apt checks every file against the signed index.
#
# Where the archive serves a package only in part:
# - no .dsc: it is written from the package's entry in the signed Sources index
#   (the same fields), and dpkg-source checks every file against its checksums;
# - no upstream tarball under this revision: another revision of the same upstream
#   version provides it (the same file; dpkg-source checks it too);
# - no Debian part at all: the upstream tarball is unpacked as it is, and
#   provenance.txt says so.
set -Eeuo pipefail
package=$1 version=$2 root=$3 target=$4
plain=${version#*:}
upstream=${plain%-*}
[ "$upstream" != "$plain" ] || upstream=$plain
store="$root/sources/${package}_$plain"
apt_dir="$root/apt"
say() { echo "fetch-source: $*" >&2; }
die() { say "$*"; exit 1; }

apt_opts=(-o "Dir::Etc::sourcelist=$apt_dir/sources.list" -o "Dir::Etc::sourceparts=$apt_dir/sources.list.d"
          -o "Dir::State::Lists=$apt_dir/lists" -o "Dir::Cache=$apt_dir/cache"
          -o "APT::Sandbox::User=root" -o "Acquire::Retries=3")

write_source_entries() {
  local codename file
  codename=$(. /etc/os-release && echo "${VERSION_CODENAME:-}")
  [ -n "$codename" ] || die "cannot tell the Debian release from /etc/os-release"
  mkdir -p "$apt_dir/sources.list.d" "$apt_dir/lists/partial" "$apt_dir/cache/archives/partial"
  rm -f "$apt_dir"/sources.list.d/*
  # One-line entries: deb [options] URI SUITE COMPONENTS...
  { cat /etc/apt/sources.list /etc/apt/sources.list.d/*.list 2>/dev/null || true; } |
    awk -v release="$codename" '
      $1 == "deb" { suite = ($2 ~ /^\[/) ? "" : $3
                    for (i = 2; i <= NF; i++) if ($i ~ /\]$/) { suite = $(i + 2); break }
                    if (index(suite, release) == 1) { $1 = "deb-src"; print } }' >"$apt_dir/sources.list"
  # deb822 stanzas.
  for file in /etc/apt/sources.list.d/*.sources; do
    [ -f "$file" ] || continue
    awk -v release="$codename" 'BEGIN { RS = ""; ORS = "\n\n" }
      /(^|\n)Types:[^\n]*deb([ \t]|\n|$)/ && /(^|\n)Suites:[ \t]*[^\n]*/ && !/(^|\n)Enabled:[ \t]*no/ {
        if (match($0, /(^|\n)Suites:[^\n]*/) && index(substr($0, RSTART, RLENGTH), release) > 0) {
          gsub(/(^|\n)Types:[^\n]*/, "\nTypes: deb-src"); sub(/^\n/, ""); print } }' "$file" \
      >"$apt_dir/sources.list.d/$(basename "$file")"
  done
  grep -qs . "$apt_dir/sources.list" "$apt_dir"/sources.list.d/*.sources ||
    die "found no Debian $codename entry in the system's apt sources to fetch sources from"
}

# The package's entry for VERSION in the private Sources index, or nothing.
index_entry() {
  apt-cache "${apt_opts[@]}" showsrc --only-source "$package" 2>/dev/null |
    awk -v v="Version: $version" 'BEGIN { RS = ""; ORS = "\n\n" }
      { n = split($0, lines, "\n"); for (i = 1; i <= n; i++) if (lines[i] == v) { print; exit } }'
}

# "sha256 name" for each file a .dsc names.
dsc_files() {
  awk '/^Checksums-Sha256:/ { on = 1; next } /^[^ ]/ { on = 0 } on && NF == 3 { print $1, $3 }' "$1"
}

fetch() {
  local part="$root/sources/.${package}_$plain.part" dsc other candidate sum name notes=""
  rm -rf "$part"
  mkdir -p "$part"
  if [ ! -f "$apt_dir/sources.list" ]; then write_source_entries; fi
  if [ -z "$(index_entry)" ]; then
    say "updating the private source index for $package $version"
    apt-get "${apt_opts[@]}" update -q >&2 || die "could not update the private source index in $apt_dir"
    [ -n "$(index_entry)" ] || die "the archive offers no source for $package $version"
  fi
  (cd "$part" && apt-get "${apt_opts[@]}" source --download-only -q "$package=$version") >&2 || true
  dsc="$part/${package}_$plain.dsc"
  local written=0
  if [ ! -f "$dsc" ]; then
    # The index entry without the checksums of the .dsc itself; Files (MD5), which
    # the index leaves out, is added once every file is there and checked.
    index_entry | awk '/^$/ { next } /^Package: / { sub(/^Package/, "Source") }
      /^(Checksums-[A-Za-z0-9]+|Files|Package-List):/ { block = $1; if (block == "Checksums-Sha256:") print; next }
      /^ / { if (block == "Checksums-Sha256:" && $3 !~ /\.dsc$/) print; next }
      { block = ""; print }' >"$dsc"
    written=1
    notes="$notes
    its .dsc was not served, so it was written from the package's entry in the archive's signed Sources index"
  fi
  while read -r sum name; do
    [ -f "$part/$name" ] && continue
    case $name in *.orig*.tar.*) ;; *) continue ;; esac
    for candidate in $(apt-cache "${apt_opts[@]}" showsrc --only-source "$package" 2>/dev/null | awk '/^Version:/ { print $2 }'); do
      other=${candidate#*:}
      [ "$candidate" != "$version" ] && [ "${other%-*}" = "$upstream" ] || continue
      mkdir -p "$part/other"
      (cd "$part/other" && apt-get "${apt_opts[@]}" source --download-only -q "$package=$candidate") >&2 || true
      if [ -f "$part/other/$name" ] && [ "$(sha256sum <"$part/other/$name" | cut -d' ' -f1)" = "$sum" ]; then
        mv "$part/other/$name" "$part/$name"
        notes="$notes
    $name (not served under this revision) came from revision $candidate, the same file"
        break
      fi
    done
    rm -rf "$part/other"
  done < <(dsc_files "$dsc")
  if [ $written = 1 ]; then
    echo "Files:" >>"$dsc"
    while read -r sum name; do
      [ -f "$part/$name" ] || continue
      [ "$(sha256sum <"$part/$name" | cut -d' ' -f1)" = "$sum" ] || die "$name does not match the archive's index"
      echo " $(md5sum <"$part/$name" | cut -d' ' -f1) $(stat -c %s "$part/$name") $name" >>"$dsc"
    done < <(dsc_files "$dsc")
  fi
  printf '%s\n' "${notes#?}" >"$part/NOTES"
  mv "$part" "$store"
}

mkdir -p "$root/sources"
# One fetch at a time: apt's private index and the store are shared.
exec 8>"$root/sources/.lock"
flock 8
[ -d "$store" ] || fetch
flock -u 8

notes=$(cat "$store/NOTES")
dsc="$store/${package}_$plain.dsc"
rm -rf "$target"
missing=""
while read -r sum name; do
  [ -f "$store/$name" ] || missing="$missing $name"
done < <(dsc_files "$dsc")
mkdir -p "$(dirname "$target")"
if [ -z "$missing" ]; then
  dpkg-source --no-copy -x "$dsc" "$target" >&2 || die "dpkg-source could not unpack $dsc"
  how="unpacked with dpkg-source -x"
else
  # Debian's part is missing: the upstream tarball as it is, if there is one.
  orig=$(cd "$store" && ls "${package}_$upstream".orig.tar.* 2>/dev/null | grep -v '\.asc$' | head -n 1 || true)
  [ -n "$orig" ] || die "the archive serves neither all of $package $version nor its upstream tarball (missing:$missing)"
  mkdir -p "$target"
  tar -xf "$store/$orig" -C "$target" --strip-components=1
  how="the upstream tarball $orig only, as it is: the archive did not serve$missing"
fi
{
  echo "$package $version ($how)"
  [ -z "$notes" ] || printf '%s\n' "$notes"
} >"$(dirname "$target")/provenance.txt"
(cd "$store" && ls | grep -v '^NOTES$') | sed "s|^|$store/|" >"$(dirname "$target")/source-files.txt"
