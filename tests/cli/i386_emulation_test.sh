#!/usr/bin/env bash
# scripts/i386-emulation against a stand-in for the kernel's binfmt_misc
# folder: what it registers, that the registration goes however the command
# ends, a trap included, and that one left by a killed run goes at the next
# start. mount and qemu-i386 are stand-ins too: the kernel is never touched.
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
source "$here/common.sh"

binfmt=$work/binfmt
entry=$binfmt/panel-suite-i386
mkdir -p "$work/bin" "$binfmt"
printf '#!/bin/sh\necho "mount: $4: permission denied." >&2\nexit 32\n' >"$work/bin/mount"
printf '#!/bin/sh\nexit 0\n' >"$work/bin/umount"
printf '#!/bin/sh\nexit 0\n' >"$work/bin/qemu-i386"
chmod +x "$work/bin/"*
export PATH="$work/bin:$PATH" I386_EMULATION_BINFMT=$binfmt I386_EMULATION_MOUNTED_MARK=$work/mounted
emulation=$root/scripts/i386-emulation
# The command stands for the kernel: it makes the entry the registration made.
made='touch "$I386_EMULATION_BINFMT/panel-suite-i386"'

# A command that fails: registered for it, removed after, its status kept.
: >"$binfmt/register"
rc=0
"$emulation" run bash -c "$made; exit 3" 2>"$work/err" || rc=$?
[[ $rc == 3 ]] || fail "the command's status 3 came back as $rc"
want=':panel-suite-i386:M::\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00:\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff:'"$work/bin/qemu-i386"':'
[[ $(cat "$binfmt/register") == "$want" ]] || fail "registered $(cat "$binfmt/register"), not $want"
[[ $(cat "$entry" 2>/dev/null) == -1 ]] || fail "the registration was not removed after a failing command"
[[ ! -s $work/err ]] || fail "a run that went well said something: $(cat "$work/err")"

# Stopped by a signal to its process group (Ctrl+C, CI's time-out): the trap
# removes it before the run ends.
rm -f "$entry"
setsid "$emulation" run bash -c "$made; exec sleep 30" 2>"$work/err" &
pid=$!
for _ in $(seq 100); do [[ -e $entry ]] && break; sleep 0.05; done
kill -TERM -- "-$pid"
rc=0
wait "$pid" || rc=$?
[[ $rc == 143 ]] || fail "stopped by TERM, the run ended with $rc"
[[ $(cat "$entry" 2>/dev/null) == -1 ]] || fail "the registration outlived a TERM"

# Killed outright, it cannot clean up: the next start removes what it left.
echo "enabled" >"$entry"
rc=0
"$emulation" run true 2>"$work/err" || rc=$?
[[ $rc == 0 ]] || fail "a run after a killed one failed with $rc"
grep -q '^i386-emulation: removed a registration a stopped run had left$' "$work/err" ||
  fail "the left registration was not reported: $(cat "$work/err")"
echo "enabled" >"$entry"
expect 0 'removed the registration panel-suite-i386 a stopped run had left' "$emulation" off
[[ $(cat "$entry") == -1 ]] || fail "off left the registration"
rm -f "$entry"
"$emulation" off >"$work/out" 2>&1 || fail "off with nothing to remove failed"
[[ ! -s $work/out ]] || fail "off with nothing to remove said something: $(cat "$work/out")"

# No binfmt_misc to register with: one line, and the command runs all the same.
rm -f "$binfmt/register"
rc=0
"$emulation" run bash -c 'echo ran' >"$work/out" 2>"$work/err" || rc=$?
[[ $rc == 0 && $(cat "$work/out") == ran ]] || fail "the command did not run without the registration ($rc)"
grep -qx "i386-emulation: i386 programs are not emulated for this run: binfmt_misc is not mounted at $binfmt and mounting it failed: mount: $binfmt: permission denied." "$work/err" ||
  fail "no one line for binfmt_misc missing: $(cat "$work/err")"
[[ $(wc -l <"$work/err") == 1 ]] || fail "more than one line: $(cat "$work/err")"

expect 2 'usage: scripts/i386-emulation run' "$emulation" register

finish
