#!/bin/sh
# A Slurm cluster of two nodes on this machine, for the tests and the benchmark:
# munged, slurmctld and two slurmd (n1, n2, one CPU each, each its own port), all
# from a slurm.conf written into FOLDER. Everything it starts is stopped again by
# the process ids it wrote there; nothing outside FOLDER is touched.
#   local_cluster.sh start FOLDER   prints the slurm.conf to export as SLURM_CONF
#   local_cluster.sh stop FOLDER
# Exit status 77 when the Slurm packages are not installed (a test skips then).
set -eu

action=$1
dir=$(cd "$2" && pwd)

stop() {
  for pid_file in "$dir"/slurmd-n1.pid "$dir"/slurmd-n2.pid "$dir"/slurmctld.pid "$dir"/munge/munged.pid; do
    [ -s "$pid_file" ] || continue
    pid=$(cat "$pid_file")
    kill "$pid" 2> /dev/null || continue
    # Ended within five seconds, or killed.
    for _ in 1 2 3 4 5 6 7 8 9 10; do
      kill -0 "$pid" 2> /dev/null || break
      sleep 0.5
    done
    kill -9 "$pid" 2> /dev/null || true
    rm -f "$pid_file"
  done
}

if [ "$action" = stop ]; then
  stop
  exit 0
fi

for program in munged slurmctld slurmd sbatch; do
  command -v "$program" > /dev/null || { echo "no $program: install slurmctld slurmd slurm-client munge" >&2; exit 77; }
done

# Three ports, the controller's and each node's, apart for each cluster started at once.
base=$((20000 + ($$ * 3) % 30000))
set -- "$base" $((base + 1)) $((base + 2))
mkdir -p "$dir/munge" "$dir/state" "$dir/log"
chmod 700 "$dir/munge"
head -c 1024 /dev/urandom > "$dir/munge/munge.key"
chmod 600 "$dir/munge/munge.key"
cat > "$dir/slurm.conf" << EOF
ClusterName=clipvane
SlurmctldHost=localhost(127.0.0.1)
SlurmctldPort=$1
SlurmUser=$(id -un)
SlurmdUser=$(id -un)
AuthType=auth/munge
CredType=cred/munge
# A requeued task waits this long before it may start again.
AuthInfo=socket=$dir/munge/munge.sock,cred_expire=5
StateSaveLocation=$dir/state
SlurmdSpoolDir=$dir/spool-%n
SlurmctldPidFile=$dir/slurmctld.pid
SlurmdPidFile=$dir/slurmd-%n.pid
SlurmctldLogFile=$dir/log/slurmctld.log
SlurmdLogFile=$dir/log/slurmd-%n.log
SlurmctldDebug=verbose
ProctrackType=proctrack/pgid
TaskPlugin=task/none
MpiDefault=none
SwitchType=switch/none
SchedulerType=sched/builtin
# A freed node takes its next task at once, not at the next scheduling pass.
SchedulerParameters=sched_interval=2,batch_sched_delay=0,sched_min_interval=0
SelectType=select/cons_tres
SelectTypeParameters=CR_CPU
ReturnToService=2
JobAcctGatherType=jobacct_gather/none
AccountingStorageType=accounting_storage/none
JobCompType=jobcomp/none
KillWait=5
MinJobAge=600
MessageTimeout=5
NodeName=n1 NodeHostname=localhost NodeAddr=127.0.0.1 Port=$2 CPUs=1 State=UNKNOWN
NodeName=n2 NodeHostname=localhost NodeAddr=127.0.0.1 Port=$3 CPUs=1 State=UNKNOWN
PartitionName=all Nodes=n1,n2 Default=YES MaxTime=INFINITE State=UP
EOF
export SLURM_CONF="$dir/slurm.conf"
munged --key-file="$dir/munge/munge.key" --socket="$dir/munge/munge.sock" --pid-file="$dir/munge/munged.pid" \
  --log-file="$dir/munge/munged.log" --seed-file="$dir/munge/seed" --force
slurmctld -i
slurmd -N n1
slurmd -N n2
# Both nodes idle, within 30 seconds.
for _ in $(seq 60); do
  if [ "$(sinfo -h -N -t idle -o %N 2> /dev/null | sort -u | wc -l)" = 2 ]; then
    echo "$SLURM_CONF"
    exit 0
  fi
  sleep 0.5
done
echo "the local cluster did not come up; see $dir/log" >&2
stop
exit 1
