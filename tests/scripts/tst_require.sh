#!/usr/bin/env bash
# scripts/lib/require: a missing tool or package stops the calling script with 127 and names
# the Debian package, saying whether scripts/deps lists it; present ones pass silently.
# Runs each case in a scratch copy of the scripts folder whose deps lists a known set.
set -uo pipefail
helper=${1:?usage: tst_require.sh PATH/TO/scripts/lib/require}
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
mkdir -p "$scratch/scripts/lib" "$scratch/bin"
cp "$helper" "$scratch/scripts/lib/require"
cat >"$scratch/scripts/deps" <<'DEPS'
#!/usr/bin/env bash
[ "${1:-}" = "--list" ] && printf '%s\n' listed-pkg other-pkg
DEPS
chmod +x "$scratch/scripts/deps"
# A tool that surely exists, under a name no system has.
ln -s "$(type -P true)" "$scratch/bin/velmora-present-tool"

failures=0
passes=0
# check NAME EXPECTED_STATUS EXPECTED_TEXT|'' REQUIRE_ARGS...
check() {
  local name=$1 want_status=$2 want_text=$3 out status
  shift 3
  out=$(cd "$scratch" && PATH="$scratch/bin:$PATH" bash -c \
    '. scripts/lib/require; "$@"; echo "went on"' caller "$@" 2>&1)
  status=$?
  if [ "$status" -ne "$want_status" ]; then
    echo "FAIL $name: status $status, expected $want_status; output: $out"
    failures=$((failures + 1))
  elif [ -n "$want_text" ] && ! grep -qF -- "$want_text" <<<"$out"; then
    echo "FAIL $name: output lacks '$want_text'; output: $out"
    failures=$((failures + 1))
  elif [ "$want_status" -eq 0 ] && [ "$out" != "went on" ]; then
    echo "FAIL $name: printed '$out' although nothing is missing"
    failures=$((failures + 1))
  else
    passes=$((passes + 1))
  fi
}

check "present tool passes" 0 "" require velmora-present-tool:listed-pkg
check "missing listed tool" 127 \
  "missing tool velmora-absent-tool (Debian package listed-pkg); scripts/deps installs it" \
  require velmora-absent-tool:listed-pkg
check "missing unlisted tool" 127 \
  "missing tool velmora-absent-tool (Debian package unlisted-pkg), which scripts/deps does not list" \
  require velmora-absent-tool:unlisted-pkg
# A listed name that merely contains the package name is not a listing of it.
check "partial name is not listed" 127 "(Debian package pkg), which scripts/deps does not list" \
  require velmora-absent-tool:pkg
check "every missing tool named, present ones not" 127 "velmora-absent-two" \
  require velmora-absent-one:listed-pkg velmora-present-tool:other-pkg velmora-absent-two:other-pkg
out=$(cd "$scratch" && PATH="$scratch/bin:$PATH" bash -c \
  '. scripts/lib/require; require a-absent:listed-pkg velmora-present-tool:x b-absent:other-pkg' 2>&1)
if [ "$(grep -c missing <<<"$out")" -ne 2 ] || grep -q velmora-present-tool <<<"$out"; then
  echo "FAIL two missing of three: expected exactly the two absent tools, got: $out"
  failures=$((failures + 1))
else
  passes=$((passes + 1))
fi
check "installed package passes" 0 "" require_packages bash
check "absent package" 127 \
  "missing Debian package velmora-absent-package, which scripts/deps does not list" \
  require_packages bash velmora-absent-package

echo "$passes passed, $failures failed"
[ "$failures" -eq 0 ]
