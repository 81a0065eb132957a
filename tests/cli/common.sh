# What the command-line tests share. The test names the program in PANELHOST
# (RUNNER in front of it when the build's programs need an emulator) and the
# bundled scenario in SCENARIO.
set -euo pipefail

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0

panelhost() { ${RUNNER:-} "$PANELHOST" "$@"; }

fail() {
  echo "FAIL: $*" >&2
  failures=$((failures + 1))
}

# expect STATUS PATTERN COMMAND...: the command exits with STATUS and its
# stderr (or stdout) holds a line matching PATTERN (grep -E).
expect() {
  local status=$1 pattern=$2 rc=0
  shift 2
  "$@" >"$work/out" 2>"$work/err" || rc=$?
  if [[ $rc != "$status" ]]; then
    fail "$* exited with $rc, not $status: $(head -3 "$work/err")"
  elif ! grep -Eq -- "$pattern" "$work/err" "$work/out"; then
    fail "$* did not say /$pattern/ but: $(head -3 "$work/err" "$work/out")"
  fi
}

# The bundled scenario cut to SECONDS, without the events it no longer reaches.
cut_scenario() {
  awk -v limit="$1" '
    /^duration = / { print "duration = " limit; next }
    /^snapshots = / { print "snapshots = []"; next }
    /^\[\[event\]\]$/ {
      getline at; split(at, parts, "= ")
      if (parts[2] + 0 > limit + 0) { getline; next }
      print; print at; next
    }
    { print }' "$SCENARIO"
}

finish() {
  if ((failures)); then
    echo "$failures failed" >&2
    exit 1
  fi
  echo "all passed"
}
