#!/usr/bin/env bash
# The real client under Xvfb and a window manager loads a journal of 100,000 students while its
# main window is pinged as a window manager pings it (_NET_WM_PING) every 50 ms:
# every ping is answered in time, so the window never counts as "not responding", and the load
# still ends with every student in the journal.
# Usage: responsive_load.sh KEL14 KEL_DEMO
set -euo pipefail

client=$1
demo=$2
here=$(cd "$(dirname "$0")" && pwd)
source "$here/xsession.sh"

cp "$client" "$work/kel14"
"$demo" --dir "$work" >/dev/null
db="$work/Data/kel-demo.sqlite"
students=100000
# The same students in every group, so the group chosen first holds them whichever it is.
sqlite3 "$db" "BEGIN;
    WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < $students)
    INSERT INTO s_fio SELECT 5000000 + i, 'Студент ' || printf('%06d', i), NULL FROM n;
    INSERT INTO group_student SELECT g.id_group, s.id_student FROM st_group g, s_fio s
        WHERE s.id_student > 5000000;
    COMMIT;"
# A round trip the user would notice; a loaded machine gets its patience.
limit_ms=${KEL_E2E_PING_LIMIT_MS:-$((100 * patience))}

start_x
start_client
sign_in_as_demo
wait_for 30 window_named "KEL 14 Учет успеваемости" || fail "no main window after sign-in"
main=$(window_named "KEL 14 Учет успеваемости")
xdotool windowactivate --sync "$main"
wait_for 10 bash -c "xdotool getwindowgeometry '$main' | grep -q 'Geometry: 1[0-9][0-9][0-9]x'" ||
    fail "main window not maximised"
python3 "$here/wm_ping.py" "$main" 5000 >/dev/null || fail "the idle window answers no ping"

choose_first 290 44 # group
choose_first 715 44 # semester

pings="$work/pings"
: >"$pings"
python3 "$here/wm_ping.py" "$main" "$limit_ms" "$work/stop-pings" >"$pings" &
pinger=$!
pids+=($pinger)

load_started=$SECONDS
choose_first 515 73 # discipline: loads the journal
marks="SELECT COUNT(*) FROM mark_mag WHERE id_student > 5000000"
wait_for 120 bash -c "[ \"\$(sqlite3 '$db' '$marks')\" -ge $students ]" ||
    fail "the journal's rows were not made"
wait_for 300 bash -c "! xdotool search --onlyvisible --name '^Загрузка\$' >/dev/null" ||
    fail "the journal did not finish loading"
load_seconds=$((SECONDS - load_started))
sleep 1
touch "$work/stop-pings"
wait "$pinger" || true
kill -0 "$client_pid" 2>/dev/null || fail "the client ended (client: $(cat "$work/client.log"))"

answered=$(grep -cv '^none$' "$pings" || true)
late=$(grep -c '^none$' "$pings" || true)
longest=$(grep -v '^none$' "$pings" | sort -n | tail -n1)
[ "$answered" -ge 5 ] || fail "only $answered pings during the load"
[ "$late" = 0 ] || fail "$late of $((answered + late)) pings went unanswered for $limit_ms ms"
echo "PASS: $answered pings answered while $students rows loaded (about $load_seconds s)," \
    "the longest in ${longest} ms (limit $limit_ms ms)"
