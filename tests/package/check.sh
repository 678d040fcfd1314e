#!/usr/bin/env bash
# The Debian package as an administrator and a member of staff meet it, on this machine (as
# root; CI runs it after scripts/package.sh): lintian finds no error; apt installs it; the
# menu entry and the AppStream data validate; the client, started by the menu entry's command
# as a plain user under Xvfb, reaches its sign-in window and says "File not found" without a
# settings file; with one written by kel-settings for every user it signs in to its main
# window; told by the server that it is outdated, it asks for the administrator and ends
# without downloading; dpkg -r keeps the settings, dpkg --purge takes them, and nothing of
# the package is left behind.
# Usage: tests/package/check.sh kel14_<version>_amd64.deb
set -euo pipefail

[ $# -eq 1 ] && [ -f "$1" ] || { echo "usage: $0 kel14_<version>_amd64.deb" >&2; exit 2; }
deb=$(realpath "$1")
here=$(cd "$(dirname "$0")" && pwd)
[ "$(id -u)" -eq 0 ] || { echo "installs a package: run as root" >&2; exit 1; }
bash "$here/../../scripts/deps.sh" lintian desktop-file-utils appstream
if dpkg-query -W -f='${Status}' kel14 2>/dev/null | grep -q 'ok installed'; then
    echo "kel14 is installed on this machine already; remove it first" >&2
    exit 1
fi

source "$here/../e2e/xsession.sh"
# The client runs as a user who may write nothing of the installation.
user=nobody
uid=$(id -u "$user")
gid=$(id -g "$user")
as_user() { setpriv --reuid="$uid" --regid="$gid" --clear-groups "$@"; }

version=$(dpkg-deb -f "$deb" Version)
[ "$(basename "$deb")" = "kel14_${version}_amd64.deb" ] || fail "package file name $(basename "$deb")"

echo "== lintian"
lintian --fail-on error "$deb" || fail "lintian found errors"

echo "== install"
snapshot() {
    find /usr /etc /opt /srv /var/lib -xdev -not -path '/var/lib/dpkg/*' -not -path '/var/lib/apt/*' \
        -not -path '/var/lib/ucf/*' 2>/dev/null | sort
}
snapshot >"$work/before"
purge_package() {
    dpkg-query -W kel14 >/dev/null 2>&1 && dpkg --purge kel14 >/dev/null 2>&1
    return 0
}
cleanup_hooks+=(purge_package)
DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "$deb" >"$work/apt.log" 2>&1 ||
    fail "apt-get install: $(cat "$work/apt.log")"
dpkg -L kel14 >"$work/files"

program=/usr/lib/kel14/kel14
desktop=/usr/share/applications/ru.kel14.kel14.desktop
for path in "$program" /usr/lib/kel14/kel-settings /usr/lib/kel14/kel-demo \
    /usr/lib/kel14/installed-by-package "$desktop" /usr/share/metainfo/ru.kel14.kel14.metainfo.xml \
    /usr/share/icons/hicolor/48x48/apps/kel14.png /usr/share/icons/hicolor/256x256/apps/kel14.png \
    /usr/share/man/man1/kel-settings.1.gz /usr/share/doc/kel14/copyright /usr/share/doc/kel14/changelog.gz; do
    grep -qx "$path" "$work/files" || fail "the package does not hold $path"
done
for tool in kel14 kel-settings kel-demo; do
    [ "$(readlink -f "/usr/bin/$tool")" = "/usr/lib/kel14/$tool" ] || fail "/usr/bin/$tool does not lead to /usr/lib/kel14"
done
[ "$(readlink /usr/lib/kel14/Data)" = /etc/kel14 ] && [ -d /etc/kel14 ] || fail "Data is not /etc/kel14"
[ "$(kel-settings --version)" = "kel-settings (KEL 14) $version" ] ||
    fail "kel-settings --version says '$(kel-settings --version)', the package $version"
desktop-file-validate "$desktop" || fail "desktop-file-validate"
appstreamcli validate --no-net /usr/share/metainfo/ru.kel14.kel14.metainfo.xml || fail "appstreamcli validate"
# The menu starts what Exec names, found on the path.
command=$(sed -n 's/^Exec=//p' "$desktop")
[ "$(command -v "$command")" = /usr/bin/kel14 ] || fail "the menu entry starts '$command'"

# The client's working folder (it keeps its address history there) and its home.
chmod 711 "$work"
home=$work/home
mkdir "$home"
chown "$uid:$gid" "$home"
chmod 700 "$home"
start_packaged_client() {
    (cd "$home" && exec setpriv --reuid="$uid" --regid="$gid" --clear-groups \
        env HOME="$home" XDG_RUNTIME_DIR="$home" "$command") >"$work/client.log" 2>&1 &
    client_pid=$!
    pids+=($client_pid)
}
type_sign_in() {
    local signin
    wait_for 30 window_named "Аутентификация" || fail "no sign-in window (client: $(cat "$work/client.log"))"
    signin=$(window_named "Аутентификация")
    xdotool windowactivate --sync "$signin"
    xdotool type --delay 20 "$1"
    xdotool key --delay 20 Tab
    xdotool type --delay 20 "$2"
    xdotool key Return
}
client_ended() { ! kill -0 "$client_pid" 2>/dev/null; }
# Closes a window with its close key, again while the client has not ended: a key sent while
# the window is still settling may go nowhere.
close_and_wait() {
    local window=$1 try
    for try in 1 2 3 4 5 6; do
        xdotool windowactivate "$window" 2>/dev/null || true
        xdotool key alt+F4
        wait_for 5 client_ended && return 0
    done
    return 1
}

start_x
title="KEL 14 Учет успеваемости"

echo "== no settings file: the sign-in window, then \"File not found\""
start_packaged_client
type_sign_in demo demo2024
# The error box has the application's title; the main window, of the same title, is hidden.
wait_for 20 window_named "$title" || fail "no error box (client: $(cat "$work/client.log"))"
xdotool windowactivate --sync "$(window_named "$title")" key Return
wait_for 10 bash -c "! xdotool search --onlyvisible --name '^$title\$' >/dev/null" || fail "the box stayed"
kill -0 "$client_pid" 2>/dev/null || fail "the client ended after the box"
window_named "Аутентификация" >/dev/null || fail "the sign-in window went with the box"
close_and_wait "$(window_named "Аутентификация")" || fail "the client did not end from its sign-in window"
wait "$client_pid" || fail "the client ended with status $?"

echo "== one settings file for every user, written by kel-settings"
# A demo database the client's user may write, named in at most 20 bytes.
kel-demo --dir "$work/demo" >/dev/null
short=$(mktemp -d /tmp/kXXX)
remove_short() { rm -rf "$short"; }
cleanup_hooks+=(remove_short)
sqlite3 "$work/demo/Data/kel-demo.sqlite" ".backup '$short/d.sqlite'"
chown -R "$uid:$gid" "$short"
kel-settings kel_check kel_check_demo "$short/d.sqlite" KEL >/dev/null
[ "$(stat -c '%a %U' /etc/kel14/KEL)" = "644 root" ] || fail "/etc/kel14/KEL is $(stat -c '%a %U' /etc/kel14/KEL)"
as_user kel-settings --print | grep -qx "server:   $short/d.sqlite" || fail "a user does not read /etc/kel14/KEL"
start_packaged_client
type_sign_in demo demo2024
wait_for 30 window_named "$title" || fail "no main window after sign-in (client: $(cat "$work/client.log"))"
main=$(window_named "$title")
wait_for 10 bash -c "xdotool getwindowgeometry '$main' | grep -q 'Geometry: 1[0-9][0-9][0-9]x'" ||
    fail "the window with the title is not the maximised main window"
# The close key reaches the main window only now and then here (the client sits idle in its
# event loop); whether it closes is the journal's end-to-end test's business.
kill "$client_pid"
wait_for 20 client_ended || fail "the client did not end"
wait "$client_pid" 2>/dev/null || true

echo "== outdated: the packaged client asks for the administrator and downloads nothing"
# The package's build fetches from localhost: a web server there that would hand out a build.
mkdir -p "$work/site/kelprogs"
cp "$program" "$work/site/kelprogs/KEL 14"
python3 -m http.server 80 --bind :: --directory "$work/site" >"$work/http.log" 2>&1 &
pids+=($!)
wait_for 10 bash -c "exec 5<>/dev/tcp/127.0.0.1/80" || fail "no web server on port 80 (is it taken?)"
sqlite3 "$short/d.sqlite" "UPDATE kel_srv_setting SET value = 'KEL 15' WHERE name = 'required_program'"
chown -R "$uid:$gid" "$short"
start_packaged_client
type_sign_in demo demo2024
# Its notice: a box of its own caption; an update that failed to write would be an error box.
wait_for 30 window_named "Уведомление" || fail "no notice (client: $(cat "$work/client.log"))"
xdotool windowactivate --sync "$(window_named "Уведомление")" key Return
wait_for 20 client_ended || fail "the client did not end after the notice"
wait "$client_pid" || fail "the client ended with status $?"
! grep -q "GET" "$work/http.log" || fail "the packaged client fetched a build: $(cat "$work/http.log")"
[ ! -e /usr/lib/kel14/tempKEL ] && [ ! -e "/usr/lib/kel14/KEL 14.sh" ] || fail "the client began an update"
cmp -s "$program" <(dpkg-deb --fsys-tarfile "$deb" | tar -xO ./usr/lib/kel14/kel14) ||
    fail "the installed client changed"

echo "== remove, then purge"
dpkg -r kel14 >/dev/null
for path in /usr/lib/kel14 /usr/bin/kel14 /usr/bin/kel-settings "$desktop"; do
    [ ! -e "$path" ] && [ ! -L "$path" ] || fail "dpkg -r left $path"
done
[ -f /etc/kel14/KEL ] || fail "dpkg -r took the administrator's settings file"
dpkg --purge kel14 >/dev/null
[ ! -e /etc/kel14 ] || fail "dpkg --purge left /etc/kel14: $(ls -la /etc/kel14)"
! dpkg-query -W kel14 >/dev/null 2>&1 || fail "dpkg still knows kel14"
ls /var/lib/dpkg/info/kel14.* >/dev/null 2>&1 && fail "dpkg keeps $(ls /var/lib/dpkg/info/kel14.*)"
snapshot >"$work/after"
# What is new and belongs to no package (apt may have installed a dependency) was left behind.
left=$(comm -13 "$work/before" "$work/after" | while read -r path; do
    dpkg -S "$path" >/dev/null 2>&1 || echo "$path"
done | grep -v -e '/mimeinfo\.cache$' -e '/icon-theme\.cache$' -e '^/etc/ld\.so\.cache$' || true)
[ -z "$left" ] || fail "left behind: $left"
while read -r path; do
    [ -e "$path" ] || [ -L "$path" ] || continue
    grep -qx "$path" "$work/before" || fail "left behind: $path"
done <"$work/files"
echo "PASS: kel14 $version built clean, installed, started to its sign-in window, its" \
    "\"File not found\" box and its main window, refused to update itself, and was purged"
