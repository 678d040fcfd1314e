#!/usr/bin/env bash
# The real client on a fresh demo database under Xvfb and a window manager: sign in with the
# keyboard, choose a group, a semester and a discipline with clicks, change a mark and a "№"
# with the keyboard only, delete a row through the warning window, close the program, and
# read the rows and the audit log back with sqlite3.
# Usage: journal_edit.sh KEL14 KEL_DEMO
set -euo pipefail

client=$1
demo=$2
for tool in Xvfb openbox xdotool sqlite3; do
    command -v "$tool" >/dev/null || { echo "missing $tool (scripts/deps.sh installs it)" >&2; exit 1; }
done

work=$(mktemp -d)
pids=()
cleanup() {
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    for pid in "${pids[@]}"; do wait "$pid" 2>/dev/null || true; done
    rm -rf "$work"
}
trap cleanup EXIT

fail() {
    echo "FAIL: $*" >&2
    echo "windows on $DISPLAY:" >&2
    xdotool search --onlyvisible --name . 2>/dev/null | while read -r w; do
        echo "  $w $(xdotool getwindowname "$w")" >&2
    done
    # xwd (x11-apps) keeps a picture of the screen for whoever looks into the failure.
    if [ -n "${DISPLAY:-}" ] && command -v xwd >/dev/null; then
        xwd -root -silent >"${TMPDIR:-/tmp}/kel-e2e-failure.xwd" 2>/dev/null || true
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

# The client and its demo database in a folder of their own.
cp "$client" "$work/kel14"
"$demo" --dir "$work" >/dev/null
db="$work/Data/kel-demo.sqlite"
[ "$(sqlite3 "$db" "SELECT COUNT(*) FROM mark_mag WHERE p35 = '77'")" = 0 ] ||
    fail "the demo holds № 77 already"
sqlite3 "$db" "SELECT id_mark_mag, IFNULL(id_estimation, 'none') FROM mark_mag" >"$work/marks-before"
deleted_before=$(sqlite3 "$db" "SELECT COUNT(*) FROM DEL_mark_mag")
logged_before=$(sqlite3 "$db" "SELECT COALESCE(MAX(id_log), 0) FROM KEL_LOG")

exec 3>"$work/display"
Xvfb -displayfd 3 -screen 0 1600x1000x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
pids+=($!)
wait_for 10 test -s "$work/display" || fail "Xvfb did not start"
export DISPLAY=":$(head -n1 "$work/display")"
export QT_QPA_PLATFORM=xcb # the test suite runs everything else offscreen
openbox >"$work/openbox.log" 2>&1 &
pids+=($!)
# A window mapped while the window manager is still starting may stay unmanaged and unseen.
wait_for 10 bash -c "xprop -root _NET_SUPPORTING_WM_CHECK | grep -q 'window id'" ||
    fail "the window manager did not start"

cd "$work"
./kel14 >"$work/client.log" 2>&1 &
client_pid=$!
pids+=($client_pid)

window_named() { xdotool search --onlyvisible --name "^$1\$" | head -n1; }

wait_for 30 window_named "Аутентификация" || fail "no sign-in window (client: $(cat "$work/client.log"))"
signin=$(window_named "Аутентификация")
[ "$(xdotool getwindowname "$signin")" = "Аутентификация" ] || fail "sign-in title"
xdotool windowactivate --sync "$signin"
xdotool type --delay 20 "demo"
xdotool key --delay 20 Tab
xdotool type --delay 20 "demo2024"
xdotool key Return

wait_for 30 window_named "KEL 14 Учет успеваемости" || fail "no main window after sign-in"
main=$(window_named "KEL 14 Учет успеваемости")
[ "$(xdotool getwindowname "$main")" = "KEL 14 Учет успеваемости" ] || fail "main window title"
xdotool windowactivate --sync "$main"
# The window is maximised; wait until it has its size.
wait_for 10 bash -c "xdotool getwindowgeometry '$main' | grep -q 'Geometry: 1[0-9][0-9][0-9]x'" ||
    fail "main window not maximised"

# Positions inside the window's client area: the selection area starts below the 31-pixel
# info strip. A click on a closed box opens its list, which stays open; then the first entry
# of the list (a window of its own) is clicked.
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
choose_first 290 44    # group
choose_first 715 44    # semester
choose_first 515 73    # discipline: loads the journal

# Into the grid: a click on the first row's "Студент" cell (below the two-line titles), then
# the keyboard only: Tab to "Оценка", open its list, take the last mark, Tab twice to "№",
# type, and Down to leave the row. The client takes the events in order, so nothing waits
# for the load.
click_at 250 187
xdotool key --delay 80 Tab Tab Tab F4 End Return Tab Tab
xdotool type --delay 80 "77"
xdotool key --delay 80 Down

# The third row goes: a Ctrl+click on its indicator selects it, Ctrl+Delete asks, Enter is "Да".
xdotool mousemove --window "$main" 12 225 keydown ctrl click 1 keyup ctrl
xdotool key ctrl+Delete
wait_for 20 window_named "Предупреждение..." || fail "no warning window"
warning=$(window_named "Предупреждение...")
[ "$(xdotool getwindowname "$warning")" = "Предупреждение..." ] || fail "warning window title"
xdotool windowactivate --sync "$warning" key Return
wait_for 20 bash -c "! xdotool search --onlyvisible --name '^Предупреждение' >/dev/null" ||
    fail "the warning window stayed"

xdotool windowactivate --sync "$main" key alt+F4
wait_for 30 bash -c "! kill -0 $client_pid" || fail "the client did not end after closing"

row=$(sqlite3 "$db" "SELECT id_mark_mag FROM mark_mag WHERE p35 = '77'")
[ -n "$row" ] || fail "№ 77 was not stored (client: $(cat "$work/client.log"))"
mark=$(sqlite3 "$db" "SELECT IFNULL(id_estimation, 'none') FROM mark_mag WHERE id_mark_mag = $row")
# The last entry of the mark list: the marks of the row's form of control, as the client
# reads them.
last=$(sqlite3 "$db" "SELECT id_estimation FROM est2 WHERE id_examination =
    (SELECT id_examination FROM mark_mag WHERE id_mark_mag = $row)" | tail -n1)
was=$(grep "^$row|" "$work/marks-before" | cut -d'|' -f2)
[ "$mark" = "$last" ] || fail "row $row holds mark $mark, not the picked $last"
[ "$was" != "$last" ] || fail "row $row held mark $last already: the pick shows nothing"
if grep -E "^(QWidget|QObject|QAbstractItemView)|(closeEditor|commitData) called|Cannot change" \
    "$work/client.log"; then
    fail "the client printed warnings"
fi
# The audit log: the two changed fields of the edited row, then the deleted row.
new_log() { sqlite3 "$db" "SELECT COUNT(*) FROM KEL_LOG WHERE id_log > $logged_before AND $1"; }
[ "$(new_log "row_id = $row AND descr LIKE 'Поле \"p35\" изменило значение%'")" = 1 ] ||
    fail "no audit record of № for row $row"
[ "$(new_log "row_id = $row AND descr LIKE 'Поле \"id_estimation\" изменило значение%'")" = 1 ] ||
    fail "no audit record of the mark for row $row"
[ "$(new_log "descr LIKE 'Запись с уникальным номером - %была удалена%'")" = 1 ] ||
    fail "no audit record of the deletion"
[ "$(new_log "1=1")" = 3 ] || fail "audit records: $(new_log "1=1"), not 3"
[ "$(sqlite3 "$db" "SELECT COUNT(*) FROM DEL_mark_mag")" = $((deleted_before + 1)) ] ||
    fail "the deleted row is not kept in DEL_mark_mag"
echo "PASS: row $row holds № 77 and mark $mark; one row deleted; three audit records"
