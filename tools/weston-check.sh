#!/bin/sh
# Opens the window under a real Wayland compositor (weston, headless) and
# checks, in the client's protocol log, that it maps as it should: its
# desktop entry's id and a buffer of the window's size, attached after the
# compositor's first configure.
#
#   tools/weston-check.sh [--dialog DIALOG] build/ui/vorpane [SHOT.png]
#
# With --dialog it also opens the page and photo options dialog over the
# window, with DIALOG (build/tests/vorpane_options_dialog) in English, German
# and French, each of which must find the dialog wide enough for its title
# in the title bar Qt draws.
# With SHOT.png it also takes a screenshot of weston's screen into it
# (weston-screenshooter, allowed by weston's --debug), the French dialog on
# top when there is one.
#
# Status 0: it does; 1: it doesn't (the log's relevant lines are shown);
# 77: weston isn't installed (ctest counts that as skipped).
set -eu
dialog=
if [ "${1:-}" = --dialog ]; then
  dialog=$2
  shift 2
fi
program=$1
shot=${2:-}

command -v weston >/dev/null 2>&1 || {
  echo "weston is missing: skipped"
  exit 77
}
scratch=$(mktemp -d)
chmod 700 "$scratch"
weston_pid=
window_pid=
dialog_pid=
finish() {
  [ -z "$dialog_pid" ] || kill "$dialog_pid" 2>/dev/null || true
  [ -z "$window_pid" ] || kill "$window_pid" 2>/dev/null || true
  [ -z "$weston_pid" ] || kill "$weston_pid" 2>/dev/null || true
  wait
  rm -rf "$scratch"
}
trap finish EXIT

# A runtime folder of its own: the compositor's socket and the window's
# one-window-per-person socket meet no other test's.
export XDG_RUNTIME_DIR="$scratch" WAYLAND_DISPLAY=vorpane-check
debug=
[ -z "$shot" ] || debug=--debug
# The pixman renderer draws the screen (the headless default draws nothing).
weston --backend=headless-backend.so --use-pixman --socket="$WAYLAND_DISPLAY" --width=1000 \
  --height=660 --idle-time=0 $debug >"$scratch/weston.log" 2>&1 &
weston_pid=$!
tries=0
until [ -S "$scratch/$WAYLAND_DISPLAY" ]; do
  tries=$((tries + 1))
  if [ $tries -gt 100 ]; then
    echo "weston did not start:"
    cat "$scratch/weston.log"
    exit 1
  fi
  sleep 0.1
done

HOME="$scratch" QT_QPA_PLATFORM=wayland WAYLAND_DEBUG=client "$program" >"$scratch/window.log" 2>&1 &
window_pid=$!

mapped() {
  grep -q 'set_app_id("org.vorpane.Vorpane")' "$scratch/window.log" &&
    sed -n '/ack_configure/,$p' "$scratch/window.log" | grep -q 'create_buffer(.*, 767, 547,' &&
    sed -n '/ack_configure/,$p' "$scratch/window.log" | grep -q 'attach(wl_buffer'
}
tries=0
until mapped; do
  tries=$((tries + 1))
  if [ $tries -gt 150 ] || ! kill -0 "$window_pid" 2>/dev/null; then
    echo "the window did not map as it should:"
    grep -E 'set_app_id|ack_configure|create_buffer|attach|qt\.|Could not' "$scratch/window.log" || true
    exit 1
  fi
  sleep 0.1
done
echo "the window mapped under weston: 767 x 547, app id org.vorpane.Vorpane"
if [ -n "$dialog" ]; then
  for language in en de fr; do
    HOME="$scratch" QT_QPA_PLATFORM=wayland timeout 20 "$dialog" $language
  done
  if [ -n "$shot" ]; then
    HOME="$scratch" QT_QPA_PLATFORM=wayland "$dialog" fr --stay >"$scratch/dialog.log" 2>&1 &
    dialog_pid=$!
    tries=0
    until grep -q needs "$scratch/dialog.log"; do
      tries=$((tries + 1))
      if [ $tries -gt 100 ]; then
        cat "$scratch/dialog.log"
        exit 1
      fi
      sleep 0.1
    done
  fi
fi
if [ -n "$shot" ]; then
  sleep 1 # its first frames drawn
  (cd "$scratch" && timeout 10 weston-screenshooter) || {
    echo "weston-screenshooter failed"
    exit 1
  }
  mv "$scratch"/wayland-screenshot-*.png "$shot"
  echo "screenshot: $shot"
fi
