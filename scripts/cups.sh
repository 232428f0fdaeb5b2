#!/usr/bin/env bash
# A throw-away CUPS server for the tests, in a folder of its own, with one PDF queue (cups-pdf).
# It listens only on DIR/cups.sock, so it neither needs nor touches the machine's own CUPS.
#   scripts/cups.sh start DIR QUEUE   starts cupsd and adds QUEUE; clients use CUPS_SERVER=DIR/cups.sock
#   scripts/cups.sh stop DIR          stops it (and forgets its queue with it)
#   scripts/cups.sh stop-all ROOT     stops every server started in a folder below ROOT
# A job's PDF lands where cups-pdf puts it ("Out" of /etc/cups/cups-pdf.conf, by default ~/PDF
# of the user who printed), named after the job's title and number. Start exits with 3 and the
# reason when CUPS cannot start here.
set -euo pipefail
action=$1
dir=$2

cannot() {
    echo "$1" >&2
    exit 3
}

stop() {
    local d=$1
    [ -f "$d/cupsd.pid" ] || return 0
    local pid
    pid=$(cat "$d/cupsd.pid")
    if kill -0 "$pid" 2>/dev/null; then
        kill "$pid"
        for _ in $(seq 50); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
        kill -0 "$pid" 2>/dev/null && kill -9 "$pid"
    fi
    rm -f "$d/cupsd.pid"
}

case "$action" in
start)
    queue=$3
    [ "$(id -u)" -eq 0 ] || cannot "cups-pdf writes a job's PDF only when CUPS runs as root"
    [ -x /usr/sbin/cupsd ] || cannot "cupsd is not installed (Debian package cups)"
    [ -e /usr/lib/cups/backend/cups-pdf ] ||
        cannot "the cups-pdf backend is not installed (Debian package printer-driver-cups-pdf)"
    ppd=/usr/share/ppd/cups-pdf/CUPS-PDF_opt.ppd
    [ -f "$ppd" ] || cannot "$ppd is missing"
    command -v lpadmin >/dev/null || cannot "lpadmin is not installed (Debian package cups-client)"
    mkdir -p "$dir"/{spool,tmp,cache,state,log,ppd}
    # Filters run as lp: they must reach the spooled files and have a temporary folder.
    p=$dir
    while [ "$p" != / ]; do
        perms=$(stat -c %A "$p")
        [ "${perms:9:1}" = x ] || [ "${perms:9:1}" = t ] || chmod o+x "$p" 2>/dev/null ||
            cannot "$p is not reachable for CUPS's filters"
        p=$(dirname "$p")
    done
    chgrp lp "$dir/spool" && chmod 0710 "$dir/spool"
    chmod 1777 "$dir/tmp"
    cat >"$dir/cupsd.conf" <<EOF
Listen $dir/cups.sock
LogLevel warn
WebInterface No
Browsing No
<Location />
  Order allow,deny
  Allow all
</Location>
<Location /admin>
  Order allow,deny
  Allow all
</Location>
EOF
    cat >"$dir/cups-files.conf" <<EOF
ServerRoot $dir
RequestRoot $dir/spool
TempDir $dir/tmp
CacheDir $dir/cache
StateDir $dir/state
AccessLog $dir/log/access_log
ErrorLog $dir/log/error_log
PageLog $dir/log/page_log
SystemGroup root
EOF
    # Job numbers start at a random place, so the PDFs of servers started one after another (or
    # by two test runs at once) never share a file name.
    echo "NextJobId $((100000 + RANDOM * 32 + RANDOM % 32))" >"$dir/cache/job.cache"
    setsid /usr/sbin/cupsd -f -c "$dir/cupsd.conf" -s "$dir/cups-files.conf" \
        </dev/null >"$dir/log/cupsd.out" 2>&1 &
    echo $! >"$dir/cupsd.pid"
    export CUPS_SERVER="$dir/cups.sock"
    for _ in $(seq 100); do
        [ -S "$dir/cups.sock" ] && lpstat -r >/dev/null 2>&1 && break
        kill -0 "$(cat "$dir/cupsd.pid")" 2>/dev/null || break
        sleep 0.1
    done
    if ! lpstat -r >/dev/null 2>&1; then
        stop "$dir"
        cannot "cupsd did not start: $(tail -n 3 "$dir/log/error_log" "$dir/log/cupsd.out" 2>/dev/null)"
    fi
    # The Cairo renderer keeps the text of a PDF job readable in the PDF that comes out.
    if ! lpadmin -p "$queue" -v cups-pdf:/ -E -P "$ppd" -o pdftops-renderer-default=pdftocairo \
        2>"$dir/log/lpadmin.out"; then
        stop "$dir"
        cannot "the PDF queue could not be added: $(cat "$dir/log/lpadmin.out")"
    fi
    ;;
stop)
    stop "$dir"
    ;;
stop-all)
    [ -d "$dir" ] || exit 0
    while IFS= read -r pidfile; do stop "$(dirname "$pidfile")"; done \
        < <(find "$dir" -name cupsd.pid 2>/dev/null)
    ;;
*)
    echo "usage: scripts/cups.sh start DIR QUEUE | stop DIR | stop-all ROOT" >&2
    exit 2
    ;;
esac
