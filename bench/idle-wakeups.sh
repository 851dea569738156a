#!/usr/bin/env bash
# How often an idle program wakes, and how much CPU it takes doing nothing:
# starts it under a private Xvfb with a fresh home, lets it settle, then
# counts each thread's context switches and the CPU time over a minute.
#
#   bench/idle-wakeups.sh [PROGRAM] [SECONDS]   (default: build/editor/kestrin, 60)
#
# PREPARE, when set, is a shell command run first with the fresh home (to
# seed settings, say); SETTLE is how long the program runs before counting.
#
# A voluntary switch is a thread going to sleep and being woken later, so
# their rate is the program's wake-up rate.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
program=${1:-$here/build/editor/kestrin}
seconds=${2:-60}
settle=${SETTLE:-40}  # Qt's pooled start-up threads end after 30 s idle

work=$(mktemp -d /tmp/velvane-idle-XXXXXX)
display=
cleanup() {
  [ -n "${pid:-}" ] && kill "$pid" 2>/dev/null && wait "$pid" 2>/dev/null || true
  [ -n "${xvfb:-}" ] && kill "$xvfb" 2>/dev/null && wait "$xvfb" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
for n in $(seq 600 640); do
  [ -e /tmp/.X11-unix/X$n ] || [ -e /tmp/.X$n-lock ] && continue
  Xvfb :$n -screen 0 1280x800x24 -noreset >/dev/null 2>&1 &
  xvfb=$!
  for _ in $(seq 100); do [ -e /tmp/.X11-unix/X$n ] && break; sleep 0.05; done
  [ -e /tmp/.X11-unix/X$n ] && { display=:$n; break; }
done
[ -n "$display" ] || { echo "no Xvfb" >&2; exit 1; }

mkdir -p "$work/home" "$work/run"
chmod 700 "$work/run"
if [ -n "${PREPARE:-}" ]; then
  env -u XDG_DATA_HOME -u XDG_CONFIG_HOME HOME="$work/home" bash -c "$PREPARE"
fi
env -u XDG_DATA_HOME -u XDG_CONFIG_HOME -u XDG_CACHE_HOME -u XDG_CURRENT_DESKTOP \
  HOME="$work/home" XDG_RUNTIME_DIR="$work/run" DISPLAY="$display" QTWEBENGINE_DISABLE_SANDBOX=1 \
  "$program" >/dev/null 2>&1 &
pid=$!
sleep "$settle"

snapshot() {
  for t in /proc/$pid/task/*; do
    printf '%s %s %s\n' "$(basename "$t")" "$(tr ' ' _ <"$t/comm")" \
      "$(awk '/^voluntary_ctxt/ {v=$2} /^nonvoluntary_ctxt/ {n=$2} END {print v, n}' "$t/status")"
  done | sort
}
cpu() { awk '{print $14 + $15}' /proc/$pid/stat; }

rss() { awk '/^VmRSS/ {print $2 " " $3}' /proc/$pid/status; }
rss0=$(rss)
snapshot >"$work/before"; c0=$(cpu); t0=$(date +%s.%N)
sleep "$seconds"
snapshot >"$work/after"; c1=$(cpu); t1=$(date +%s.%N)

elapsed=$(echo "$t1 - $t0" | bc -l)
echo "$(basename "$program"), idle for ${seconds} s after ${settle} s (resident ${rss0} then, $(rss) at the end):"
join "$work/before" "$work/after" | awk -v el="$elapsed" '
  { v = $6 - $3; n = $7 - $4; tv += v; tn += n
    if (v + n > 0) printf "  %-18s %6.2f voluntary/s %6.2f involuntary/s\n", $2, v / el, n / el }
  END { printf "  all threads        %6.2f voluntary/s %6.2f involuntary/s\n", tv / el, tn / el }'
echo "  CPU $(echo "100 * ($c1 - $c0) / $(getconf CLK_TCK) / $elapsed" | bc -l | xargs printf %.3f)% of one core"
