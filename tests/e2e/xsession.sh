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

# How long the X server and the window manager may take to come up. A loaded two-core machine
# can take many seconds; only a process that has ended is a failure before this.
start_limit=${KEL_E2E_START_LIMIT:-300}

# Each limit below is what an idle machine needs; a loaded one gets this many times as long
# (a success never waits longer for it).
patience=${KEL_E2E_PATIENCE:-3}

# Waits up to $1 seconds (times the patience) for the command after it to succeed.
wait_for() {
    local limit=$(($1 * patience)); shift
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
    local xvfb=$!
    pids+=($xvfb)
    wait_until_up "$xvfb" "Xvfb" "$work/xvfb.log" test -s "$work/display"
    exec 3>&-
    export DISPLAY=":$(head -n1 "$work/display")"
    export QT_QPA_PLATFORM=xcb # the test suite runs everything else offscreen
    openbox >"$work/openbox.log" 2>&1 &
    local wm=$!
    pids+=($wm)
    # A window mapped while the window manager is still starting may stay unmanaged and unseen.
    wait_until_up "$wm" "the window manager" "$work/openbox.log" \
        bash -c "xprop -root _NET_SUPPORTING_WM_CHECK | grep -q 'window id'"
}

# Polls the command after the first three arguments until it succeeds: fails at once when the
# process $1 (named $2, its output in $3) has ended, else only after start_limit seconds.
wait_until_up() {
    local pid=$1 name=$2 log=$3; shift 3
    local deadline=$((SECONDS + start_limit))
    until "$@" >/dev/null 2>&1; do
        kill -0 "$pid" 2>/dev/null || fail "$name ended before it was up: $(cat "$log")"
        [ $SECONDS -lt $deadline ] ||
            fail "$name was not up after $start_limit seconds: $(cat "$log")"
        sleep 0.2
    done
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

# Positions inside the main window's client area ($main): the selection area starts below the
# 31-pixel info strip. A click on a closed box opens its list, which stays open; then the first
# entry of the list (a window of its own) is clicked.
click_at() { xdotool mousemove --window "$main" "$1" "$2" click 1; }
client_windows() { xdotool search --onlyvisible --classname kel14 | sort; }
choose_first() {
    local before popup
    before=$(client_windows)
    click_at "$1" "$2"
    wait_for 10 bash -c "[ \"\$(xdotool search --onlyvisible --classname kel14 | sort)\" != \"$before\" ]" ||
        fail "a click at $1,$2 opened no list"
    popup=$(comm -13 <(echo "$before") <(client_windows) | head -n1)
    eval "$(xdotool getwindowgeometry --shell "$popup")"
    xdotool mousemove $((X + 20)) $((Y + 8)) click 1
    wait_for 10 bash -c "! xdotool search --onlyvisible --classname kel14 | grep -qx '$popup'" ||
        fail "choosing an entry left the list open"
}
