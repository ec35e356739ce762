#!/usr/bin/env bash
# Runs one kfrun script against the interop services on Axis and compares its output.
#
#   run_axis_kfrun.sh CLASSES WSDD SCRIPT EXPECTED KFRUN [KFRUN-ARGUMENTS...]
#
# KFRUN may be an emulator followed by kfrun.exe. @SERVICES@ in the script becomes the base
# URL of the services, http://127.0.0.1:<port>/axis/services, which the command also finds in
# KF_AXIS_SERVICES. With SCRIPT and EXPECTED both "-" the command runs as given and only its
# exit code counts (a test program rather than kfrun). Axis runs for this script only
# and stops when this script ends, however it ends: its standard input is a pipe that only
# this shell holds open. KF_AXIS_UPDATE=1 writes the output to EXPECTED instead of comparing.
set -euo pipefail
classes=$1 wsdd=$2 script=$3 expected=$4
shift 4
here=$(cd "$(dirname "$0")" && pwd)

work=$(mktemp -d "${TMPDIR:-/tmp}/kf-axis-kfrun.XXXXXX")
server=
cleanup() {
  exec 7>&- || true
  if [ -n "$server" ]; then
    # Normally gone with its input; a server still starting up is told to stop.
    for _ in $(seq 50); do kill -0 "$server" 2>/dev/null || break; sleep 0.1; done
    kill "$server" 2>/dev/null || true
    wait "$server" 2>/dev/null || true
  fi
  rm -rf "$work"
}
trap cleanup EXIT

mkfifo "$work/stdin"
"$here/axis-server" "$classes" "$wsdd" "$work/port" <"$work/stdin" >"$work/server.out" 2>&1 &
server=$!
exec 7>"$work/stdin"
for _ in $(seq 1200); do  # up to two minutes on a loaded machine
  [ -s "$work/port" ] && break
  kill -0 "$server" 2>/dev/null || { cat "$work/server.out" >&2; exit 1; }
  sleep 0.1
done
[ -s "$work/port" ] || { echo "Axis did not start" >&2; cat "$work/server.out" >&2; exit 1; }
port=$(cat "$work/port")

export KF_AXIS_SERVICES=http://127.0.0.1:$port/axis/services
if [ "$script" = - ]; then
  "$@" 7>&- || { rc=$?; echo "$1 ended with $rc" >&2; exit 1; }
  exit 0
fi
sed -e "s|@SERVICES@|$KF_AXIS_SERVICES|g" "$script" >"$work/$(basename "$script")"

rc=0
"$@" "$work/$(basename "$script")" 7>&- >"$work/out" 2>"$work/err" || rc=$?
tr -d '\r' <"$work/out" >"$work/out.lf"
if [ "$rc" -ne 0 ]; then
  echo "kfrun ended with $rc" >&2
  cat "$work/out.lf" "$work/err" >&2
  exit 1
fi
if [ "${KF_AXIS_UPDATE:-0}" = 1 ]; then
  cp "$work/out.lf" "$expected"
elif ! diff -u "$expected" "$work/out.lf"; then
  echo "output differs from $expected" >&2
  exit 1
fi
