#!/usr/bin/env bash
# Runs a command inside a private, throw-away desktop session: its own HOME and
# runtime folder, an X server (Xvfb), a session bus with the accessibility bus
# enabled and an unlocked keyring. Nothing of the user's own session is touched.
#
#   scripts/with-desktop-session.sh COMMAND [ARGS...]
set -euo pipefail

if [ -z "${TOVRA_DESKTOP_SESSION_INNER:-}" ]; then
  session_root=$(mktemp -d /tmp/tovra-session.XXXXXX)
  trap 'rm -rf "$session_root"' EXIT
  mkdir -m 0700 "$session_root/home" "$session_root/runtime"
  export HOME="$session_root/home"
  export XDG_RUNTIME_DIR="$session_root/runtime"
  export XDG_DATA_HOME="$HOME/.local/share"
  export XDG_CONFIG_HOME="$HOME/.config"
  export TOVRA_DESKTOP_SESSION_INNER=1
  unset DBUS_SESSION_BUS_ADDRESS DISPLAY WAYLAND_DISPLAY
  status=0
  xvfb-run -a -s "-screen 0 1280x800x24 -nolisten tcp -noreset" \
    dbus-run-session -- "$0" "$@" || status=$?
  exit "$status"
fi

# Inside the X server and the session bus.
echo -n "tovra-test" | gnome-keyring-daemon --unlock --components=secrets >/dev/null

dbus-send --session --print-reply --dest=org.a11y.Bus /org/a11y/bus \
  org.a11y.Bus.GetAddress >/dev/null
dbus-send --session --print-reply --dest=org.a11y.Bus /org/a11y/bus \
  org.freedesktop.DBus.Properties.Set string:org.a11y.Status string:IsEnabled \
  variant:boolean:true >/dev/null

exec "$@"
