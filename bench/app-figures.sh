#!/usr/bin/env bash
# Figures of the running app on the test desktop: Alt+Shift+V to the text in
# the target field, idle CPU over 60 s, resident memory idle and with a full
# session history (50 texts, 10 images of about 2 MB).
#
#   scripts/with-desktop-session.sh bench/app-figures.sh [build dir] [idle seconds]
set -euo pipefail

build=${1:-build/dev}
idle_seconds=${2:-60}
root=$(mktemp -d)
trap 'kill $(jobs -p) 2>/dev/null; rm -rf "$root"' EXIT
mkdir -p "$root"/{home,runtime,data,config/Tovra}
chmod 700 "$root/runtime"
export HOME=$root/home XDG_RUNTIME_DIR=$root/runtime XDG_DATA_HOME=$root/data XDG_CONFIG_HOME=$root/config
export TOVRA_TESTING=1 TOVRA_TEST_MASTER_KEY_HEX=000102030405060708090a0b0c0d0e0f101112131415161718191a1b1c1d1e1f
printf '[General]\ntovra.v02.observationEnabled=true\n' >"$root/config/Tovra/Tovra.conf"

openbox --sm-disable 2>/dev/null &
sleep 1
"$build/src/tovra" 2>/dev/null &
app=$!
until [ -S "$root/runtime/tovra/app.sock" ]; do sleep 0.1; done
sleep 2


rss() { awk '/VmRSS/ { printf "%.1f MB", $2 / 1024 }' "/proc/$app/status"; }
cpu_ticks() { awk '{ print $14 + $15 }' "/proc/$app/stat"; }

# Idle: nothing happens on the desktop.
before=$(cpu_ticks)
sleep "$idle_seconds"
after=$(cpu_ticks)
echo "idle CPU over ${idle_seconds} s: $(echo "scale=3; ($after - $before) * 100 / $(getconf CLK_TCK) / $idle_seconds" | bc) % of one core"
echo "resident memory idle: $(rss)"

# Alt+Shift+V to the text in a client's field, ten times.
coproc client { QT_QPA_PLATFORM=xcb QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 "$build/tests/platform/x11/tovra_x11_test_client"; }
# ask COMMAND PREFIX: sends the command and sets `answer` to the rest of the
# first reply line with that prefix (the coprocess's pipes do not reach a
# command substitution's subshell).
ask() {
  [ -n "$1" ] && echo "$1" >&"${client[1]}"
  local line
  while IFS= read -r line <&"${client[0]}"; do
    [[ $line == "$2"* ]] && { answer=${line#"$2"}; return; }
  done
}
ask "" "ready "
xdotool windowactivate --sync "$answer"
ask "focus plain" "ok "
ask "copy-text $(printf 'latency probe' | base64)" "ok "
samples=()
for _ in $(seq 1 10); do
  ask "clear-field plain" "ok "
  start=$(date +%s%N)
  xdotool key alt+shift+v
  answer=
  until [ -n "$answer" ] || [ $(( $(date +%s%N) - start )) -gt 5000000000 ]; do
    ask "field-text plain" "field-text "
  done
  [ -n "$answer" ] || { echo "the text did not arrive within 5 s" >&2; exit 1; }
  samples+=($(( ($(date +%s%N) - start) / 1000000 )))
  sleep 0.3
done
echo "Alt+Shift+V to text in the field (ms, sorted): $(printf '%s\n' "${samples[@]}" | sort -n | tr '\n' ' ')"

# A full session history: 50 texts, then 10 images of about 2 MB, each copied
# in the client with Ctrl+C.
for index in $(seq 1 50); do
  ask "select-text plain $(printf 'history text %d %s' "$index" "$(head -c 200 /dev/urandom | base64 -w0)" | base64 -w0)" "ok "
  xdotool key ctrl+c
  sleep 0.2
done
for _ in $(seq 1 10); do
  # 724 × 724 pixels of 32 bits: about 2 MB.
  ask "copy-image 724 724" "ok "
  sleep 0.5
done
sleep 2

echo "resident memory with a full history: $(rss)"
kill "$app"
wait "$app" || true
