#!/usr/bin/env bash
# The programs at rest, side by side in one run, each under its own Xvfb and
# trayer with a fresh home: dornwell (seeded as agent-idle.sh seeds it),
# empty_tray (a QApplication with one QSystemTrayIcon, the yardstick) and
# kestrin. For each: wake-ups a second per thread and in all, CPU over the
# window, resident memory with its breakdown by mapping (SHOWN lines of what
# each maps beyond the empty program, default 15), and for the two tray
# programs the time from start to the icon docked (the median of DOCK_RUNS
# starts, each with a fresh home; the last one stays for the idle window).
#
#   bench/tray-idle.sh [SECONDS]   (window, default 30; SETTLE before it, default 60)
set -euo pipefail
source "$(dirname "$0")/idle-common.sh"
seconds=${1:-30}
settle=${SETTLE:-60}  # Qt's pooled start-up threads end after 30 s idle
runs=${DOCK_RUNS:-3}
export LC_ALL=C

names=(empty_tray dornwell kestrin)
declare -A program=([empty_tray]=$build/bench/empty_tray [dornwell]=$build/agent/dornwell
                    [kestrin]=$build/editor/kestrin)
declare -A prepare=([dornwell]=$agent_prepare) pid docks screen

for name in "${names[@]}"; do
  start_xvfb
  screen[$name]=$display
  DISPLAY=$display trayer --edge top --height 24 >/dev/null 2>&1 &
  started+=($!)
done

# Starts NAME in a fresh home; the tray programs through dock_time, which
# waits for their area and adds the time to the dock to docks[NAME].
start() {
  local name=$1 out=$work/$1.dock
  display=${screen[$name]}
  PREPARE=${prepare[$name]:-} fresh_home "$name"
  session_env
  if [ "$name" = kestrin ]; then
    "${session[@]}" "${program[$name]}" >/dev/null 2>&1 &
    pid[$name]=$!
  else
    # The program keeps the output open: a file, not a pipe.
    "${session[@]}" "$build/bench/dock_time" "${program[$name]}" >"$out" 2>/dev/null
    pid[$name]=$(awk '/^pid/ {print $2}' "$out")
    docks[$name]="${docks[$name]:-} $(awk '/^docked/ {print $2}' "$out")"
  fi
  started+=(${pid[$name]})
}
stop() {
  kill "${pid[$1]}"
  while kill -0 "${pid[$1]}" 2>/dev/null; do sleep 0.05; done
}

for ((r = 1; r <= runs; r++)); do
  for name in empty_tray dornwell; do
    start $name
    [ $r -lt $runs ] && stop $name
  done
done
start kestrin
sleep "$settle"

declare -A c0 c1 rss0
t0=$(date +%s.%N)
for name in "${names[@]}"; do
  threads ${pid[$name]} >"$work/$name.before"; c0[$name]=$(cpu_ticks ${pid[$name]}); rss0[$name]=$(resident ${pid[$name]})
done
sleep "$seconds"
t1=$(date +%s.%N)
for name in "${names[@]}"; do
  threads ${pid[$name]} >"$work/$name.after"; c1[$name]=$(cpu_ticks ${pid[$name]})
  cp /proc/${pid[$name]}/smaps_rollup "$work/$name.rollup"
  # Resident kB per mapped file (anonymous mappings as one).
  awk '/^[0-9a-f]+-[0-9a-f]+ / { name = "[anon]"; if (NF >= 6) { name = $6; for (i = 7; i <= NF; i++) name = name " " $i }; next }
       /^Rss:/ { rss[name] += $2 }
       END { for (n in rss) if (rss[n] > 0) print rss[n] "\t" n }' /proc/${pid[$name]}/smaps | sort -rn >"$work/$name.maps"
done
elapsed=$(echo "$t1 - $t0" | bc -l)

median() { tr ' ' '\n' <<<"$1" | grep . | sort -n | awk '{v[NR] = $1} END {print NR ? v[int((NR + 1) / 2)] : "none"}'; }
declare -A wakes cpu kb dock
echo "Side by side: ${seconds} s window after ${settle} s, $(nproc) cores, load $(cut -d' ' -f1-3 /proc/loadavg)"
for name in "${names[@]}"; do
  echo
  [ -n "${docks[$name]:-}" ] && dock[$name]=$(median "${docks[$name]}")
  echo "== $name${dock[$name]:+: icon docked in ${dock[$name]} ms (runs:${docks[$name]})}"
  rates "$work/$name.before" "$work/$name.after" "$elapsed" | tee "$work/$name.rates"
  wakes[$name]=$(awk '/all threads/ {print $3}' "$work/$name.rates")
  cpu[$name]=$(awk '/all threads/ {sub("%", "", $8); print $8}' "$work/$name.rates")
  kb[$name]=$(awk '/^Rss:/ {print $2}' "$work/$name.rollup")
  echo "  CPU $(echo "100 * (${c1[$name]} - ${c0[$name]}) / $(getconf CLK_TCK) / $elapsed" | bc -l | xargs printf %.3f)%" \
    "in clock ticks, also of threads gone; resident ${rss0[$name]} at the start of the window, ${kb[$name]} kB at its end"
  echo "  smaps_rollup:" $(awk 'NR > 1 {printf "%s %s  ", $1, $2}' "$work/$name.rollup")
  echo "  largest mappings by RSS (kB, files by name, anonymous ones together):"
  head -12 "$work/$name.maps" | awk -F'\t' '{printf "    %8d  %s\n", $1, $2}'
done

# What each program maps that the empty tray program does not.
for name in dornwell kestrin; do
  echo
  echo "== mapped by $name, not by empty_tray (kB):"
  awk -F'\t' -v top="${SHOWN:-15}" 'NR == FNR { seen[$2] = $1; next }
              !($2 in seen) { only += $1; if (shown++ < top) printf "    %8d  %s\n", $1, $2 }
              ($2 in seen) && $1 - seen[$2] > 256 { grown[$2] = $1 - seen[$2] }
              END { printf "    %8d  in all, in %d mappings\n", only, shown
                    for (n in grown) printf "    %8d  more of %s\n", grown[n], n }' \
    "$work/empty_tray.maps" "$work/$name.maps"
done

ratio() { echo "$1 / $2" | bc -l | xargs printf %.2f; }
echo
echo "== dornwell against empty_tray (aims: <= 1 wake-up/s, <= 0.05% CPU, <= 1.3x memory, <= 1.3x dock time)"
echo "  wake-ups/s  ${wakes[dornwell]} against ${wakes[empty_tray]}"
echo "  CPU         ${cpu[dornwell]}% against ${cpu[empty_tray]}%"
echo "  resident    ${kb[dornwell]} kB against ${kb[empty_tray]} kB: $(ratio ${kb[dornwell]} ${kb[empty_tray]})x"
if [ "${dock[dornwell]:-none}" != none ] && [ "${dock[empty_tray]:-none}" != none ]; then
  echo "  docked in   ${dock[dornwell]} ms against ${dock[empty_tray]} ms: $(ratio ${dock[dornwell]} ${dock[empty_tray]})x"
fi
echo "== kestrin (aim: <= 1 wake-up/s): ${wakes[kestrin]} wake-ups/s"
