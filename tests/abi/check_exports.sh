#!/usr/bin/env bash
# check_exports.sh TOOL PATH...
#
# Checks that every deliverable exports exactly the five entry points, by
# their plain C names, and (for Windows DLLs) imports nothing but kernel32 and
# the C runtime. TOOL picks the format: an `nm` reads ELF shared objects
# (`nm -D --defined-only`), an `objdump` reads PE DLLs (`objdump -p`). Each
# PATH is a plug-in file or a folder whose *.so / *.dll files are all checked.
set -euo pipefail
export LC_ALL=C

expected="DLLGetReferenceNumber DLLGetSDKVersion DLLInit DLLInitPrivate DLLKill"

# Import DLLs a deliverable may name (compared in lower case).
allowed_import() {
    case "$1" in
        kernel32.dll | msvcrt.dll | api-ms-win-crt-*.dll) return 0 ;;
        *) return 1 ;;
    esac
}

if (($# < 2)); then
    echo "usage: $0 TOOL PATH..." >&2
    exit 2
fi
tool=$1
shift
case "$(basename "$tool")" in
    *objdump*) format=pe suffix=dll ;;
    *nm*) format=elf suffix=so ;;
    *) echo "$0: cannot tell the format from tool '$tool' (want an nm or an objdump)" >&2; exit 2 ;;
esac

files=()
for p in "$@"; do
    if [[ -d $p ]]; then
        shopt -s nullglob
        found=("$p"/*."$suffix")
        shopt -u nullglob
        if ((${#found[@]} == 0)); then
            echo "$p: no *.$suffix files" >&2
            exit 1
        fi
        files+=("${found[@]}")
    else
        files+=("$p")
    fi
done

# The exported names in a tool's listing of a file, one a line.
exports_in() {
    if [[ $format == elf ]]; then
        awk 'NF == 3 { print $3 }'
    else
        # The name table of "objdump -p": lines "\t[   0] Name" after its header.
        awk '/^\[Ordinal\/Name Pointer\] Table/ { on = 1; next }
             on && /^[[:space:]]*\[ *[0-9]+\] / { print $NF; next }
             on { on = 0 }'
    fi
}

status=0
for f in "${files[@]}"; do
    bad=0
    if [[ ! -f $f ]]; then
        echo "$f: no such file" >&2
        status=1
        continue
    fi
    if [[ $format == elf ]]; then
        listing=$("$tool" -D --defined-only "$f") || { echo "$f: $tool failed" >&2; status=1; continue; }
    else
        listing=$("$tool" -p "$f") || { echo "$f: $tool failed" >&2; status=1; continue; }
        # The host is a 32-bit program: a DLL of another machine type never loads.
        if ! grep -q 'file format pei-i386$' <<<"$listing"; then
            echo "$f: not a 32-bit x86 DLL ($(grep -o 'file format .*' <<<"$listing" || echo 'no PE header'))" >&2
            bad=1
        fi
        for dll in $(awk '/^[[:space:]]*DLL Name: / { print $NF }' <<<"$listing"); do
            if ! allowed_import "${dll,,}"; then
                echo "$f: imports $dll (only kernel32 and the C runtime are allowed)" >&2
                bad=1
            fi
        done
    fi
    got=$(exports_in <<<"$listing" | sort | tr '\n' ' ')
    if [[ ${got% } != "$expected" ]]; then
        echo "$f: exports '${got% }', want exactly '$expected'" >&2
        bad=1
    fi
    if ((bad)); then status=1; else echo "$f: ok"; fi
done
exit $status
