#!/usr/bin/env bash
# The user manual as built beside the program: every picture it shows is there, every picture
# there is shown, and every link inside it leads to a section that exists.
set -uo pipefail
manual=$1
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

[ -s "$manual/index.html" ] || { echo "FAIL: no $manual/index.html"; exit 1; }
shown=$(grep -o 'src="images/[^"]*"' "$manual/index.html" | sed 's/src="images\///; s/"$//' | sort -u)
for picture in $shown; do
  [ -s "$manual/images/$picture" ] || fail "the manual shows images/$picture, which is missing"
done
for file in "$manual"/images/*.png; do
  name=$(basename "$file")
  grep -qx "$name" <<<"$shown" || fail "images/$name is not shown anywhere"
done
for anchor in $(grep -o 'href="#[^"]*"' "$manual/index.html" | sed 's/href="#//; s/"$//' | sort -u); do
  grep -q "id=\"$anchor\"" "$manual/index.html" || fail "a link leads to #$anchor, which no section has"
done
# Every picture has words for those who cannot see it.
if grep -o '<img [^>]*>' "$manual/index.html" | grep -vq 'alt="[^"]'; then
  fail "a picture has no alt text"
fi
echo "manual: $(wc -w <<<"$shown") pictures checked, $failures failures"
[ "$failures" -eq 0 ]
