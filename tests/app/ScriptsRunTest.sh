#!/usr/bin/env bash
# scripts/run in a copied tree, with stand-ins for scripts/setup and cmake
# that record what they were asked: it builds the program's target only, and
# a build/ whose CMake cache came from another folder is configured afresh.
#   ScriptsRunTest.sh <the tree's scripts/run>
set -euo pipefail
run=$1
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
fail() { echo "FAILED: $*" >&2; exit 1; }

tree=$tmp/copied-tree
mkdir -p "$tree/scripts" "$tree/build/CMakeFiles" "$tmp/bin"
cp "$run" "$tree/scripts/run"
printf '#!/bin/sh\nexit 0\n' >"$tree/scripts/setup"
chmod +x "$tree/scripts/run" "$tree/scripts/setup"
# The cache of the tree this one was copied from.
printf 'CMAKE_HOME_DIRECTORY:INTERNAL=%s\nCMAKE_CACHEFILE_DIR:INTERNAL=%s/build\n' \
  "$tmp/original-tree" "$tmp/original-tree" >"$tree/build/CMakeCache.txt"
touch "$tree/build/CMakeFiles/stale"

# cmake: refuses a cache of another folder, as the real one does, records its
# arguments, and "builds" the program as a script that records its start.
cat >"$tmp/bin/cmake" <<'STUB'
#!/bin/sh
echo "cmake $*" >>"$CALLS"
if [ -f build/CMakeCache.txt ] && ! grep -q "CMAKE_HOME_DIRECTORY:INTERNAL=$(pwd -P)\$" build/CMakeCache.txt; then
  echo "CMake Error: The source does not match the source used to generate cache." >&2
  exit 1
fi
mkdir -p build/app
printf 'CMAKE_HOME_DIRECTORY:INTERNAL=%s\n' "$(pwd -P)" >build/CMakeCache.txt
printf '#!/bin/sh\necho started >>"$CALLS"\n' >build/app/sonvelt
chmod +x build/app/sonvelt
STUB
chmod +x "$tmp/bin/cmake"

export CALLS=$tmp/calls
export PATH="$tmp/bin:$PATH"
export QT_QPA_PLATFORM=offscreen SONVELT_VIRTUAL_AUDIO=tone
"$tree/scripts/run" >"$tmp/out" 2>&1 || { cat "$tmp/out"; fail "scripts/run failed in a copied tree"; }

builds=$(grep -c -- '--build' "$CALLS" || true)
[ "$builds" = 1 ] || fail "expected one build, got: $(cat "$CALLS")"
grep -- '--build' "$CALLS" | grep -q -- '--target sonvelt$' ||
  fail "the build is not of the program's target alone: $(grep -- --build "$CALLS")"
grep -qx started "$CALLS" || fail "the program did not start"
[ ! -e "$tree/build/CMakeFiles/stale" ] || fail "the other folder's CMake files stayed"
[ "$(grep -c . "$tmp/out")" -le 2 ] || fail "more than a line about the cache: $(cat "$tmp/out")"
echo "scripts/run: builds the program alone, reconfigures a copied build/"
