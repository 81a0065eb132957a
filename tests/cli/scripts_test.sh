#!/usr/bin/env bash
# scripts/run and scripts/live from another folder: the paths a user names
# are relative to the folder the command was typed in. Run by scripts/test
# once the default build is there (the scripts build it otherwise).
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
SCENARIO=$root/data/scenarios/harbour-hop.toml
source "$here/common.sh"
cd "$work"
cut_scenario 2 | sed 's/^name = "Harbour hop"/name = "From elsewhere"/' >my.toml

"$root/scripts/run" my.toml --out here --quiet --no-animation >run.out 2>&1 || fail "scripts/run my.toml: $(tail -3 run.out)"
grep -q '"name": "From elsewhere"' here/flight.json 2>/dev/null || fail "scripts/run did not fly ./my.toml into ./here"

mkdir -p sub && cd sub
"$root/scripts/run" ../my.toml --out ../there --quiet --no-animation >run.out 2>&1 ||
  fail "scripts/run ../my.toml: $(tail -3 run.out)"
[[ -f ../there/panel.png ]] || fail "scripts/run did not write ../there from sub/"
cd "$work"

(exec "$root/scripts/live" my.toml --port 0 >live.out 2>&1) &
pid=$!
for _ in $(seq 600); do
  grep -q "^live panel of " live.out && break
  kill -0 "$pid" 2>/dev/null || break
  sleep 0.1
done
grep -q "^live panel of From elsewhere on http://127.0.0.1:" live.out || fail "scripts/live my.toml: $(tail -3 live.out)"
kill -TERM "$pid" 2>/dev/null || true
wait "$pid" || true

finish
