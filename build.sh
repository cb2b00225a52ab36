#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Sets up, builds and runs Quorvin on Debian 12.
#   ./build.sh run    install missing packages, build, start the program
#   ./build.sh test   install missing packages, build, run every test, check
#                     the Debian package with lintian, run the tests again
#                     in a sanitizer build (build-asan), then fuzz each
#                     fuzz target for QUORVIN_FUZZ_SECONDS (60) seconds
#   ./build.sh package  install missing packages, build, make the Debian
#                     package build/quorvin_<version>_<arch>.deb
set -euo pipefail
cd "$(dirname "$0")"

as_root() {
    if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi
}

# Installs the Debian packages of the list that are not installed yet; quick
# when all are there.
install_packages() {
    local missing=() pkg
    for pkg in "$@"; do
        dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q 'install ok installed' ||
            missing+=("$pkg")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    echo "Installing missing Debian packages: ${missing[*]}"
    as_root apt-get update -qq
    as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends \
        "${missing[@]}"
}

build() {
    mapfile -t packages < <(grep -vE '^[[:space:]]*(#|$)' debian-packages.txt)
    install_packages "${packages[@]}"
    cmake -S . -B build -DCMAKE_BUILD_TYPE=Release
    cmake --build build -j"$(nproc)"
}

# Seconds of fuzzing per fuzz target under build.sh test.
fuzz_seconds="${QUORVIN_FUZZ_SECONDS:-60}"

# The whole suite again, built with AddressSanitizer (leaks included) and
# UndefinedBehaviorSanitizer: any finding ends its test program with an error.
# Leaks are suppressed only inside system libraries (tests/sanitizers/lsan.supp).
sanitizer_tests() {
    local started=$SECONDS
    (
        ASAN_OPTIONS=halt_on_error=1:detect_leaks=1:detect_stack_use_after_return=1
        export ASAN_OPTIONS+=:check_initialization_order=1:strict_init_order=1:strict_string_checks=1
        export UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1
        export LSAN_OPTIONS="suppressions=$PWD/tests/sanitizers/lsan.supp:print_suppressions=0"
        cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUORVIN_SANITIZE=ON \
            -DQUORVIN_BENCH=OFF
        # The build runs the test programs too, to list their tests.
        cmake --build build-asan -j"$(nproc)"
        QUORVIN_REQUIRE_LIBREOFFICE=1 ctest --test-dir build-asan --output-on-failure -j"$(nproc)"
    )
    echo "Sanitizer build and tests: $((SECONDS - started)) s"
}

# Folders of this run that only its user can enter, removed when it ends.
private_dirs=()
trap 'rm -rf "${private_dirs[@]}"' EXIT
new_private_dir() {
    new_dir=$(mktemp -d "${TMPDIR:-/tmp}/quorvin-$1.XXXXXX")
    chmod 700 "$new_dir"
    private_dirs+=("$new_dir")
}

# Qt keeps its runtime files in XDG_RUNTIME_DIR, which a desktop session sets
# and a console, ssh or CI may not; without it Qt warns on every start.
ensure_runtime_dir() {
    [ -n "${XDG_RUNTIME_DIR:-}" ] && return 0
    new_private_dir runtime
    export XDG_RUNTIME_DIR="$new_dir"
}

# Without a display the program runs on a virtual one that a VNC viewer can
# reach, so that it can still be used from another machine. The VNC server
# listens on localhost only and asks for a password made for this start, so
# that no other user of the machine can take over the program.
run_without_display() {
    install_packages x11vnc
    new_private_dir vnc
    local vnc_dir=$new_dir password
    # VNC passwords have at most 8 characters; none that look alike.
    password=$(head -c 512 /dev/urandom | LC_ALL=C tr -dc 'A-HJ-NP-Za-km-z2-9')
    password=${password:0:8}
    # Given on standard input: on the command line, ps would show it.
    printf '%s\n%s\ny\n' "$password" "$password" |
        (umask 077 && x11vnc -storepasswd "$vnc_dir/passwd") >/dev/null 2>&1 || true
    if [ ! -s "$vnc_dir/passwd" ]; then
        echo "Could not store the VNC password in $vnc_dir/passwd." >&2
        exit 1
    fi
    echo "No display found (DISPLAY is not set)."
    echo "Starting Quorvin on a virtual display."
    # The password goes in the environment, which other users cannot read,
    # and is printed once the server listens, with the port it found free.
    # shellcheck disable=SC2016  # expanded by the inner shell
    QUORVIN_VNC_PASSWORD=$password xvfb-run -a -s "-screen 0 1280x800x24" bash -c '
        port=$(x11vnc -display "$DISPLAY" -localhost -rfbauth "$1/passwd" -forever -quiet \
                   -bg -o "$1/x11vnc.log" 2>/dev/null | sed -n "s/^PORT=//p")
        if [ -z "$port" ]; then
            echo "The VNC server did not start; its log:" >&2
            cat "$1/x11vnc.log" >&2
            exit 1
        fi
        echo "To see and use it, connect a VNC viewer to localhost:$port (from another machine:"
        echo "ssh -L $port:localhost:$port this-machine, then localhost:$port there)."
        echo "VNC password, for this start only: $QUORVIN_VNC_PASSWORD"
        echo "Close the program with File > Exit, or press Ctrl+C here."
        unset QUORVIN_VNC_PASSWORD
        exec "$0"' build/app/quorvin "$vnc_dir"
}

case "${1:-run}" in
    run)
        build
        ensure_runtime_dir
        if [ -z "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
            run_without_display
        else
            build/app/quorvin
        fi
        ;;
    test)
        build
        ensure_runtime_dir
        # The word processor round trips must run here, not skip.
        QUORVIN_REQUIRE_LIBREOFFICE=1 ctest --test-dir build --output-on-failure -j"$(nproc)"
        # The Debian package as lintian reads it: no error and no warning.
        (umask 022 && cd build && cpack -G DEB > /dev/null)
        lintian --fail-on error,warning build/quorvin_*.deb
        sanitizer_tests
        # A finding fails the run; its input stays in build-fuzz/artifacts.
        started=$SECONDS
        echo "Fuzzing each target for $fuzz_seconds s"
        tests/fuzz/run.sh "$fuzz_seconds" build-fuzz
        echo "Fuzz build and runs: $((SECONDS - started)) s"
        ;;
    package)
        build
        # Files installed with the usual modes, whatever the umask.
        (umask 022 && cd build && cpack -G DEB)
        echo "Package: $(ls build/quorvin_*.deb)"
        ;;
    *)
        echo "usage: $0 run|test|package" >&2
        exit 2
        ;;
esac
