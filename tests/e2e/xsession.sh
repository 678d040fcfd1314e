# Sourced by the end-to-end scripts: a work folder removed at the end, the checks' helpers,
# and a real X server with a window manager in which the client runs.
# shellcheck shell=bash

for tool in Xvfb openbox xdotool xclip sqlite3; do
    command -v "$tool" >/dev/null || { echo "missing $tool (scripts/deps.sh installs it)" >&2; exit 1; }
done

work=$(mktemp -d)
pids=()
cleanup_hooks=()
cleanup() {
    for hook in "${cleanup_hooks[@]}"; do "$hook" || true; done
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    for pid in "${pids[@]}"; do wait "$pid" 2>/dev/null || true; done
    rm -rf "$work"
}
trap cleanup EXIT

fail() {
    echo "FAIL: $*" >&2
    if [ -n "${DISPLAY:-}" ]; then
        echo "windows on $DISPLAY:" >&2
        xdotool search --onlyvisible --name . 2>/dev/null | while read -r w; do
            echo "  $w $(xdotool getwindowname "$w")" >&2
        done
        # xwd (x11-apps) keeps a picture of the screen for whoever looks into the failure.
        if command -v xwd >/dev/null; then
            xwd -root -silent >"${TMPDIR:-/tmp}/kel-e2e-failure.xwd" 2>/dev/null || true
        fi
    fi
    exit 1
}

# Waits up to $1 seconds for the command after it to succeed.
wait_for() {
    local limit=$1; shift
    local deadline=$((SECONDS + limit))
    until "$@" >/dev/null 2>&1; do
        [ $SECONDS -lt $deadline ] || return 1
        sleep 0.1
    done
}

window_named() { xdotool search --onlyvisible --name "^$1\$" | head -n1; }

# Xvfb and openbox; DISPLAY and the platform are exported for everything started later.
start_x() {
    exec 3>"$work/display"
    Xvfb -displayfd 3 -screen 0 1600x1000x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
    pids+=($!)
    wait_for 10 test -s "$work/display" || fail "Xvfb did not start"
    exec 3>&-
    export DISPLAY=":$(head -n1 "$work/display")"
    export QT_QPA_PLATFORM=xcb # the test suite runs everything else offscreen
    openbox >"$work/openbox.log" 2>&1 &
    pids+=($!)
    # A window mapped while the window manager is still starting may stay unmanaged and unseen.
    wait_for 10 bash -c "xprop -root _NET_SUPPORTING_WM_CHECK | grep -q 'window id'" ||
        fail "the window manager did not start"
}

# Starts the client in the work folder under X; its process id is in client_pid.
start_client() {
    cd "$work"
    ./kel14 >"$work/client.log" 2>&1 &
    client_pid=$!
    pids+=($client_pid)
}

# Signs in with the keyboard as the demo's user in the sign-in window on the screen.
sign_in_as_demo() {
    local signin
    wait_for 30 window_named "Аутентификация" || fail "no sign-in window (client: $(cat "$work/client.log"))"
    signin=$(window_named "Аутентификация")
    [ "$(xdotool getwindowname "$signin")" = "Аутентификация" ] || fail "sign-in title"
    xdotool windowactivate --sync "$signin"
    xdotool type --delay 20 "demo"
    xdotool key --delay 20 Tab
    xdotool type --delay 20 "demo2024"
    xdotool key Return
}
