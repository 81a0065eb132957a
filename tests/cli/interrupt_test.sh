#!/usr/bin/env bash
# A flight stopped by Ctrl+C (SIGINT) or SIGTERM says so in one line, exits
# with 128 + the signal and leaves nothing behind: no output, no partial folder.
here=$(dirname "$0")
source "$here/common.sh"
cd "$work"
sed 's/^duration = .*/duration = 100000.0/' "$SCENARIO" >long.toml

for signal in INT TERM; do
  want=$((128 + $(kill -l "$signal")))
  (exec ${RUNNER:-} "$PANELHOST" fly long.toml --out out --no-animation --quiet >fly.out 2>fly.err) &
  pid=$!
  # Interrupt it while it flies: once the partial folder holds the run folder.
  for _ in $(seq 600); do
    compgen -G ".out.partial-*/run/system" >/dev/null && break
    sleep 0.05
  done
  sleep 0.3
  kill -"$signal" "$pid"
  rc=0
  wait "$pid" || rc=$?
  [[ $rc == "$want" ]] || fail "SIG$signal: exit status $rc, not $want ($(cat fly.err))"
  lines=$(wc -l <fly.err)
  [[ $lines == 1 ]] || fail "SIG$signal: $lines lines on stderr: $(cat fly.err)"
  grep -Eq "^panelhost: interrupted by SIG$signal.*wrote nothing$" fly.err || fail "SIG$signal: said $(cat fly.err)"
  leftovers=$(ls -A)
  [[ $leftovers == $'fly.err\nfly.out\nlong.toml' ]] || fail "SIG$signal: left behind: $leftovers"
done

finish
