# Shared pieces of scripts/run and scripts/test (sourced, not run): a private X display and a
# private PulseAudio server, both ended by PID when the calling script exits.

rig_pids=()
rig_dir=

rig_cleanup() {
    local pid
    for ((i = ${#rig_pids[@]} - 1; i >= 0; i--)); do
        pid=${rig_pids[i]}
        kill "$pid" 2>/dev/null || true
    done
    for pid in "${rig_pids[@]}"; do
        # Give each one a moment, then stop waiting: a hung server must not hang the script.
        for _ in 1 2 3 4 5 6 7 8 9 10; do
            kill -0 "$pid" 2>/dev/null || break
            sleep 0.1
        done
        kill -KILL "$pid" 2>/dev/null || true
    done
    rig_pids=()
    [[ -n $rig_dir ]] && rm -rf "$rig_dir"
    rig_dir=
}

rig_make_dir() {
    [[ -n $rig_dir ]] || rig_dir=$(mktemp -d /tmp/sonorin-rig.XXXXXX)
}

# Starts Xvfb on a free display with a random number, exports DISPLAY.
rig_start_xvfb() {
    rig_make_dir
    local display pid
    for _ in $(seq 1 20); do
        display=$((200 + RANDOM % 700))
        [[ -e /tmp/.X$display-lock || -e /tmp/.X11-unix/X$display ]] && continue
        Xvfb ":$display" -screen 0 1280x800x24 -nolisten tcp >"$rig_dir/xvfb.log" 2>&1 8>&- 9>&- &
        pid=$!
        for _ in $(seq 1 50); do
            [[ -e /tmp/.X11-unix/X$display ]] && break
            kill -0 "$pid" 2>/dev/null || break
            sleep 0.05
        done
        if kill -0 "$pid" 2>/dev/null && [[ -e /tmp/.X11-unix/X$display ]]; then
            rig_pids+=("$pid")
            export DISPLAY=:$display
            return 0
        fi
        kill "$pid" 2>/dev/null || true
    done
    echo "could not start Xvfb" >&2
    cat "$rig_dir/xvfb.log" >&2
    return 1
}

# Starts a private PulseAudio server with a null sink, made the default sink and its monitor
# the default source, plus a feeder of silence (without it capture starts a second or two
# late). Exports PULSE_SERVER.
rig_start_pulse() {
    rig_make_dir
    local runtime=$rig_dir/pulse pid
    mkdir -p "$runtime"
    chmod 700 "$runtime"
    XDG_RUNTIME_DIR=$runtime HOME=$runtime pulseaudio -n --daemonize=no --exit-idle-time=-1 \
        --disallow-exit --use-pid-file=no --system=no --log-target=stderr \
        -L "module-native-protocol-unix auth-anonymous=1 socket=$runtime/native" \
        -L "module-null-sink sink_name=nullsink rate=44100 channels=2 format=s16le" \
        >"$rig_dir/pulse.log" 2>&1 8>&- 9>&- &
    pid=$!
    rig_pids+=("$pid")
    export PULSE_SERVER=unix:$runtime/native
    for _ in $(seq 1 100); do
        pactl info >/dev/null 2>&1 && break
        kill -0 "$pid" 2>/dev/null || break
        sleep 0.05
    done
    if ! pactl info >/dev/null 2>&1; then
        echo "could not start PulseAudio" >&2
        cat "$rig_dir/pulse.log" >&2
        return 1
    fi
    pactl set-default-sink nullsink
    pactl set-default-source nullsink.monitor
    pacat --playback --raw --device=nullsink --latency-msec=10 --format=s16le --rate=44100 \
        --channels=2 </dev/zero >"$rig_dir/pacat.log" 2>&1 8>&- 9>&- &
    rig_pids+=("$!")
}

# The environment every Wine process of a run gets.
rig_wine_env() {
    export WINEPREFIX=$1 WINEARCH=win64 WINEDEBUG=-all WINEDLLOVERRIDES=mscoree=
    export LANG=zh_CN.UTF-8
    unset LC_ALL LC_CTYPE LC_MESSAGES
}

# Holds the prefix for this script alone (until it exits): two runs in one prefix would share
# one wineserver and end each other's programs.
rig_lock_prefix() {
    mkdir -p "$(dirname "$1")"
    exec 9>"$1.lock"
    if ! flock -n 9; then
        echo "waiting for another run that uses $1" >&2
        flock 9
    fi
}
