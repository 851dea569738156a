#!/usr/bin/env bash
# The tray agent at rest: dornwell with settings for a daily change (made at
# once, as the last one was long ago) and a one-picture document, measured by
# idle-wakeups.sh: resident memory after SETTLE seconds (default 60) and the
# CPU it takes over the next SECONDS (default 600).
#
#   bench/agent-idle.sh [SECONDS]
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=${VELVANE_BUILD_DIR:-$here/build}
picture=$here/tests/fuzz/corpus/jpeg/baseline.jpg
export PREPARE="
  printf '1|%s\r\n' '$picture' >\"\$HOME/list.vnx\"
  '$build/bench/agent_settings' 'cfg_Action|1|Integer' 'cfg_TimeLenght|0|Integer' 'cfg_Order|0|Integer' \
    'cfg_ProxyIP| |String' 'cfg_ProxyPort|0|Integer' 'cfg_CurrentIMG| |String' 'cfg_CurrentImgPos|0|Integer' \
    'cfg_LastAplly|1/1/1996|DateTime' \"cfg_FileInUse|\$HOME/list.vnx|String\" 'cfg_ConType|0|Integer' \
    'cfg_Activate|True|Boolean' 'cfg_UseDefaultImage|False|Boolean' 'cfg_IEProxyAuto|False|Boolean' \
    'cfg_Silent|False|Boolean' 'cfg_Priority|1|Integer' 'cfg_LastImageError|0|Integer'"
SETTLE=${SETTLE:-60} LC_ALL=C exec "$here/bench/idle-wakeups.sh" "$build/agent/dornwell" "${1:-600}"
