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

# Prints the exported names of a file, one a line.
exports_of() {
    if [[ $format == elf ]]; then
        "$tool" -D --defined-only "$1" | awk 'NF == 3 { print $3 }'
    else
        # The name table of "objdump -p": lines "\t[   0] Name" after its header.
        "$tool" -p "$1" | awk '/^\[Ordinal\/Name Pointer\] Table/ { on = 1; next }
                              on && /^[[:space:]]*\[ *[0-9]+\] / { print $NF; next }
                              on { on = 0 }'
    fi
}

imports_of() {
    "$tool" -p "$1" | awk '/^[[:space:]]*DLL Name: / { print $NF }'
}

status=0
for f in "${files[@]}"; do
    if [[ ! -f $f ]]; then
        echo "$f: no such file" >&2
        status=1
        continue
    fi
    # The tool's own output is checked as a whole: a failing tool is a failure.
    if ! names=$(exports_of "$f" | sort); then
        echo "$f: $tool failed" >&2
        status=1
        continue
    fi
    got=$(echo $names)
    if [[ $got != "$expected" ]]; then
        echo "$f: exports '$got', want exactly '$expected'" >&2
        status=1
    fi
    if [[ $format == pe ]]; then
        imports=$(imports_of "$f")
        for dll in $imports; do
            if ! allowed_import "${dll,,}"; then
                echo "$f: imports $dll (only kernel32 and the C runtime are allowed)" >&2
                status=1
            fi
        done
    fi
    ((status)) || echo "$f: ok"
done
exit $status
