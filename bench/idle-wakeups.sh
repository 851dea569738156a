#!/usr/bin/env bash
# How often an idle program wakes, and how much CPU it takes doing nothing:
# starts it under a private Xvfb with a fresh home, lets it settle, then
# counts each thread's context switches and the CPU time over a minute.
#
#   bench/idle-wakeups.sh [PROGRAM] [SECONDS]   (default: build/editor/kestrin, 60)
#
# PREPARE, when set, is a shell command run first with the fresh home (to
# seed settings, say); SETTLE is how long the program runs before counting.
# bench/tray-idle.sh measures the programs side by side, with a tray.
set -euo pipefail
source "$(dirname "$0")/idle-common.sh"
program=${1:-$build/editor/kestrin}
seconds=${2:-60}
settle=${SETTLE:-40}  # Qt's pooled start-up threads end after 30 s idle

start_xvfb
fresh_home run
session_env
"${session[@]}" "$program" >/dev/null 2>&1 &
pid=$!
started+=($pid)
sleep "$settle"

rss0=$(resident $pid)
threads $pid >"$work/before"; c0=$(cpu_ticks $pid); t0=$(date +%s.%N)
sleep "$seconds"
threads $pid >"$work/after"; c1=$(cpu_ticks $pid); t1=$(date +%s.%N)

elapsed=$(echo "$t1 - $t0" | bc -l)
echo "$(basename "$program"), idle for ${seconds} s after ${settle} s (resident ${rss0} then, $(resident $pid) at the end):"
rates "$work/before" "$work/after" "$elapsed"
echo "  CPU $(echo "100 * ($c1 - $c0) / $(getconf CLK_TCK) / $elapsed" | bc -l | xargs printf %.3f)% of one core"
