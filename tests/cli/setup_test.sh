#!/usr/bin/env bash
# scripts/setup against a registry that fails the way real ones do: an index
# mid-update (status 100), a source out of reach (a warning with status 0),
# packages that cannot be installed. apt-get, dpkg and dpkg-query are stand-ins
# on PATH that keep the "installed" packages in a file, so nothing on this
# machine is touched.
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
source "$here/common.sh"

stub=$work/stub
mkdir -p "$stub/bin"
cat >"$stub/bin/dpkg-query" <<'EOF'
#!/usr/bin/env bash
# dpkg-query -W -f=FORMAT PACKAGE
grep -qxF -- "${!#}" "$STUB/installed" && printf 'install ok installed' && exit 0
echo "dpkg-query: no packages found matching ${!#}" >&2
exit 1
EOF
cat >"$stub/bin/dpkg" <<'EOF'
#!/usr/bin/env bash
case $1 in
  --print-foreign-architectures) cat "$STUB/arches" ;;
  --add-architecture) echo "$2" >>"$STUB/arches" ;;
esac
EOF
cat >"$stub/bin/apt-get" <<'EOF'
#!/usr/bin/env bash
echo "$*" >>"$STUB/apt.log"
for a; do [[ $a == update || $a == install ]] && verb=$a; done
if [[ $verb == update ]]; then
  case $(cat "$STUB/update") in
    mid-sync)
      echo "Err:4 http://deb.example/debian-security bookworm-security/main i386 Packages"
      echo "  File has unexpected size (374820 != 376004). Mirror sync in progress? [IP: 192.0.2.1 80]"
      echo "E: Failed to fetch http://deb.example/debian-security/dists/bookworm-security/main/binary-i386/Packages.xz  File has unexpected size (374820 != 376004). Mirror sync in progress? [IP: 192.0.2.1 80]"
      echo "E: Some index files failed to download. They have been ignored, or old ones used instead."
      exit 100 ;;
    unreachable)
      echo "Err:1 http://unreachable.example bookworm InRelease"
      echo "W: Failed to fetch http://unreachable.example/dists/bookworm/InRelease  Could not resolve 'unreachable.example'"
      echo "W: Some index files failed to download. They have been ignored, or old ones used instead."
      exit 0 ;;
  esac
  exit 0
fi
shift $(($(printf '%s\n' "$@" | grep -nx install | cut -d: -f1)))
want=()
for a; do [[ $a == -* ]] || want+=("$a"); done
for p in "${want[@]}"; do
  if grep -qxF -- "$p" "$STUB/broken"; then
    echo "The following packages have unmet dependencies:"
    echo " libc6-dev:i386 : Depends: linux-libc-dev:i386 but it is not going to be installed"
    echo " $p : Depends: zlib1g:i386 (= 1:1.2.13.dfsg-1) but it is not installable"
    echo "E: Unable to correct problems, you have held broken packages."
    exit 100
  fi
done
printf '%s\n' "${want[@]}" >>"$STUB/installed"
EOF
printf '#!/bin/sh\nexec "$@"\n' >"$stub/bin/sudo"
# df -Pk FOLDER: the free kilobytes the test sets.
cat >"$stub/bin/df" <<'EOF'
#!/usr/bin/env bash
echo "Filesystem 1024-blocks Used Available Capacity Mounted on"
echo "/dev/stub 100000000 0 $(cat "$STUB/free_kb") 1% /"
EOF
chmod +x "$stub/bin/"*

# Every package of the job's lists, as scripts/setup names them.
packages() { sed -n '/^build=(/,/^)/p; /^live=(/,/^)/p; /^fuzz=(/,/^)/p; /^linux_i686=(/,/^)/p;
                     /^windows_i686=(/,/^)/p; /^wine=(/,/^)/p; /^browser=(/,/^)/p; /^world=(/,/^)/p' "$root/scripts/setup" |
             grep -E '^  [a-z0-9]' | sed 's/^ *//' | sort -u; }

# setup JOB: runs scripts/setup with the stand-ins; output in $work/out.
setup() {
  local rc=0
  STUB=$stub PATH="$stub/bin:$PATH" SETUP_RETRY_PAUSE=0 SETUP_REPORT=$stub/report \
    "$root/scripts/setup" "$1" >"$work/out" 2>&1 || rc=$?
  return $rc
}
fresh() {  # INSTALLED-FILTER UPDATE-MODE BROKEN...
  packages | grep -vE "$1" >"$stub/installed" || true
  echo "$2" >"$stub/update"
  shift 2
  printf '%s\n' "$@" >"$stub/broken"
  : >"$stub/apt.log"; : >"$stub/report"; : >"$stub/arches"
  echo 67108864 >"$stub/free_kb"
}

# Everything there: nothing printed, apt not asked.
fresh '^$' ok
setup test || fail "setup test with everything installed failed: $(cat "$work/out")"
[[ ! -s $work/out && ! -s $stub/apt.log ]] || fail "setup with everything installed said or asked something: $(cat "$work/out" "$stub/apt.log")"

# An index mid-update: tried three times, one warning, and the build's
# packages installed all the same.
fresh '^cmake$' mid-sync
setup run || fail "setup run failed on an index mid-update: $(cat "$work/out")"
[[ $(grep -c ' update$' "$stub/apt.log") == 3 ]] || fail "apt-get update not tried three times: $(cat "$stub/apt.log")"
grep -qF 'setup: warning: apt-get update failed 3 times (status 100), so these package lists are old or missing: http://deb.example/debian-security/dists/bookworm-security/main/binary-i386/Packages.xz: File has unexpected size (374820 != 376004). Mirror sync in progress?; going on with the lists there are' "$work/out" ||
  fail "no one-line warning for the index: $(cat "$work/out")"
[[ $(grep -c '^setup: warning' "$work/out") == 1 ]] || fail "more than one warning line: $(cat "$work/out")"
grep -qx cmake "$stub/installed" || fail "cmake not installed after the warning"

# A source out of reach: status 0 from apt, a warning all the same.
fresh '^cmake$' unreachable
setup run || fail "setup run failed with a source out of reach: $(cat "$work/out")"
grep -qF "setup: warning: apt-get update failed 3 times (status 0), so these package lists are old or missing: http://unreachable.example/dists/bookworm/InRelease: Could not resolve 'unreachable.example'; going on" "$work/out" ||
  fail "no warning for a source out of reach: $(cat "$work/out")"

# i386 libraries that cannot be installed: linux-i686 and the Wine run are
# left out with apt's reason, every other target is set up, the job goes on.
fresh '^(cmake|clang|chromium|zlib1g-dev:i386|libpng-dev:i386|wine32:i386|g\+\+-mingw-w64-i686-win32)$' mid-sync zlib1g-dev:i386 wine32:i386
setup test || fail "setup test failed although only i386 packages are broken: $(cat "$work/out")"
grep -qF 'setup: could not install libpng-dev:i386 zlib1g-dev:i386 (needed by linux-i686): zlib1g-dev:i386 : Depends: zlib1g:i386 (= 1:1.2.13.dfsg-1) but it is not installable (2 unmet dependencies in all)' "$work/out" ||
  fail "linux-i686's packages, reason and target not said: $(cat "$work/out")"
grep -q "^setup: could not install wine32:i386 (needed by windows-i686's tests under Wine): wine32:i386 : Depends" "$work/out" ||
  fail "the Wine run's package not said: $(cat "$work/out")"
for p in cmake clang chromium g++-mingw-w64-i686-win32; do
  grep -qxF "$p" "$stub/installed" || fail "$p not installed beside the broken i386 packages"
done
grep -q '^linux-i686	libpng-dev:i386 zlib1g-dev:i386 could not be installed: zlib1g-dev:i386 : Depends' "$stub/report" ||
  fail "linux-i686 not in the report: $(cat "$stub/report")"
grep -q '^windows-i686-wine	wine32:i386 could not be installed' "$stub/report" || fail "the Wine run not in the report: $(cat "$stub/report")"
[[ $(wc -l <"$stub/report") == 2 ]] || fail "the report holds other targets: $(cat "$stub/report")"
grep -qx i386 "$stub/arches" || fail "the i386 architecture was not added"

# Nothing is ever removed or downgraded to make room.
grep ' install ' "$stub/apt.log" | grep -v -- '--no-remove' && fail "apt-get install without --no-remove"
grep -E 'remove|purge|downgrade' "$stub/apt.log" | grep -vq -- '--no-remove' && fail "apt-get asked to remove or downgrade"

# What the job itself needs cannot be installed: it stops, naming it.
fresh '^cmake$' ok cmake
if setup run; then fail "setup run went on without cmake"; fi
grep -q '^setup: could not install cmake (needed by every build (scripts/run, scripts/live, scripts/test)): cmake : Depends' "$work/out" ||
  fail "the build's package not said: $(cat "$work/out")"
grep -q '^setup: scripts/run cannot go on without them' "$work/out" || fail "no word that scripts/run stops: $(cat "$work/out")"

# The earth's navigation data: the tests take it where 4 GB are free, and
# skip with one line where they are not; scripts/setup world installs it.
fresh '^flightgear-data-base$' ok
setup test || fail "setup test failed: $(cat "$work/out")"
grep -qx flightgear-data-base "$stub/installed" || fail "the tests' navigation data not installed with room for it"
fresh '^flightgear-data-base$' ok
echo 3145728 >"$stub/free_kb"
setup test || fail "setup test failed on a small disk: $(cat "$work/out")"
[[ $(cat "$work/out") == "setup: the tests over the real navigation data will skip: flightgear-data-base needs 4 GB of free disk, 3 GB are free" ]] ||
  fail "not one line for the skipped data: $(cat "$work/out")"
grep -qx 'world	flightgear-data-base needs 4 GB of free disk, 3 GB are free' "$stub/report" || fail "the data not in the report: $(cat "$stub/report")"
[[ ! -s $stub/apt.log ]] || fail "apt asked for the data on a small disk: $(cat "$stub/apt.log")"
setup world || fail "setup world failed: $(cat "$work/out")"
grep -qx flightgear-data-base "$stub/installed" || fail "setup world did not install the data"

expect 2 'usage: scripts/setup run\|live\|test\|world' "$root/scripts/setup" fly

finish
