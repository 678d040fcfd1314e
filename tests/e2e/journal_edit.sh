#!/usr/bin/env bash
# The real client on a fresh demo database under Xvfb and a window manager: sign in with the
# keyboard, choose a group, a semester and a discipline with clicks, change a mark and a "№"
# with the keyboard only, delete a row through the warning window, set the hand-in date of
# every "Ведомость" row, bring the deleted row back through Ctrl+Z+D, change a student's code,
# paste three numbers into "№" from the X clipboard and take the paste back with Alt+Backspace,
# close the program, and read the rows and the audit log back with sqlite3 against a copy
# taken before the run.
# Usage: journal_edit.sh KEL14 KEL_DEMO
# With KEL_E2E_SHOTS set to a folder, pictures of the restore and student codes windows are
# left there (ImageMagick's import).
set -euo pipefail

client=$1
demo=$2
[ -z "${KEL_E2E_SHOTS:-}" ] || KEL_E2E_SHOTS=$(realpath "$KEL_E2E_SHOTS")
source "$(dirname "$0")/xsession.sh"

# The client and its demo database in a folder of their own.
cp "$client" "$work/kel14"
"$demo" --dir "$work" >/dev/null
db="$work/Data/kel-demo.sqlite"
[ "$(sqlite3 "$db" "SELECT COUNT(*) FROM mark_mag WHERE p35 IN ('77', '901', '902', '903')")" = 0 ] ||
    fail "the demo holds № 77 or 901-903 already"
# Half of the "Ведомость" rows hold the bulk date of the run already: they are posted again
# but give no audit record. Stored as the client stores a date.
bulk_typed=07.02.2021
bulk_stored="2021-02-07 00:00:00"
# The server's bookkeeping trigger calls functions only the server has: it is set aside for
# this one change and put back as it was.
carried=$(sqlite3 "$db" "SELECT sql FROM sqlite_master WHERE name = 'mark_mag_carried'")
[ -n "$carried" ] || fail "the demo has no trigger mark_mag_carried"
sqlite3 "$db" "BEGIN; DROP TRIGGER mark_mag_carried;
    UPDATE mark_mag SET p36 = '$bulk_stored' WHERE id_f_est = 1 AND id_student % 2 = 1;
    $carried; COMMIT;"
sqlite3 "$db" "SELECT id_mark_mag, IFNULL(id_estimation, 'none') FROM mark_mag" >"$work/marks-before"
sqlite3 "$db" ".backup '$work/before.sqlite'"
deleted_before=$(sqlite3 "$db" "SELECT COUNT(*) FROM DEL_mark_mag")
logged_before=$(sqlite3 "$db" "SELECT COALESCE(MAX(id_log), 0) FROM KEL_LOG")

start_x
run_started=$(date '+%Y-%m-%d %H:%M:%S')
start_client

sign_in_as_demo

wait_for 30 window_named "KEL 14 Учет успеваемости" || fail "no main window after sign-in"
main=$(window_named "KEL 14 Учет успеваемости")
[ "$(xdotool getwindowname "$main")" = "KEL 14 Учет успеваемости" ] || fail "main window title"
xdotool windowactivate --sync "$main"
# The window is maximised; wait until it has its size.
wait_for 10 bash -c "xdotool getwindowgeometry '$main' | grep -q 'Geometry: 1[0-9][0-9][0-9]x'" ||
    fail "main window not maximised"

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

# The hand-in date for all, as a person sets it: a click in the date picker, Shift+Tab out
# and Tab back in selects its day, the date is typed over it; then "Установить дату" is
# clicked and the question answered with Enter, its default button being "Yes".
click_at 620 107
xdotool key --delay 80 shift+Tab Tab
xdotool type --delay 80 "$bulk_typed"
click_at 769 108
wait_for 20 window_named "Уведомление" || fail "no question for the bulk date"
question=$(window_named "Уведомление")
xdotool windowactivate --sync "$question" key Return
wait_for 60 bash -c "! xdotool search --onlyvisible --name '^(Уведомление|Загрузка)\$' >/dev/null" ||
    fail "the question or the notice stayed"

shot() {
    [ -n "${KEL_E2E_SHOTS:-}" ] || return 0
    sleep 0.5
    import -window "$2" "$KEL_E2E_SHOTS/$1.png"
}

# The deleted row comes back: the chord in the grid lists the deleted rows, Tab goes along the
# row to "Выбрать", Space ticks it, and OK restores it and loads the journal again.
click_at 250 187
xdotool keydown ctrl keydown z keydown d keyup d keyup z keyup ctrl
wait_for 20 window_named "Восстановление" || fail "no restore window"
restore=$(window_named "Восстановление")
xdotool windowactivate --sync "$restore"
xdotool key --delay 80 Tab Tab Tab Tab Tab Tab Tab space
shot restore "$restore"
xdotool mousemove --window "$restore" 520 345 click 1
wait_for 30 bash -c "! xdotool search --onlyvisible --name '^Восстановление\$' >/dev/null" ||
    fail "the restore window stayed"

# The first student's code: "Шифр Студентов", Tab to the code column, which opens for typing,
# the new code over the old, and the window closed with its close key, which saves it.
xdotool windowactivate --sync "$main"
click_at 34 71
wait_for 20 window_named "Шифры студентов" || fail "no student codes window"
codes=$(window_named "Шифры студентов")
xdotool windowactivate --sync "$codes"
xdotool key --delay 80 Tab
xdotool type --delay 80 "E2E-1"
shot student-codes "$codes"
xdotool key alt+F4
wait_for 20 bash -c "! xdotool search --onlyvisible --name '^Шифры студентов\$' >/dev/null" ||
    fail "the student codes window stayed"

# A column from a spreadsheet: three numbers on the X clipboard (xclip serves them until it is
# ended), Alt+V in the first row's "№" (five Tabs along from "Студент"), Enter for
# "Да"; then Alt+Backspace takes the whole paste back.
printf '901\t1\n902\t2\n903\t3\n' | xclip -selection clipboard -quiet >/dev/null 2>&1 &
pids+=($!)
xdotool windowactivate --sync "$main"
click_at 250 187
xdotool key --delay 80 Tab Tab Tab Tab Tab alt+v
wait_for 20 window_named "Уведомление" || fail "no question for the paste"
question=$(window_named "Уведомление")
xdotool windowactivate --sync "$question" key Return
pasted_rows() { sqlite3 "$db" "SELECT id_mark_mag FROM mark_mag WHERE p35 IN ('901', '902', '903')"; }
wait_for 20 bash -c "[ \"\$(sqlite3 '$db' \"SELECT COUNT(*) FROM mark_mag WHERE p35 IN ('901', '902', '903')\")\" = 3 ]" ||
    fail "the pasted column was not stored: $(pasted_rows | tr '\n' ' ')"
pasted=$(pasted_rows)
xdotool windowactivate --sync "$main" key alt+BackSpace
wait_for 20 bash -c "[ -z \"\$(sqlite3 '$db' \"SELECT id_mark_mag FROM mark_mag WHERE p35 IN ('901', '902', '903')\")\" ]" ||
    fail "Alt+Backspace did not take the paste back"

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
# Everything else is compared with the copy taken before the run. The journal as loaded: the
# edited row's selection without the rows of "не изучает" (the filter shown at the start);
# the bulk date's rows: its "Ведомость" rows still there.
compare() {
    sqlite3 "$db" <<SQL
ATTACH '$work/before.sqlite' AS b;
CREATE TEMP VIEW gone AS
    SELECT id_mark_mag FROM b.mark_mag EXCEPT SELECT id_mark_mag FROM main.mark_mag;
CREATE TEMP VIEW loaded AS
    SELECT o.* FROM b.mark_mag o, b.mark_mag e
    WHERE e.id_mark_mag = $row AND o.id_group = e.id_group AND o.id_semester = e.id_semester
      AND o.id_discipline = e.id_discipline AND o.id_examination = e.id_examination
      AND o.id_estimation <> 25;
CREATE TEMP VIEW bulk AS
    SELECT id_mark_mag, p36 FROM loaded
    WHERE id_f_est = 1 AND id_mark_mag <> ${gone:-0};
$1
SQL
}
gone=$(sqlite3 "$db" "SELECT row_id FROM KEL_LOG WHERE id_log > $logged_before
    AND descr LIKE 'Запись с уникальным номером - %'")
[ "$(echo "$gone" | wc -w)" = 1 ] || fail "not exactly one row was deleted: $gone"
[ "$(compare "SELECT COUNT(*) FROM loaded WHERE id_mark_mag = $gone")" = 1 ] ||
    fail "the deleted row $gone was not a row of the journal"
# Restored with its own key and values, and gone from the deleted rows.
[ "$(compare "SELECT COUNT(*) FROM main.mark_mag m JOIN b.mark_mag o USING (id_mark_mag)
    WHERE id_mark_mag = $gone AND m.id_student = o.id_student AND m.p35 IS o.p35
      AND m.p36 IS o.p36 AND m.id_estimation IS o.id_estimation")" = 1 ] ||
    fail "the deleted row $gone did not come back as it was"
[ "$(compare "SELECT COUNT(*) FROM gone")" = 0 ] || fail "rows are missing after the restore"
[ "$(sqlite3 "$db" "SELECT COUNT(*) FROM DEL_mark_mag")" = "$deleted_before" ] &&
    [ "$(sqlite3 "$db" "SELECT COUNT(*) FROM DEL_mark_mag WHERE id_mark_mag = $gone")" = 0 ] ||
    fail "DEL_mark_mag still holds the restored row $gone or lost others"
# The code went to one student of the journal.
coded=$(sqlite3 "$db" "SELECT id_student FROM s_fio WHERE idid = 'E2E-1'")
[ "$(echo "$coded" | wc -w)" = 1 ] || fail "not one student holds the code E2E-1: $coded"
[ "$(compare "SELECT COUNT(*) FROM loaded WHERE id_student = $coded")" -gt 0 ] ||
    fail "the student $coded who got the code is not in the journal"

# The bulk date: every "Ведомость" row of the journal holds it at midnight, no other row's
# hand-in date moved, and both kinds of rows were there to see it.
set_rows=$(compare "SELECT COUNT(*) FROM bulk")
already=$(compare "SELECT COUNT(*) FROM bulk WHERE p36 IS '$bulk_stored'")
[ "$already" -gt 0 ] && [ "$set_rows" -gt "$already" ] ||
    fail "the journal has $set_rows \"Ведомость\" rows, $already on the date already: nothing to see"
unset_rows=$(compare "SELECT m.id_mark_mag || '=' || IFNULL(m.p36, 'NULL')
    FROM bulk JOIN main.mark_mag m USING (id_mark_mag) WHERE m.p36 IS NOT '$bulk_stored'")
[ -z "$unset_rows" ] || fail "rows without the bulk date: $(echo $unset_rows)"
[ "$(compare "SELECT COUNT(*) FROM main.mark_mag m LEFT JOIN b.mark_mag o USING (id_mark_mag)
    WHERE m.p36 IS NOT o.p36 AND m.id_mark_mag NOT IN (SELECT id_mark_mag FROM bulk)")" = 0 ] ||
    fail "the hand-in date of a row outside the bulk date changed"

# The audit log holds exactly: the mark and the № of the edited row, the deleted row, one
# record of the new date for each bulk row whose date changed, and two of "№" (the paste and
# its undo) for each pasted row.
compare "SELECT row_id || ' ' || CASE
        WHEN descr LIKE 'Поле \"p35\" изменило значение %' THEN 'p35'
        WHEN descr LIKE 'Поле \"id_estimation\" изменило значение %' THEN 'mark'
        WHEN descr LIKE 'Поле \"p36\" изменило значение \"%\" на \"$bulk_typed\".' THEN 'date'
        WHEN descr LIKE 'Запись с уникальным номером - ''' || row_id || ''' была удалена - (%).'
            THEN 'deleted'
        ELSE descr END
    FROM main.KEL_LOG WHERE id_log > $logged_before ORDER BY 1" >"$work/log-after"
compare "SELECT x FROM (SELECT '$row p35' AS x UNION ALL SELECT '$row mark'
        UNION ALL SELECT '$gone deleted'
        UNION ALL SELECT id_mark_mag || ' date' FROM bulk WHERE p36 IS NOT '$bulk_stored'
        $(for r in $pasted; do printf "UNION ALL SELECT '%s p35' UNION ALL SELECT '%s p35' " "$r" "$r"; done))
    ORDER BY 1" >"$work/log-expected"
diff "$work/log-expected" "$work/log-after" >&2 ||
    fail "the audit log does not hold exactly the expected records (diff above: expected, found)"
# Every column of every new record: the journal's table and a row of it (the deleted one is
# back), the demo's login, the computer and its address, and what the server added: the
# user who signed in and a time within the run, in the local zone.
run_ended=$(date -d '+1 second' '+%Y-%m-%d %H:%M:%S')
computer=$(hostname)
bad_records=$(sqlite3 -separator ' ' "$db" "SELECT id_log, [table], typeof(row_id), row_id,
        KEL_User, comp, log_login, log_date FROM KEL_LOG WHERE id_log > $logged_before AND NOT (
        [table] = 'mark_mag' AND typeof(row_id) = 'integer'
        AND row_id IN (SELECT id_mark_mag FROM mark_mag) AND KEL_User = 'demo'
        AND log_login = 'demo'
        AND log_date BETWEEN '$run_started' AND '$run_ended')")
[ -z "$bad_records" ] || fail "audit records with a wrong column: $bad_records"
while IFS= read -r comp; do
    [[ "$comp" =~ ^([^\\]+)\\([0-9]{1,3}(\.[0-9]{1,3}){3})$ ]] &&
        [[ "$computer" == "${BASH_REMATCH[1]}"* ]] ||
        fail "the computer of an audit record is \"$comp\", not $computer\\address"
done < <(sqlite3 "$db" "SELECT DISTINCT comp FROM KEL_LOG WHERE id_log > $logged_before")
[ "$(sqlite3 "$db" "SELECT COUNT(DISTINCT comp) FROM KEL_LOG WHERE id_log > $logged_before")" = 1 ] ||
    fail "the audit records name more than one computer"
echo "PASS: row $row holds № 77 and mark $mark; row $gone deleted and restored; $set_rows" \
    "rows set to $bulk_typed, $((set_rows - already)) of them logged; student $coded coded E2E-1;" \
    "rows $(echo $pasted) pasted into and taken back"
