# Pieces the idle benches share; sourced, not run.
#
# A voluntary switch is a thread going to sleep and being woken later, so
# their rate is the program's wake-up rate.

here=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${VELVANE_BUILD_DIR:-$here/build}
started=()  # every process started here, ended on exit in reverse order
work=$(mktemp -d /tmp/velvane-idle-XXXXXX)

cleanup() {
  local i pid
  for ((i = ${#started[@]} - 1; i >= 0; i--)); do
    pid=${started[i]}
    kill "$pid" 2>/dev/null || continue
    for _ in $(seq 100); do kill -0 "$pid" 2>/dev/null || break; sleep 0.05; done
  done
  rm -rf "$work"
}
trap cleanup EXIT

# Starts Xvfb on a display number no one holds and sets $display to it.
start_xvfb() {
  local n
  display=
  for n in $(seq 600 680); do
    [ -e /tmp/.X11-unix/X$n ] || [ -e /tmp/.X$n-lock ] && continue
    Xvfb :$n -screen 0 1280x800x24 -noreset >/dev/null 2>&1 &
    started+=($!)
    for _ in $(seq 100); do [ -e /tmp/.X11-unix/X$n ] && break; sleep 0.05; done
    [ -e /tmp/.X11-unix/X$n ] && { display=:$n; return 0; }
  done
  echo "no Xvfb" >&2
  return 1
}

# A fresh home under $work/NAME with a private runtime folder; runs PREPARE,
# when set, with it. Sets $home.
fresh_home() {
  home=$work/$1
  rm -rf "$home"
  mkdir -p "$home/home" "$home/run"
  chmod 700 "$home/run"
  if [ -n "${PREPARE:-}" ]; then
    env -u XDG_DATA_HOME -u XDG_CONFIG_HOME HOME="$home/home" bash -c "$PREPARE"
  fi
}

# The command that runs a program in $home on $display, as a session of its
# own would: "${session[@]}" PROGRAM (env execs it, so $! is its pid).
session_env() {
  session=(env -u XDG_DATA_HOME -u XDG_CONFIG_HOME -u XDG_CACHE_HOME -u XDG_CURRENT_DESKTOP -u DBUS_SESSION_BUS_ADDRESS
           HOME="$home/home" XDG_RUNTIME_DIR="$home/run" DISPLAY="$display" QTWEBENGINE_DISABLE_SANDBOX=1)
}

# One line per thread: id, name, voluntary and involuntary switches, ns on a CPU.
threads() {
  local t
  for t in /proc/$1/task/*; do
    printf '%s %s %s %s\n' "$(basename "$t")" "$(tr ' ' _ <"$t/comm")" \
      "$(awk '/^voluntary_ctxt/ {v=$2} /^nonvoluntary_ctxt/ {n=$2} END {print v, n}' "$t/status")" \
      "$(cut -d' ' -f1 "$t/schedstat")"
  done | sort
}
cpu_ticks() { awk '{print $14 + $15}' /proc/$1/stat; }
resident() { awk '/^VmRSS/ {print $2 " " $3}' /proc/$1/status; }

# Per-thread rates between two `threads` files over ELAPSED seconds; the
# last line is "all threads" and the CPU share of one core.
rates() {
  join "$1" "$2" | awk -v el="$3" '
    { v = $7 - $3; n = $8 - $4; tv += v; tn += n; ns += $9 - $5
      if (v + n > 0) printf "  %-18s %6.2f voluntary/s %6.2f involuntary/s\n", $2, v / el, n / el }
    END { printf "  all threads        %6.2f voluntary/s %6.2f involuntary/s   CPU %.4f%% (threads alive throughout)\n",
                 tv / el, tn / el, 100 * ns / 1e9 / el }'
}

# Seeds the agent with a daily change (made at once, the last one being long
# ago) of a one-picture document.
agent_prepare="
  printf '1|%s\r\n' '$here/tests/fuzz/corpus/jpeg/baseline.jpg' >\"\$HOME/list.vnx\"
  '$build/bench/agent_settings' 'cfg_Action|1|Integer' 'cfg_TimeLenght|0|Integer' 'cfg_Order|0|Integer' \
    'cfg_ProxyIP| |String' 'cfg_ProxyPort|0|Integer' 'cfg_CurrentIMG| |String' 'cfg_CurrentImgPos|0|Integer' \
    'cfg_LastAplly|1/1/1996|DateTime' \"cfg_FileInUse|\$HOME/list.vnx|String\" 'cfg_ConType|0|Integer' \
    'cfg_Activate|True|Boolean' 'cfg_UseDefaultImage|False|Boolean' 'cfg_IEProxyAuto|False|Boolean' \
    'cfg_Silent|False|Boolean' 'cfg_Priority|1|Integer' 'cfg_LastImageError|0|Integer'"
