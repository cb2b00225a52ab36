#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Runs a command as a client of a Wayland compositor of its own, with Qt's
# Wayland platform plugin, and returns the command's exit status:
#   tests/wayland/run-under-weston.sh COMMAND [ARGUMENT...]
# The compositor is Debian's weston. Its headless back end offers no seat, so
# it never gives a window the keyboard and a dialog could not be typed into;
# it runs on its X11 back end instead, on a virtual X display (xvfb-run),
# which gives it a keyboard and a pointer. The command sees no X display:
# only the compositor's socket, in an XDG_RUNTIME_DIR of its own, so that
# runs side by side never meet. The compositor stops when the command ends.
set -uo pipefail

if [ $# -eq 0 ]; then
    echo "usage: $0 COMMAND [ARGUMENT...]" >&2
    exit 2
fi

if [ "$1" != "--on-virtual-display" ]; then
    for tool in weston xvfb-run; do
        if ! command -v "$tool" >/dev/null; then
            echo "$0: $tool is not installed (Debian packages weston and xvfb;" \
                "./build.sh installs them)" >&2
            exit 2
        fi
    done
    exec xvfb-run -a -s "-screen 0 1280x1024x24" "$0" --on-virtual-display "$@"
fi
shift

# Seconds to wait for the compositor's socket.
startup_limit=${QUORVIN_WESTON_STARTUP_SECONDS:-20}

runtime_dir=$(mktemp -d "${TMPDIR:-/tmp}/quorvin-wayland.XXXXXX") || exit 2
chmod 700 "$runtime_dir"
socket=wayland-quorvin
weston_log="$runtime_dir/weston.log"
weston_pid=

# shellcheck disable=SC2317  # run by the traps
stop_weston() {
    if [ -n "$weston_pid" ]; then
        kill "$weston_pid" 2>/dev/null
        wait "$weston_pid" 2>/dev/null
        weston_pid=
    fi
    rm -rf "$runtime_dir"
}
show_weston_log() {
    echo "--- weston log ---" >&2
    cat "$weston_log" >&2 2>/dev/null
}
trap stop_weston EXIT
trap 'exit 130' INT
trap 'exit 143' TERM

XDG_RUNTIME_DIR="$runtime_dir" weston --backend=x11-backend.so --use-pixman \
    --socket="$socket" --idle-time=0 --no-config --width=1280 --height=1024 \
    --log="$weston_log" </dev/null >/dev/null 2>&1 &
weston_pid=$!

waited=0
until [ -S "$runtime_dir/$socket" ]; do
    if ! kill -0 "$weston_pid" 2>/dev/null; then
        wait "$weston_pid"
        echo "$0: weston ended before it opened its socket (exit status $?)" >&2
        weston_pid=
        show_weston_log
        exit 2
    fi
    if [ "$waited" -ge $((startup_limit * 10)) ]; then
        echo "$0: weston opened no socket in $startup_limit s" >&2
        show_weston_log
        exit 2
    fi
    sleep 0.1
    waited=$((waited + 1))
done

env -u DISPLAY -u XAUTHORITY XDG_RUNTIME_DIR="$runtime_dir" WAYLAND_DISPLAY="$socket" \
    QT_QPA_PLATFORM=wayland "$@"
status=$?
[ "$status" -eq 0 ] || show_weston_log
exit "$status"
