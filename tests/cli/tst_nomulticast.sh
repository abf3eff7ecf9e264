#!/usr/bin/env bash
# In a network where multicast never arrives, velmora-cli reaches a mixer by its address
# (--address) while plain discovery finds nothing. The test makes that network itself: a second
# namespace inside the private one, whose lo stops carrying multicast once the simulated mixer
# is up, and that has no route for the multicast range at all.
set -uo pipefail
bin=${1:?usage: tst_nomulticast.sh BIN_DIR}

if [ "${VELMORA_NOMULTICAST_INNER:-}" != "1" ]; then
  links=$(ip -o link show | awk -F': ' '{print $2}' | tr '\n' ' ')
  if [ "$links" != "lo " ]; then
    echo "FAIL: not inside the private network (run under scripts/sandbox); interfaces: $links"
    exit 1
  fi
  exec env VELMORA_NOMULTICAST_INNER=1 unshare --net -- bash "$0" "$@"
fi

scratch=$(mktemp -d)
sim_pid=
cleanup() {
  if [ -n "$sim_pid" ]; then
    kill "$sim_pid" 2>/dev/null
    wait "$sim_pid" 2>/dev/null
  fi
  rm -rf "$scratch"
}
trap cleanup EXIT

ip link set lo up
ip link set lo multicast on
if ip -4 route show table all | grep -q '^multicast\|224\.0\.0\.0'; then
  echo "FAIL: the inner network has a multicast route"
  exit 1
fi
cat >"$scratch/sim.json" <<'JSON'
{ "control": { "port": 0 },
  "mixers": [ { "address": "127.0.0.5", "model": "ZEPH-2208", "name": "Remote",
                "mac": "00:1D:C1:00:55:05" } ] }
JSON
"$bin/velmora-mixer-sim" --config "$scratch/sim.json" >"$scratch/sim.out" 2>&1 &
sim_pid=$!
for _ in $(seq 200); do
  grep -q '^ready' "$scratch/sim.out" && break
  kill -0 "$sim_pid" 2>/dev/null || break
  sleep 0.05
done
if ! grep -q '^ready' "$scratch/sim.out"; then
  echo "FAIL: the simulator did not come up:"
  cat "$scratch/sim.out"
  exit 1
fi
# From here on no search goes out and no announcement arrives.
ip link set lo multicast off

export HOME=$scratch XDG_CONFIG_HOME=$scratch/config XDG_DATA_HOME=$scratch/data
failures=0
fail() {
  echo "FAIL: $*"
  failures=$((failures + 1))
}

plain=$("$bin/velmora-cli" list --wait 3 --json 2>"$scratch/plain.err")
plain_status=$?
[ "$plain_status" -eq 3 ] || fail "plain discovery: exit $plain_status, expected 3 (no mixer): $plain"
case $plain in *Remote*) fail "plain discovery found the mixer: $plain" ;; esac

direct=$("$bin/velmora-cli" list --wait 4 --json --address 127.0.0.5 2>"$scratch/direct.err")
direct_status=$?
[ "$direct_status" -eq 0 ] || fail "list --address: exit $direct_status: $direct $(cat "$scratch/direct.err")"
has() { printf '%s' "$1" | grep -Eq "$2"; }
has "$direct" '"name": *"Remote"' && has "$direct" '"admitted": *true' ||
  fail "list --address did not admit the mixer: $direct"
has "$direct" '"address": *"127\.0\.0\.5"' ||
  fail "the mixer is not marked as added by address: $direct"

# A wrong address is named with its reason, and the mixer is still not found without it.
wrong=$("$bin/velmora-cli" list --wait 4 --address 127.0.0.6 2>&1)
wrong_status=$?
[ "$wrong_status" -eq 3 ] || fail "wrong address: exit $wrong_status, expected 3 (no mixer)"
case $wrong in *'127.0.0.6'*'no description at 127.0.0.6'*) ;; *) fail "wrong address not named: $wrong" ;; esac
case $wrong in *Remote*) fail "a wrong address found the mixer: $wrong" ;; esac

# The backup remembers the address; diff finds the mixer through the file alone.
"$bin/velmora-cli" backup 127.0.0.5 -o "$scratch/remote.vlmproj" --wait 20 --address 127.0.0.5 \
  >"$scratch/backup.out" 2>&1 || fail "backup --address: $(cat "$scratch/backup.out")"
grep -q '"address":"127.0.0.5"' "$scratch/remote.vlmproj" 2>/dev/null ||
  fail "the backup does not remember the address"
compared=$("$bin/velmora-cli" diff "$scratch/remote.vlmproj" --wait 20 2>&1)
compared_status=$?
[ "$compared_status" -eq 0 ] || fail "diff with a remembered address: exit $compared_status: $compared"
case $compared in *'no admitted mixer'*) fail "diff did not find the mixer: $compared" ;; esac

if [ "$failures" -ne 0 ]; then
  exit 1
fi
echo "PASS: 5 cases"
