#!/usr/bin/env bash
# A print spooler of its own for trying and testing printing without touching the system's:
# a CUPS scheduler that listens only on a socket in FOLDER, with one cups-pdf queue that writes
# every job as a PDF file into FOLDER/out.
#
#   scripts/private-cupsd.sh start FOLDER [QUEUE]   prints "export CUPS_SERVER=FOLDER/cups.sock"
#   scripts/private-cupsd.sh stop FOLDER
#
# Programs run with that CUPS_SERVER see QUEUE (default "tarnova-pdf") as their default
# printer. FOLDER and the folders above it must be open to the scheduler's user lp. Needs root (cups-pdf runs only under a scheduler started by root) and the packages
# cups and printer-driver-cups-pdf. Exits 77 when the spooler cannot be had here.
set -euo pipefail

command=${1:-}
folder=${2:-}
queue=${3:-tarnova-pdf}
cannot() {
    echo "private-cupsd: $*" >&2
    exit 77
}

if [ -z "$command" ] || [ -z "$folder" ]; then
    echo "usage: $0 start FOLDER [QUEUE] | stop FOLDER" >&2
    exit 2
fi

if [ "$command" = stop ]; then
    if [ -f "$folder/cupsd.pid" ]; then
        pid=$(cat "$folder/cupsd.pid")
        kill "$pid" 2>/dev/null || true
        # It saves its state on the way out; wait until it has.
        for _ in $(seq 1 50); do
            kill -0 "$pid" 2>/dev/null || break
            sleep 0.1
        done
        rm -f "$folder/cupsd.pid"
    fi
    if [ -f "$folder/queue" ]; then
        rm -f "/etc/cups/cups-pdf-$(cat "$folder/queue").conf"
    fi
    exit 0
fi

[ "$(id -u)" -eq 0 ] || cannot "cups-pdf prints only under a scheduler started by root"
command -v cupsd >/dev/null || cannot "no cupsd (package cups)"
command -v lpadmin >/dev/null || cannot "no lpadmin (package cups-client)"
[ -x /usr/lib/cups/backend/cups-pdf ] || cannot "no cups-pdf backend (package printer-driver-cups-pdf)"
ppd=""
for candidate in /usr/share/ppd/cups-pdf/CUPS-PDF_opt.ppd /usr/share/ppd/cups-pdf/*.ppd; do
    [ -f "$candidate" ] && ppd=$candidate && break
done
[ -n "$ppd" ] || cannot "no cups-pdf PPD"
# cups-pdf reads its settings for a queue from /etc/cups/cups-pdf-QUEUE.conf and nowhere else.
[ -w /etc/cups ] || cannot "/etc/cups is not writable"

mkdir -p "$folder"/{etc,spool,tmp,cache,state,log,out,cups-pdf-spool}
folder=$(cd "$folder" && pwd)
# The scheduler's filters run as user lp and walk through the folder.
chmod 755 "$folder"
chmod 1777 "$folder/tmp"
echo "$queue" >"$folder/queue"

cat >"$folder/etc/cups-files.conf" <<EOF
ServerRoot $folder/etc
RequestRoot $folder/spool
TempDir $folder/tmp
CacheDir $folder/cache
StateDir $folder/state
AccessLog $folder/log/access_log
ErrorLog $folder/log/error_log
PageLog $folder/log/page_log
Printcap $folder/printcap
SystemGroup root
Sandboxing Relaxed
EOF
cat >"$folder/etc/cupsd.conf" <<EOF
Listen $folder/cups.sock
Browsing No
WebInterface No
LogLevel info
DefaultAuthType None
<Location />
  Order allow,deny
  Allow all
</Location>
<Policy default>
  <Limit All>
    Order deny,allow
  </Limit>
</Policy>
EOF
cat >"/etc/cups/cups-pdf-$queue.conf" <<EOF
Out $folder/out
AnonDirName $folder/out
Spool $folder/cups-pdf-spool
Log $folder/log
Grp root
EOF

cupsd -f -c "$folder/etc/cupsd.conf" -s "$folder/etc/cups-files.conf" \
    >"$folder/log/cupsd.out" 2>&1 &
echo $! >"$folder/cupsd.pid"
for _ in $(seq 1 50); do
    [ -S "$folder/cups.sock" ] && break
    sleep 0.2
done
if [ ! -S "$folder/cups.sock" ]; then
    "$0" stop "$folder"
    cannot "cupsd did not start: $(tail -n 3 "$folder/log/cupsd.out" "$folder/log/error_log" 2>/dev/null)"
fi

export CUPS_SERVER="$folder/cups.sock"
lpadmin -p "$queue" -E -v "cups-pdf:/$queue" -P "$ppd" 2>/dev/null ||
    { "$0" stop "$folder"; cannot "the queue $queue cannot be made"; }
lpadmin -d "$queue"
echo "export CUPS_SERVER=$folder/cups.sock"
