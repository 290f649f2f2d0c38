# Sourced by the dependency builds. use_or_lock_cache ROOT FOLDER: when FOLDER is
# complete, prints it and ends the script; otherwise takes ROOT's lock for the rest of
# the script, so that a second build waits and then finds the folder the first made.
use_or_lock_cache() {
  if [ -f "$2/COMPLETE" ]; then
    echo "$2"
    exit 0
  fi
  mkdir -p "$1"
  exec 9>"$1/.lock"
  flock 9
  if [ -f "$2/COMPLETE" ]; then
    echo "$2"
    exit 0
  fi
}
