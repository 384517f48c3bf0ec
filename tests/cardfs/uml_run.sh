#!/usr/bin/env bash
# Runs a command inside User-Mode Linux, whose kernel has the vfat driver that the host's
# kernel lacks: uml_run.sh JOB_FOLDER IMAGE... -- COMMAND ARGS...
#
# The host's files are UML's root (hostfs), so the command and its programs run unchanged;
# the images become the block devices ubda, ubdb, ... in the order given. The command's
# output goes to JOB_FOLDER/log; the exit status is the command's, 77 when UML cannot run
# here (the reason on standard output), 1 when UML started but the command never ended.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)

skip() {
  echo "SKIP: $*"
  exit 77
}

job=$(realpath -m "$1")
shift
images=()
while [ $# -gt 0 ] && [ "$1" != -- ]; do
  images+=("$(realpath "$1")")
  shift
done
[ $# -gt 1 ] || { echo "usage: uml_run.sh JOB_FOLDER IMAGE... -- COMMAND ARGS..." >&2; exit 2; }
shift

[ -x /usr/bin/linux ] || skip "User-Mode Linux is not installed (package user-mode-linux)"
version=$(/usr/bin/linux --version 2>/dev/null | head -n 1) || true
modules=/usr/lib/uml/modules/$version/kernel/fs
[ -n "$version" ] && [ -f "$modules/fat/vfat.ko" ] ||
  skip "no vfat module for User-Mode Linux $version under /usr/lib/uml/modules"
[ -w /dev/shm ] || skip "User-Mode Linux needs a writable /dev/shm for its memory"

mkdir -p "$job"
rm -f "$job/started" "$job/status" "$job/log"
printf '%q ' "$@" >"$job/command"

ubd=()
for i in "${!images[@]}"; do ubd+=("ubd$i=${images[$i]}"); done

# UML is one process (and its helpers); a hung kernel is stopped by the timeout. The
# job folder reaches init through the kernel's command line, as an environment variable.
uml_status=0
timeout --kill-after=10 "${TARVELLO_UML_TIMEOUT:-600}" /usr/bin/linux mem="${TARVELLO_UML_MEM:-384M}" \
  rootfstype=hostfs rw init="$here/uml_init.sh" con=null "${ubd[@]}" \
  TARVELLO_UML_JOB="$job" TARVELLO_UML_MODULES="$modules" </dev/null >"$job/uml.log" 2>&1 ||
  uml_status=$?

if [ ! -e "$job/started" ]; then
  skip "User-Mode Linux did not start (exit $uml_status): $(tail -n 3 "$job/uml.log" | tr '\n' ' ')"
fi
if [ ! -s "$job/status" ]; then
  echo "User-Mode Linux stopped before the command ended (exit $uml_status); its last lines:"
  tail -n 20 "$job/uml.log"
  exit 1
fi
exit "$(cat "$job/status")"
