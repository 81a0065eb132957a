#!/usr/bin/env bash
# Fails unless the shared object exports exactly the five entry points.
set -euo pipefail
lib=$1
expected="DLLGetReferenceNumber DLLGetSDKVersion DLLInit DLLInitPrivate DLLKill"
actual=$(nm -D --defined-only "$lib" | awk '{print $NF}' | sort | tr '\n' ' ' | sed 's/ $//')
if [ "$actual" != "$expected" ]; then
  echo "$lib exports: $actual"
  echo "expected:      $expected"
  exit 1
fi
echo "$lib: $actual"
