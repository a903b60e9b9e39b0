#!/usr/bin/env bash
# The real station's share of a core (utime + stime from /proc/PID/stat over a window) while it
# polls supplies on rir-sim with its window and log on screen (under xvfb-run), and then while
# the port is gone: the simulator is killed half-way, its link goes with it, and the station
# retries the port once a second.
#
#   bench/station_cpu.sh [--seconds 60] [--warmup 15] [--settle 5] [--supplies 8] [--baud 38400]
#                        [--no-wire-time] [--build build]
#
# --seconds is each window's length; --warmup the wait before the first (start-up, identification
# of every supply), --settle the wait after the kill. --no-wire-time lets the simulator answer at
# once instead of a byte at a time at the line's speed. Prints a Markdown table: the whole process,
# its UI thread and its bus thread, and the requests the simulator answered per second.
set -euo pipefail
cd "$(dirname "$0")/.."
# shellcheck source=bench/station_rig.sh
. bench/station_rig.sh

seconds=60
warmup=15
settle=5
while [ $# -gt 0 ]; do
    case "$1" in
    --seconds) seconds=$2; shift 2 ;;
    --warmup) warmup=$2; shift 2 ;;
    --settle) settle=$2; shift 2 ;;
    -h | --help) sed -n '2,14p' "$0"; exit 0 ;;
    *)
        rig_option "$@"
        [ "$rig_shift" -gt 0 ] || { echo "station_cpu: unknown option $1" >&2; exit 2; }
        shift "$rig_shift"
        ;;
    esac
done

rig_trap
hz=$(getconf CLK_TCK)

rig_prepare
rig_start_sim
rig_start_station
sleep "$warmup"
rig_alive
bus_tid=$(rig_threads | awk '$2 == "bus" { print $1 }')
[ -n "$bus_tid" ] || rig_die "the station has no bus thread"

# One window: the ticks of the process, its UI thread (the process's first thread) and the bus
# thread, and the requests answered, at its start and end. Prints one table row.
measure() {
    local what=$1 p0 u0 b0 r0 p1 u1 b1 r1 t0 t1
    t0=$(date +%s.%N)
    p0=$(rig_cpu_ticks "$rig_station_pid")
    u0=$(rig_cpu_ticks "$rig_station_pid/task/$rig_station_pid")
    b0=$(rig_cpu_ticks "$rig_station_pid/task/$bus_tid")
    r0=$(rig_requests)
    sleep "$seconds"
    rig_alive
    t1=$(date +%s.%N)
    p1=$(rig_cpu_ticks "$rig_station_pid")
    u1=$(rig_cpu_ticks "$rig_station_pid/task/$rig_station_pid")
    b1=$(rig_cpu_ticks "$rig_station_pid/task/$bus_tid")
    r1=$(rig_requests)
    awk -v what="$what" -v hz="$hz" -v t0="$t0" -v t1="$t1" -v p=$((p1 - p0)) -v u=$((u1 - u0)) \
        -v b=$((b1 - b0)) -v r=$((r1 - r0)) 'BEGIN {
        t = t1 - t0
        printf "| %s | %.0f | %.1f | %.2f %% | %.2f %% | %.2f %% |\n", what, t, r / t,
            100 * p / hz / t, 100 * u / hz / t, 100 * b / hz / t }'
}

wire="at wire speed"
[ "$RIG_WIRE_TIME" = 1 ] || wire="at once"
echo "Station CPU: $RIG_SUPPLIES supplies, MODBUS-ASCII at $RIG_BAUD baud, replies $wire, window and log on screen"
echo "($(nproc) cores, load average $(cut -d' ' -f1-3 /proc/loadavg) at the start)"
echo
echo "| phase | seconds | requests /s | station | UI thread | bus thread |"
echo "|---|---:|---:|---:|---:|---:|"
measure "polling"
rig_stop_sim
sleep "$settle"
rig_alive
measure "port gone (simulator killed)"
