#!/usr/bin/env bash
# Sourced: gives the caller an X display (Xvfb with openbox) unless one is already set and alive.
# Wine GUI tests need a window manager: without one, modifiers and hiding windows misbehave.
chorus_display_start() {
  if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then return 0; fi
  local n=${CHORUS_DISPLAY:-99}
  export DISPLAY=:$n
  if ! xdpyinfo >/dev/null 2>&1; then
    Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
    CHORUS_XVFB_PID=$!
    for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
    openbox >/dev/null 2>&1 &
    CHORUS_WM_PID=$!
    sleep 0.5
  fi
}
chorus_display_stop() {
  [ -n "${CHORUS_WM_PID:-}" ] && kill "$CHORUS_WM_PID" 2>/dev/null
  [ -n "${CHORUS_XVFB_PID:-}" ] && kill "$CHORUS_XVFB_PID" 2>/dev/null
  return 0
}
