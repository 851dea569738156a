#!/usr/bin/env bash
# The tray agent at rest: dornwell with settings for a daily change (made at
# once, as the last one was long ago) and a one-picture document, measured by
# idle-wakeups.sh: resident memory after SETTLE seconds (default 60) and the
# CPU it takes over the next SECONDS (default 600).
#
#   bench/agent-idle.sh [SECONDS]
set -euo pipefail
source "$(dirname "$0")/idle-common.sh"
PREPARE=$agent_prepare SETTLE=${SETTLE:-60} LC_ALL=C "$here/bench/idle-wakeups.sh" "$build/agent/dornwell" "${1:-600}"
