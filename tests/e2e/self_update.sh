#!/usr/bin/env bash
# The self-update for real under Xvfb and a window manager: a client built to fetch its
# updates from 127.0.0.1:PORT signs in to a demo database whose server wants another
# program, downloads the newer build from a web server on that port, ends, and its script
# puts the newer build in its place and starts it, which comes back at its sign-in window
# and deletes the script.
# Usage: self_update.sh OLD_CLIENT NEWER_CLIENT KEL_DEMO PORT
# OLD_CLIENT is built with KEL_UPDATE_HOST=127.0.0.1:PORT; NEWER_CLIENT is the build served.
set -euo pipefail

old=$1
newer=$2
demo=$3
port=$4
source "$(dirname "$0")/xsession.sh"
command -v python3 >/dev/null || fail "missing python3 (scripts/deps.sh installs it)"
cmp -s "$old" "$newer" && fail "the old and the newer build are the same file"

# The installed client, its demo database, and a server that wants every client updated.
install -m 750 "$old" "$work/kel14"
"$demo" --dir "$work" >/dev/null
db="$work/Data/kel-demo.sqlite"
sqlite3 "$db" "UPDATE kel_srv_setting SET value = 'KEL 15' WHERE name = 'required_program'"
[ "$(sqlite3 "$db" "SELECT value FROM kel_srv_setting WHERE name = 'required_program'")" = "KEL 15" ] ||
    fail "the demo has no required_program setting"

# The newer build published as the README tells an administrator to.
mkdir -p "$work/site/kelprogs"
install -m 755 "$newer" "$work/site/kelprogs/KEL 14"
python3 -m http.server "$port" --bind 127.0.0.1 --directory "$work/site" >"$work/http.log" 2>&1 &
pids+=($!)
wait_for 10 bash -c "exec 5<>/dev/tcp/127.0.0.1/$port" ||
    fail "the web server did not start on 127.0.0.1:$port (is the port taken?)"

# Clients the update starts are no children of this script; none may outlive it.
clients() {
    local exe
    for exe in /proc/[0-9]*/exe; do
        [ "$(readlink "$exe" 2>/dev/null)" = "$work/kel14" ] && basename "$(dirname "$exe")"
    done
    return 0
}
has_client() { [ -n "$(clients)" ]; }
stop_clients() { clients | xargs -r kill -9 2>/dev/null; }
cleanup_hooks+=(stop_clients)

start_x
start_client
old_pid=$client_pid
sign_in_as_demo

# The notice, the download, and the end of the old client about two seconds later.
wait_for 20 grep -q '"GET /kelprogs/KEL%2014 HTTP/1.1" 200' "$work/http.log" ||
    fail "the client did not fetch the newer build: $(cat "$work/http.log")"
wait_for 15 bash -c "! kill -0 $old_pid" || fail "the old client did not end after the download"
wait "$old_pid" || fail "the old client ended with status $? (client: $(cat "$work/client.log"))"

# The script puts the newer build in place and starts it: a new process of the same file.
wait_for 30 cmp -s "$work/kel14" "$newer" || fail "the newer build did not replace the client"
[ -x "$work/kel14" ] || fail "the replaced client lost its run bit"
[ "$(stat -c %a "$work/kel14")" = 750 ] || fail "the replaced client has mode $(stat -c %a "$work/kel14"), not the old 750"
wait_for 30 has_client ||
    fail "the newer client was not started"
new_pid=$(clients | head -n1)
[ "$new_pid" != "$old_pid" ] || fail "the old client is still running"
wait_for 30 window_named "Аутентификация" || fail "the newer client showed no sign-in window"
wait_for 10 bash -c "[ ! -e '$work/KEL 14.sh' ]" || fail "the newer client left the script in place"
[ ! -e "$work/tempKEL" ] || fail "the temporary folder stayed: $(ls -la "$work/tempKEL")"

# The newer client works as the old one did: its sign-in window closes it.
xdotool windowactivate --sync "$(window_named "Аутентификация")" key alt+F4
wait_for 20 bash -c "! kill -0 $new_pid" || fail "the newer client did not end from its sign-in window"
echo "PASS: the client fetched the newer build from 127.0.0.1:$port, ended, and the newer" \
    "build (pid $new_pid) came up in its place at its sign-in window and deleted the script"
