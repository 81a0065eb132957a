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

# scripts/world over a folder of a simulator's own files, into a folder named
# from here: a newer nav.dat under "Custom Data" is taken before the default one.
mkdir -p "mysim/Resources/default data" "mysim/Custom Data"
cp "$root/tests/world/excerpts/apt1100.dat" mysim/apt.dat
cp "$root/tests/world/excerpts/nav810.dat" "mysim/Resources/default data/earth_nav.dat"
cp "$root/tests/world/excerpts/nav1100.dat" "mysim/Custom Data/earth_nav.dat"
cp "$root/tests/world/excerpts/fix1101.dat" "mysim/Custom Data/earth_fix.dat"
"$root/scripts/world" --from mysim --out worlds/mine --date 2026-06-01 >world.out 2>&1 ||
  fail "scripts/world --from mysim: $(tail -3 world.out)"
[[ -f worlds/mine/system/world.json && -f worlds/mine/system/waypoint.pod ]] || fail "scripts/world did not write ./worlds/mine"
grep -q "Custom Data/earth_nav.dat: X-Plane nav.dat 1100" world.out || fail "scripts/world did not take Custom Data's nav.dat: $(cat world.out)"
grep -q "^airpvarmag.pod: 4 airports" world.out || fail "scripts/world did not print the counts: $(cat world.out)"
grep -q -- "--world $work/worlds/mine\$" world.out || fail "scripts/world did not print the command to fly over it: $(tail -2 world.out)"

finish
