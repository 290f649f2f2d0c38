#!/bin/sh
# Times the list's jobs on a Slurm cluster against the same jobs in two local queues:
# twenty 3-second 320x240 clips, `clipvane-cli encode-all --queues 2 --wait` in one
# program folder and `clipvane-cli encode-all --on slurm --queues 2 --wait` in another,
# on a two-node cluster started on this machine (tests/cluster/local_cluster.sh: one
# CPU a node, so two jobs at once on either side). The two sides take turns, ROUNDS
# times each (default 2); each side keeps its best wall time, and the load average is
# printed beside every result. Every round converts all twenty: the MP4s and the jobs'
# records of the round before are removed first.
#
# In each program folder bin/mencoder and bin/mp4creator are wrapped: the wrapper
# appends "<epoch seconds.ns> start|end <tool> <job record>" to tool-times.log in the
# program folder and execs the real tool (bin/<tool>.real), so the tool's parent stays
# the job script (its job's record names that process as the owner); the end is logged
# by a watcher that sees a pipe only the tool and its helpers hold close as they end.
# While a run goes, `clipvane-cli status` is asked every 0.2 s from another process,
# and the first time it says "written" for each row is kept.
#
# What is measured, per run (n = 20 jobs, 2 at once):
#   wall time          from the command's start to the return of its --wait;
#   busy time          per job, the sum of its tools' runs (start to end); summed over jobs;
#   overhead per job   (wall time - busy time / 2) / n: the time the two slots spent on
#                      anything but the tools (dispatch, scripts, records), per job;
#   first start        the first tool start of the run - the command's start;
#   slot handover      mean, over the jobs after the first on each slot (local queue or
#                      Slurm node), of (the job's first tool start - the last tool end
#                      of the job before it on that slot);
#   written seen       mean over the jobs of (the end of the first `status` call that
#                      says "written" - the job's last tool end); it can be negative:
#                      the check, the last tool, writes the record before it ends.
# Goals: cluster wall time / local wall time at most 1.10, and the cluster's overhead
# per job less than 1 s above the local one.
#
# Usage: bench/cluster.sh [build folder]   (default: build/linux)
# Exits with status 77, saying so, when the Slurm packages are not installed.
set -eu

here=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-build/linux}" && pwd)
for tool in bin/mencoder bin/mp4creator clipvane-cli; do
  [ -x "$build/$tool" ] || { echo "no $build/$tool: build the linux preset first" >&2; exit 1; }
done
command -v ffmpeg > /dev/null || { echo "no ffmpeg: it makes the clips" >&2; exit 1; }
rounds=${ROUNDS:-2}
videos=20

# The program folders must be on storage every node could share: the command refuses
# a run on several nodes from tmpfs.
local_only() { case $(stat -f -c %T "$1") in tmpfs | ramfs) return 0 ;; *) return 1 ;; esac; }
base=${TMPDIR:-/tmp}
if local_only "$base"; then base=/var/tmp; fi
if local_only "$base"; then
  echo "both ${TMPDIR:-/tmp} and /var/tmp are on tmpfs: set TMPDIR to a folder on a disk" >&2
  exit 1
fi
work=$(mktemp -d "$base/clipvane-cluster-bench-XXXXXX")
poller=
running=
waiter=
cleanup() {
  # A run cut short: its poller, its command and its jobs, before the cluster and the
  # folder go.
  [ -z "$waiter" ] || kill "$waiter" 2> /dev/null || true
  if [ -n "$poller" ]; then
    : > "$work/stop-polling"
    wait "$poller" 2> /dev/null || true
  fi
  [ -z "$running" ] || "$running/clipvane-cli" stop --all > /dev/null 2>&1 || true
  [ ! -d "$work/cluster" ] || "$here/tests/cluster/local_cluster.sh" stop "$work/cluster" || true
  rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 130' INT
trap 'exit 143' TERM HUP

now() { date +%s.%N; }
load() { cut -d' ' -f1 /proc/loadavg; }

echo "starting a two-node Slurm cluster on this machine..."
mkdir "$work/cluster"
started=0
conf=$("$here/tests/cluster/local_cluster.sh" start "$work/cluster") || started=$?
if [ "$started" = 77 ]; then
  echo "the Slurm packages are not installed (slurmctld slurmd slurm-client munge): no cluster to time"
  exit 77
fi
[ "$started" = 0 ] || { echo "the local cluster did not start" >&2; exit 1; }
export SLURM_CONF="$conf"

echo "making $videos 3-second 320x240 clips..."
mkdir "$work/videos"
for n in $(seq -w 1 "$videos"); do
  ffmpeg -v error -nostdin -y -f lavfi -i "testsrc=size=320x240:rate=25:duration=3" \
    -f lavfi -i "sine=frequency=440:sample_rate=44100:duration=3" -ac 2 -shortest \
    -c:v mpeg4 -q:v 4 -c:a libmp3lame -b:a 128k "$work/videos/clip$n.avi"
done

# The wrapper of a tool; see the header. Its own name says which tool it is. The
# watcher that logs the end runs in a session of its own: left behind as the tool
# ends, it would otherwise be counted in the Slurm task's process group, whose end
# Slurm waits for in steps of seconds.
cat > "$work/wrapper" << 'EOF'
#!/bin/sh
set -eu
log=${0%/*}/../tool-times.log
tool=${0##*/}
job=${CLIPVANE_JOB-}
printf '%s start %s %s\n' "$(date +%s.%N)" "$tool" "$job" >> "$log"
pipe=${0%/*}/../.tool-pipe.$$
rm -f "$pipe"
mkfifo "$pipe"
setsid sh -c 'cat "$1" > /dev/null; printf "%s end %s %s\n" "$(date +%s.%N)" "$2" "$3" >> "$4"' \
  watcher "$pipe" "$tool" "$job" "$log" < /dev/null > /dev/null 2>&1 &
exec 9> "$pipe"
rm -f "$pipe"
exec "$0.real" "$@"
EOF
# make_app <folder>: a program folder of its own, as encode.sh makes them, with the
# twenty clips listed and its tools wrapped.
make_app() {
  mkdir -p "$1/bin"
  cp "$build/bin/mencoder" "$build/bin/mp4creator" "$1/bin/"
  cp "$build/clipvane-cli" "$1/"
  "$1/clipvane-cli" settings qulity=1 platform=0 display=0 needsubtitle=0 > /dev/null
  "$1/clipvane-cli" add "$work/videos" > /dev/null 2>&1
  # Row n is clip<n>: the folder's videos come in name order.
  "$1/clipvane-cli" list | awk -F'\t' -v n="$videos" '
    $3 != sprintf("clip%02d", $1) { bad = 1 } END { exit bad || NR != n }' ||
    { echo "the list of $1 is not the $videos clips in order" >&2; exit 1; }
  for tool in mencoder mp4creator; do
    mv "$1/bin/$tool" "$1/bin/$tool.real"
    cp "$work/wrapper" "$1/bin/$tool"
    chmod +x "$1/bin/$tool"
  done
}
make_app "$work/queues"
make_app "$work/slurm"

# poll <clipvane-cli> <file>: until the stop file is there, appends "<time> <row>" for
# each row that `status` says is written, dated at the end of the call.
poll() {
  while [ ! -e "$work/stop-polling" ]; do
    "$1" status > "$work/status.now" 2> /dev/null || true
    awk -v t="$(now)" -F'\t' '$2 ~ /^written/ { print t, $1 }' "$work/status.now" >> "$2"
    sleep 0.2
  done
}

# analyse <run folder> <start> <end>: one line of the run's measures (see the header):
# wall busy overhead first handover written jobs-timed rows-seen-written
analyse() {
  awk -v start="$2" -v end="$3" -v n="$videos" -v slots="$1/slots" -v written="$1/written" '
    FILENAME == slots { slot[$1] = $2; next }
    FILENAME == written { if (!(($2 + 0) in seen)) seen[$2 + 0] = $1; next }
    $4 == "" { next }
    {
      name = $4; sub(/.*\//, "", name); sub(/\..*/, "", name)
      key = name SUBSEP $3
      names[name] = 1; keys[key] = 1
      if ($2 == "start") {
        begun[key, ++begins[key]] = $1
        if (!(name in first) || $1 < first[name]) first[name] = $1
      } else {
        ended[key, ++ends[key]] = $1
        if (!(name in last) || $1 > last[name]) last[name] = $1
      }
    }
    END {
      wall = end - start
      # A tool runs once at a time in its job: its starts and ends pair in order.
      for (key in keys)
        for (i = 1; i <= begins[key] && i <= ends[key]; i++) busy += ended[key, i] - begun[key, i]
      jobs = 0
      for (name in names) {
        jobs++
        if (jobs == 1 || first[name] < earliest) earliest = first[name]
        row = substr(name, 5) + 0
        if (row in seen) { lag += seen[row] - last[name]; lags++ }
        # The jobs of each slot, in the order they started.
        s = slot[name]; k = ++count[s]; order[s, k] = name
        for (j = k; j > 1 && first[order[s, j - 1]] > first[order[s, j]]; j--) {
          t = order[s, j]; order[s, j] = order[s, j - 1]; order[s, j - 1] = t
        }
      }
      for (s in count)
        for (k = 2; k <= count[s]; k++) { gap += first[order[s, k]] - last[order[s, k - 1]]; gaps++ }
      printf "%.3f %.3f %.3f %.3f %.3f %.3f %d %d\n", wall, busy, (wall - busy / 2) / n, earliest - start,
        (gaps ? gap / gaps : 0), (lags ? lag / lags : 0), jobs, lags
    }' "$1/slots" "$1/written" "$1/tools"
}

# run <side> <round>: one run of the twenty jobs; leaves its measures in $work/<side>.<round>/result.
run() {
  side=$1
  app="$work/$1"
  out="$work/$1.$2"
  mkdir "$out"
  rm -f "$app"/incoming/*.mp4 "$app"/temp/*.job "$work/stop-polling"
  : > "$app/tool-times.log"
  : > "$out/written"
  if [ "$side" = slurm ]; then set -- --on slurm; else set --; fi
  poll "$app/clipvane-cli" "$out/written" &
  poller=$!
  at_load=$(load)
  running=$app
  start=$(now)
  status=0
  # In the background, so that a signal to the bench is handled at once (see cleanup).
  "$app/clipvane-cli" encode-all "$@" --queues 2 --wait > "$out/wait.out" 2> "$out/wait.err" &
  waiter=$!
  wait "$waiter" || status=$?
  end=$(now)
  waiter=
  : > "$work/stop-polling"
  wait "$poller"
  poller=
  running=
  # Once more, for rows that became written since the last call.
  "$app/clipvane-cli" status > "$work/status.now" 2> /dev/null || true
  awk -v t="$(now)" -F'\t' '$2 ~ /^written/ { print t, $1 }' "$work/status.now" >> "$out/written"
  mv "$app/tool-times.log" "$out/tools"
  written=$(find "$app/incoming" -maxdepth 1 -name '*.mp4' | wc -l)
  if [ "$status" != 0 ] || [ "$written" != "$videos" ]; then
    echo "$side, round ${out##*.}: the run ended with status $status and wrote $written of $videos MP4s:" >&2
    tail -n 5 "$out/wait.err" >&2
    exit 1
  fi
  # Which slot ran each job: its local queue's run script, or the node its record names.
  if [ "$side" = slurm ]; then
    for record in "$app"/temp/*.job; do
      name=${record##*/}
      printf '%s %s\n' "${name%%.*}" "$(sed -n 's/^node=//p' "$record")"
    done > "$out/slots"
  else
    for queue in "$app"/batch/encode_al[0-9].sh; do
      sed -n "s|.*/\\([^/]*\\)\\.sh'\$|\\1 ${queue##*/}|p" "$queue"
    done > "$out/slots"
  fi
  echo "$(analyse "$out" "$start" "$end") $at_load" > "$out/result"
}

# describe <label> <result file>
describe() {
  read -r wall busy overhead first handover lag jobs seen at_load < "$2"
  printf '  %-24s %6.2f s wall  %6.2f s busy  overhead %5.2f s/job  first start %5.2f s  handover %5.2f s  written seen %+5.2f s  (%d jobs timed, %d seen written; load %s)\n' \
    "$1" "$wall" "$busy" "$overhead" "$first" "$handover" "$lag" "$jobs" "$seen" "$at_load"
}

echo "$videos jobs, two at once on either side, best of $rounds alternated runs each, $(nproc) cores"
for round in $(seq "$rounds"); do
  run queues "$round"
  describe "round $round, local" "$work/queues.$round/result"
  run slurm "$round"
  describe "round $round, Slurm" "$work/slurm.$round/result"
done
best() {
  for round in $(seq "$rounds"); do cat "$work/$1.$round/result"; done | sort -n -k1,1 | head -n 1 > "$work/best.$1"
}
best queues
best slurm
echo "the best run of each side:"
describe "two local queues" "$work/best.queues"
describe "Slurm, two nodes" "$work/best.slurm"
echo "  wall: command start to the end of its --wait; busy: the tools' run times summed over the jobs;"
echo "  overhead: (wall - busy / 2) / $videos; first start: command start to the first tool start;"
echo "  handover: mean gap on a queue or node from one job's last tool end to the next job's first tool start;"
echo "  written seen: mean of (first status call that says written, at its end) - (the job's last tool end)"
read -r local_wall _ local_overhead _ < "$work/best.queues"
read -r slurm_wall _ slurm_overhead _ < "$work/best.slurm"
printf 'Slurm / local wall time:          %s (goal at most 1.10)\n' \
  "$(awk -v a="$slurm_wall" -v b="$local_wall" 'BEGIN { printf "%.3f", a / b }')"
printf 'Slurm - local overhead per job:   %s s (goal under 1 s)\n' \
  "$(awk -v a="$slurm_overhead" -v b="$local_overhead" 'BEGIN { printf "%.3f", a - b }')"
echo "load average at the end: $(cut -d' ' -f1-3 /proc/loadavg)"
