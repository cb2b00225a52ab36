#!/usr/bin/env bash
# Sets up, builds and runs Quorvin on Debian 12.
#   ./build.sh run    install missing packages, build, start the program
#   ./build.sh test   install missing packages, build, run every test, run them
#                     again in a sanitizer build (build-asan), then fuzz each
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

# Without a display the program runs on a virtual one that a VNC viewer can
# reach, so that it can still be used from another machine.
run_without_display() {
    install_packages x11vnc
    echo "No display found (DISPLAY is not set)."
    echo "Starting Quorvin on a virtual display. To see and use it, connect a VNC viewer"
    echo "to localhost:5900 (from another machine: ssh -L 5900:localhost:5900 this-machine)."
    echo "Close the program with File > Exit, or press Ctrl+C here."
    exec xvfb-run -a -s "-screen 0 1280x800x24" bash -c \
        'x11vnc -display "$DISPLAY" -localhost -nopw -forever -quiet -bg \
             -o /tmp/quorvin-x11vnc.log >/dev/null 2>&1; exec "$0"' build/app/quorvin
}

case "${1:-run}" in
    run)
        build
        if [ -z "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
            run_without_display
        fi
        exec build/app/quorvin
        ;;
    test)
        build
        # The word processor round trips must run here, not skip.
        QUORVIN_REQUIRE_LIBREOFFICE=1 ctest --test-dir build --output-on-failure -j"$(nproc)"
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
