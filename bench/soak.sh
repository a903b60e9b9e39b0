#!/usr/bin/env bash
# The real station polling supplies on rir-sim for a long time with its window and log on screen
# (under xvfb-run): its resident memory (VmRSS from /proc/PID/status) every interval, to show that
# nothing it keeps grows with time.
#
#   bench/soak.sh [--seconds 3600] [--interval 60] [--warmup 300] [--supplies 8] [--baud 38400]
#                 [--no-wire-time] [--build build]
#
# Prints one line per sample (seconds since the start, VmRSS in kB, requests the simulator has
# answered), then the growth from the first sample at or after --warmup seconds to the last, and
# the largest sample.
set -euo pipefail
cd "$(dirname "$0")/.."
# shellcheck source=bench/station_rig.sh
. bench/station_rig.sh

seconds=3600
interval=60
warmup=300
while [ $# -gt 0 ]; do
    case "$1" in
    --seconds) seconds=$2; shift 2 ;;
    --interval) interval=$2; shift 2 ;;
    --warmup) warmup=$2; shift 2 ;;
    -h | --help) sed -n '2,11p' "$0"; exit 0 ;;
    *)
        rig_option "$@"
        [ "$rig_shift" -gt 0 ] || { echo "soak: unknown option $1" >&2; exit 2; }
        shift "$rig_shift"
        ;;
    esac
done
[ "$interval" -gt 0 ] || { echo "soak: --interval must be positive" >&2; exit 2; }

rig_trap

rig_prepare
rig_start_sim
rig_start_station
start=$(date +%s)

wire="at wire speed"
[ "$RIG_WIRE_TIME" = 1 ] || wire="at once"
echo "# soak: $RIG_SUPPLIES supplies, MODBUS-ASCII at $RIG_BAUD baud, replies $wire, window and log on screen"
echo "# station PID $rig_station_pid; $seconds s, a sample every $interval s; growth counted from $warmup s"
echo "# seconds rss_kB requests"
base=""
last=""
largest=0
elapsed=0
while :; do
    rig_alive
    rss=$(rig_rss_kb "$rig_station_pid")
    [ -n "$rss" ] || rig_die "no VmRSS for the station"
    echo "$elapsed $rss $(rig_requests)"
    [ -z "$base" ] && [ "$elapsed" -ge "$warmup" ] && base=$rss
    last=$rss
    [ "$rss" -gt "$largest" ] && largest=$rss
    [ "$elapsed" -ge "$seconds" ] && break
    # Samples keep to the start's clock, so a slow sample does not push the later ones back.
    next=$((elapsed + interval))
    [ "$next" -gt "$seconds" ] && next=$seconds
    now=$(($(date +%s) - start))
    [ "$next" -gt "$now" ] && sleep $((next - now))
    elapsed=$(($(date +%s) - start))
done
if [ -n "$base" ]; then
    echo "# growth after warm-up: $((last - base)) kB ($base -> $last kB); largest sample $largest kB"
else
    echo "# the run ended before the warm-up; largest sample $largest kB"
fi
