#!/usr/bin/env bash
# Runs one kfrun script against uddiclientext and the test registry, and compares its output.
#
#   run_kfrun_uddi.sh KFRUN EXTENSION REGISTRY_JAR FIXTURE SCRIPT EXPECTED [REQUESTS] [--alone]
#
# The registry runs as a java process of its own on a free loopback port; @URL@ in the
# script becomes its inquiry URL and @DOWNURL@ one where nothing listens. REQUESTS names a
# file of extended regular expressions that must each match a recorded request. --alone
# runs a copy of the extension from a folder without jvmhost.
set -euo pipefail
kfrun=$1 extension=$2 jar=$3 fixture=$4 script=$5 expected=$6
requests=${7:-}
alone=${8:-}
[ "$requests" = "--alone" ] && { alone=--alone; requests=; }

work=$(mktemp -d "${TMPDIR:-/tmp}/kf-uddi-kfrun.XXXXXX")
server=
cleanup() {
  [ -n "$server" ] && kill "$server" 2>/dev/null && wait "$server" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

java -cp "$jar" kf.uddi.testregistry.UddiTestRegistry "$fixture" "$work/port" "$work/requests.log" \
  </dev/null >"$work/registry.out" 2>&1 &
server=$!
for _ in $(seq 600); do  # up to a minute on a loaded machine
  [ -s "$work/port" ] && break
  kill -0 "$server" 2>/dev/null || { cat "$work/registry.out" >&2; exit 1; }
  sleep 0.1
done
[ -s "$work/port" ] || { echo "the test registry did not start" >&2; exit 1; }
port=$(cat "$work/port")

sed -e "s|@URL@|http://127.0.0.1:$port/inquiry|g" -e "s|@DOWNURL@|http://127.0.0.1:1/inquiry|g" \
  "$script" >"$work/$(basename "$script")"

if [ "$alone" = "--alone" ]; then
  mkdir "$work/alone"
  cp "$extension" "$work/alone/"
  extension="$work/alone/$(basename "$extension")"
fi

rc=0
"$kfrun" -x "$extension" "$work/$(basename "$script")" >"$work/out" 2>"$work/err" || rc=$?
if [ "$rc" -ne 0 ]; then
  echo "kfrun ended with $rc" >&2
  cat "$work/out" "$work/err" >&2
  exit 1
fi
if ! diff -u "$expected" "$work/out"; then
  echo "output differs from $expected" >&2
  exit 1
fi
if [ -n "$requests" ]; then
  while IFS= read -r pattern; do
    [ -z "$pattern" ] && continue
    if ! grep -Eq -- "$pattern" "$work/requests.log"; then
      echo "no recorded request matches: $pattern" >&2
      cat "$work/requests.log" >&2
      exit 1
    fi
  done <"$requests"
fi
