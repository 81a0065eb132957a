#!/usr/bin/env bash
# check_package.sh CPACK CPACK_CONFIG OBJDUMP PLUGIN...
#
# Makes the pilots' zip from the build tree, unpacks it into a scratch folder
# and checks that it holds exactly INSTALL.txt and modules/<PLUGIN>.dll for
# each named plug-in, and that the shipped (stripped) DLLs pass the export and
# import check.
set -euo pipefail
export LC_ALL=C
here=$(cd "$(dirname "$0")" && pwd)

cpack=$1 config=$2 objdump=$3
shift 3
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

"$cpack" --config "$config" -G ZIP -B "$scratch/out" >/dev/null
zips=("$scratch"/out/*.zip)
if ((${#zips[@]} != 1)) || [[ ! -f ${zips[0]} ]]; then
    echo "cpack made no single zip in $scratch/out" >&2
    exit 1
fi
mkdir "$scratch/unpacked"
(cd "$scratch/unpacked" && cmake -E tar xf "${zips[0]}")

want=$( { echo INSTALL.txt; for p in "$@"; do echo "modules/$p.dll"; done; } | sort)
got=$(cd "$scratch/unpacked" && find . -type f | sed 's|^\./||' | sort)
if [[ $got != "$want" ]]; then
    echo "$(basename "${zips[0]}") holds:" >&2
    echo "$got" >&2
    echo "want:" >&2
    echo "$want" >&2
    exit 1
fi
if ! grep -q $'\r$' "$scratch/unpacked/INSTALL.txt"; then
    echo "INSTALL.txt lacks Windows line ends" >&2
    exit 1
fi
"$here/check_exports.sh" "$objdump" "$scratch/unpacked/modules"
echo "$(basename "${zips[0]}"): ok"
