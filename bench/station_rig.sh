# The real station against rir-sim, for the shell benchmarks (soak.sh, station_cpu.sh): the
# simulator with N supplies on a pseudo-terminal, the station under xvfb-run with settings of its
# own in a temporary folder, and the clean-up of everything started. Sourced, not run.
#
# The sourcing script sets, before calling rig_start_* (rig_option takes them from its command
# line):
#   RIG_BUILD      the build folder (default build)
#   RIG_SUPPLIES   supplies on the bus (default 8): addresses 1..N, model 2, configuration 1
#   RIG_BAUD       the station's speed (default 38400)
#   RIG_WIRE_TIME  1 (default): the simulator sends each reply byte after its time on the wire

RIG_BUILD=${RIG_BUILD:-build}
RIG_SUPPLIES=${RIG_SUPPLIES:-8}
RIG_BAUD=${RIG_BAUD:-38400}
RIG_WIRE_TIME=${RIG_WIRE_TIME:-1}

# The options every rig script takes (--supplies N, --baud B, --no-wire-time, --build DIR): sets
# the RIG_ variable and rig_shift to the arguments taken, 0 when $1 is none of them.
rig_option() {
    rig_shift=0
    case "$1" in
    --supplies) RIG_SUPPLIES=$2; rig_shift=2 ;;
    --baud) RIG_BAUD=$2; rig_shift=2 ;;
    --no-wire-time) RIG_WIRE_TIME=0; rig_shift=1 ;;
    --build) RIG_BUILD=$2; rig_shift=2 ;;
    esac
}

rig_dir=""
rig_link=""
rig_sim_pid=""
rig_xvfb_pid=""
rig_station_pid=""
rig_server_pid=""

rig_die() {
    echo "$(basename "$0"): $*" >&2
    exit 1
}

# Ends what the rig started, each by its own id: the station first (SIGTERM closes it like its
# close button), so that xvfb-run ends by itself and takes its X server along; whatever is still
# there after a few seconds is killed.
rig_cleanup() {
    local pid
    if [ -n "$rig_station_pid" ] && kill -0 "$rig_station_pid" 2>/dev/null; then
        kill -TERM "$rig_station_pid" 2>/dev/null || true
    fi
    rig_stop_sim
    for _ in $(seq 50); do
        [ -n "$rig_xvfb_pid" ] && kill -0 "$rig_xvfb_pid" 2>/dev/null || break
        sleep 0.1
    done
    for pid in "$rig_station_pid" "$rig_xvfb_pid" "$rig_server_pid"; do
        [ -n "$pid" ] && kill -KILL "$pid" 2>/dev/null || true
    done
    [ -n "$rig_xvfb_pid" ] && wait "$rig_xvfb_pid" 2>/dev/null || true
    [ -n "$rig_dir" ] && rm -rf "$rig_dir"
    rig_dir=""
}

rig_stop_sim() {
    if [ -n "$rig_sim_pid" ] && kill -0 "$rig_sim_pid" 2>/dev/null; then
        kill -TERM "$rig_sim_pid" 2>/dev/null || true
        wait "$rig_sim_pid" 2>/dev/null || true
    fi
    rig_sim_pid=""
}

rig_trap() {
    trap 'rig_cleanup' EXIT
    trap 'exit 130' INT
    trap 'exit 143' TERM HUP
}

# The simulator's supplies and a settings file that lists them as tabs, with the port, MODBUS-ASCII
# and the speed, the log on screen and no log file.
rig_prepare() {
    [ -x "$RIG_BUILD/src/sim/rir-sim" ] || rig_die "no $RIG_BUILD/src/sim/rir-sim: build it first"
    [ -x "$RIG_BUILD/src/gui/rir-controller" ] || rig_die "no $RIG_BUILD/src/gui/rir-controller: build it first"
    command -v xvfb-run >/dev/null || rig_die "xvfb-run is not installed (apt-get install xvfb)"
    rig_dir=$(mktemp -d "${TMPDIR:-/tmp}/rir-bench.XXXXXX")
    rig_link="$rig_dir/bus"
    mkdir -p "$rig_dir/config" "$rig_dir/work"
    local ini="$rig_dir/config/rir-controller.INI"
    {
        printf '%s\r\n' "[RIR Control RS485]" "Port=$rig_link" "Protocol=ASCII" "Speed=$RIG_BAUD" \
            "Tabs=$RIG_SUPPLIES" "ActiveTab=1" "LogToScreen=1" "LogToFile=0"
        local a
        for a in $(seq "$RIG_SUPPLIES"); do
            printf '%s\r\n' "[$(printf 'Tab_%02d' "$a")]" "Name=#$a" "Id=$a"
        done
    } >"$ini"
}

# The simulator logs every frame (--verbose); a small awk keeps only the number of requests it has
# answered, in $rig_dir/requests (every 20th), so that the log cannot fill the disk in a long run.
rig_start_sim() {
    local args=(--framing ascii --link "$rig_link" --verbose)
    [ "$RIG_WIRE_TIME" = 1 ] && args+=(--wire-time)
    local a
    for a in $(seq "$RIG_SUPPLIES"); do
        args+=(--device "$a:2:1")
    done
    echo 0 >"$rig_dir/requests"
    "$RIG_BUILD/src/sim/rir-sim" "${args[@]}" >"$rig_dir/sim.out" \
        2> >(awk -v out="$rig_dir/requests" '/ request / { if (++n % 20 == 0) { print n > out; close(out) } }
                                        !/ (request|reply|received) / { print > "/dev/stderr" }' 2>"$rig_dir/sim.err") &
    rig_sim_pid=$!
    for _ in $(seq 100); do
        [ -e "$rig_link" ] && return 0
        kill -0 "$rig_sim_pid" 2>/dev/null || rig_die "rir-sim ended: $(cat "$rig_dir/sim.err")"
        sleep 0.05
    done
    rig_die "rir-sim made no link at $rig_link"
}

# The station under xvfb-run, in a scratch current directory (where a log file would go).
rig_start_station() {
    local station
    station=$(realpath "$RIG_BUILD/src/gui/rir-controller")
    (cd "$rig_dir/work" && exec env XDG_CONFIG_HOME="$rig_dir/config" RIR_EXTRA_PORTS="$rig_link" \
        xvfb-run -a -s "-screen 0 1280x1024x24" "$station" >"$rig_dir/station.out" 2>&1) &
    rig_xvfb_pid=$!
    for _ in $(seq 200); do
        rig_station_pid=$(pgrep -P "$rig_xvfb_pid" -x rir-controller || true)
        rig_server_pid=$(pgrep -P "$rig_xvfb_pid" -x Xvfb || true)
        [ -n "$rig_station_pid" ] && return 0
        kill -0 "$rig_xvfb_pid" 2>/dev/null || rig_die "xvfb-run ended: $(cat "$rig_dir/station.out")"
        sleep 0.05
    done
    rig_die "the station did not start"
}

# utime + stime in clock ticks of a process ("PID") or one of its threads ("PID/task/TID"):
# fields 14 and 15 of its stat file, counted after the command name, which may hold blanks.
rig_cpu_ticks() {
    local stat
    stat=$(cat "/proc/$1/stat" 2>/dev/null) || return 1
    stat=${stat##*) }
    # shellcheck disable=SC2086
    set -- $stat
    echo $((${12} + ${13}))
}

rig_requests() {
    cat "$rig_dir/requests" 2>/dev/null || echo 0
}

# The station's threads by name: "TID NAME" per line.
rig_threads() {
    local t
    for t in /proc/"$rig_station_pid"/task/*; do
        echo "${t##*/} $(cat "$t/comm" 2>/dev/null)"
    done
}

rig_rss_kb() {
    awk '/^VmRSS:/ { print $2 }' "/proc/$1/status" 2>/dev/null
}

rig_alive() {
    kill -0 "$rig_station_pid" 2>/dev/null || rig_die "the station ended: $(tail -5 "$rig_dir/station.out")"
}
