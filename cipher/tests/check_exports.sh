#!/bin/sh
# Fails unless the shared library defines exactly the six exported functions.
set -eu
expected="xDecryptData
xEncryptData
xGenRandom
xGenRandom8Bytes
xPEMDecode
xPEMEncode"
actual=$(nm -D --defined-only "$1" | awk '{print $NF}' | sort)
if [ "$actual" != "$expected" ]; then
  printf 'exported symbols differ:\n%s\n' "$actual" >&2
  exit 1
fi
