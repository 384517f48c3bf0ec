#!/bin/bash
# The first process of User-Mode Linux (see uml_run.sh): loads the FAT drivers, runs the
# job's command with its output in the job folder, and halts, whatever the command did.
job=$TARVELLO_UML_JOB
export PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin
export HOME=$job/home LC_ALL=C.UTF-8 TMPDIR=$job/tmp
mkdir -p "$HOME" "$TMPDIR"
trap 'sync; halt -f' EXIT
: >"$job/started"

mount -t proc proc /proc
mount -t sysfs sysfs /sys
[ -e /dev/fd ] || ln -s /proc/self/fd /dev/fd
for module in fat/fat fat/vfat nls/nls_cp437 nls/nls_iso8859-1 nls/nls_utf8; do
  insmod "$TARVELLO_UML_MODULES/$module.ko" 2>>"$job/log"
done
cd "$job" || exit
status=0
bash -c "$(cat "$job/command")" >>"$job/log" 2>&1 || status=$?
echo "$status" >"$job/status"
