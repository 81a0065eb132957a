#!/usr/bin/env bash
# What panelhost says to a user who types something wrong, and --version.
here=$(dirname "$0")
source "$here/common.sh"
cd "$work"

expect 2 "^panelhost: unknown command 'fy' \(fly, serve or list\)$" panelhost fy scen.toml
expect 2 "^panelhost: unknown command 'fy'" panelhost fy
# One line and where to look, not the whole usage.
panelhost fy >out 2>err || true
[[ $(cat err) == "panelhost: unknown command 'fy' (fly, serve or list)"$'\n'"see panelhost --help" ]] ||
  fail "panelhost fy said more or less than the line and the pointer: $(cat err)"
expect 2 "^see panelhost --help$" panelhost fly --frobnicate
expect 1 "^panelhost: $work: is a folder, not a scenario file$" panelhost fly "$work"
expect 1 "^panelhost: nothing.toml: cannot be read: No such file or directory$" panelhost fly nothing.toml
expect 0 "^panelhost [0-9]+\.[0-9]+, the host of the panel suite$" panelhost --version
expect 0 "^usage: panelhost" panelhost --help
expect 2 "^panelhost: --speed: 'fast' is not a number from 1 to 16$" panelhost serve --speed fast
expect 2 "^panelhost: --speed: '20' is not a number from 1 to 16$" panelhost serve --speed 20
expect 2 "^panelhost: --port: '-1' is not a whole number from 0 to 65535$" panelhost serve --port -1

# A scenario refused as the live page refuses the same values, with its line.
cut_scenario 2 >short.toml
sed 's/value = 4721/value = 9999/' "$SCENARIO" >xpdr.toml
line=$(grep -n 'value = 9999' xpdr.toml | cut -d: -f1)
expect 1 "^panelhost: xpdr.toml:$line: a transponder code is four digits 0 to 7, not 9999$" panelhost fly xpdr.toml
sed -e 's/^duration = .*/duration = 60.0/' -e 's/^snapshots = .*/snapshots = []/' "$SCENARIO" >late.toml
line=$(grep -n '^at = 120.0' late.toml | head -1 | cut -d: -f1)
expect 1 "^panelhost: late.toml:$line: the event at 120 s comes after the flight's last frame \(59.967 s of 60 s\)$" \
  panelhost fly late.toml

# Gauges that overlap: a warning with the line, and the flight goes on.
awk '/^name = "com"$/ { com = 1 } com && /^x = 216$/ { print "x = 200"; com = 0; next } { print }' short.toml >overlap.toml
line=$(grep -n '^name = "com"$' overlap.toml | cut -d: -f1)
expect 0 "^panelhost: overlap.toml:$((line - 1)): warning: \"com\" overlaps \"display\" on the panel; it is drawn on top$" \
  panelhost fly overlap.toml --out overlap-out --quiet --no-animation
[[ -f overlap-out/panel.png ]] || fail "the overlapping panel was not flown"

# The live panel: a fractional starting speed, and an address that is none.
(exec ${RUNNER:-} "$PANELHOST" serve --port 0 --speed 2.5 >serve.out 2>serve.err) &
pid=$!
port=""
for _ in $(seq 300); do
  port=$(sed -n 's/.*http:\/\/127.0.0.1:\([0-9]*\)\/.*/\1/p' serve.out)
  [[ -n $port ]] && break
  kill -0 "$pid" 2>/dev/null || break
  sleep 0.1
done
if grep -q "no live panel" serve.err; then
  echo "this build has no live panel: its checks are skipped"
elif [[ -z $port ]]; then
  fail "serve --speed 2.5 did not start: $(cat serve.err)"
else
  exec 3<>"/dev/tcp/127.0.0.1/$port"
  printf 'GET /api/status HTTP/1.0\r\nHost: x\r\n\r\n' >&3
  status=$(cat <&3)
  exec 3<&-
  grep -q '"speed":2.5' <<<"$status" || fail "serve --speed 2.5 runs at: $(grep -o '"speed":[^,]*' <<<"$status")"
  expect 1 "^panelhost: cannot listen on 999.1.1.1 \(any free port\): not an address of this machine" \
    panelhost serve --address 999.1.1.1 --port 0
  if grep -q "port -1" "$work/err"; then fail "the address message names port -1"; fi
fi
kill -TERM "$pid" 2>/dev/null || true
wait "$pid" || true

finish
