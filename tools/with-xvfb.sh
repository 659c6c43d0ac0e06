#!/usr/bin/env bash
# Runs a command under its own virtual X server. Xvfb picks a free display itself (-displayfd), so
# any number of these can start at once; xvfb-run -a races when several start together. -noreset
# keeps the server up between a test's connections (a reset makes the next connection fail). -r turns
# key autorepeat off: a key a test holds down stays one press however long a loaded machine takes to
# let it go.
set -u
fifo=$(mktemp -u /tmp/qel-xvfb.XXXXXX)
mkfifo "$fifo" || exit 1
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp -noreset -r 3>"$fifo" >/dev/null 2>&1 &
server=$!
read -r -t 20 display <"$fifo"
rm -f "$fifo"
if [ -z "${display:-}" ]; then
  echo "with-xvfb: the X server did not start" >&2
  kill "$server" 2>/dev/null
  exit 1
fi
DISPLAY=":$display" "$@"
status=$?
kill "$server" 2>/dev/null
wait "$server" 2>/dev/null
exit $status
