#!/usr/bin/env bash
# Start-up of the operator program with the demo board: the seconds from the
# start of `quorvik DEMO.QOR` until its main window, titled after the file
# (so the file is loaded), is mapped on the display. Each run starts the
# program afresh and ends it once the window shows; the figures are the runs
# in order, then their median.
#
#   bench/startup.sh [BUILD_DIR] [RUNS]      (defaults: build, 9)
#
# Without a display it starts itself under xvfb-run (1280x1024x24) with
# openbox as the window manager when that is installed. It needs xdotool
# (apt-get install xdotool). The program's settings go to a folder of the
# run's own (XDG_CONFIG_HOME), so runs neither read nor leave a user's.
set -euo pipefail

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
BUILD="$(cd "${1:-$ROOT/build}" && pwd)"
RUNS="${2:-9}"

if ! command -v xdotool >/dev/null 2>&1; then
    echo "startup.sh: нужен xdotool (apt-get install xdotool)" >&2
    exit 1
fi
if [ -z "${DISPLAY:-}" ]; then
    exec xvfb-run -a -s "-screen 0 1280x1024x24" "$0" "$BUILD" "$RUNS"
fi

WORK="$(mktemp -d)"
cleanup() {
    [ -n "${WM_PID:-}" ] && kill "$WM_PID" 2>/dev/null || true
    rm -rf "$WORK"
}
trap cleanup EXIT
if command -v openbox >/dev/null 2>&1 && ! xdotool search --name . >/dev/null 2>&1; then
    openbox >/dev/null 2>&1 &
    WM_PID=$!
    sleep 0.5
fi

# A copy of the program beside which nothing of an earlier run lies: it
# keeps its settings beside itself when that folder is writable.
mkdir -p "$WORK/bin" "$WORK/demo"
cp "$BUILD"/bin/quorvik "$BUILD"/bin/quorvik-edit "$BUILD"/bin/quorvik-splitbytes \
    "$BUILD"/bin/quorvik-selftest "$WORK/bin/"
cp "$BUILD"/examples/demo/* "$WORK/demo/"

now() { date +%s%N; }

one_run() {
    local start end pid window
    start=$(now)
    "$WORK/bin/quorvik" "$WORK/demo/DEMO.QOR" >/dev/null 2>&1 &
    pid=$!
    window=""
    while [ -z "$window" ]; do
        if ! kill -0 "$pid" 2>/dev/null; then
            echo "startup.sh: программа завершилась до показа окна" >&2
            return 1
        fi
        window=$(xdotool search --onlyvisible --pid "$pid" --name '^DEMO\.QOR' 2>/dev/null | head -1 || true)
    done
    end=$(now)
    kill "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
    echo $(((end - start) / 1000000))
}

# The first run fills the file system's caches and writes the settings.
one_run >/dev/null
times=()
for _ in $(seq "$RUNS"); do
    times+=("$(one_run)")
done
sorted=($(printf '%s\n' "${times[@]}" | sort -n))
median=${sorted[$((RUNS / 2))]}
echo "start-up to the demo board's window, ms: ${times[*]}"
echo "median: $median ms (load average: $(cut -d' ' -f1-3 /proc/loadavg))"
