#!/usr/bin/env bash
# Builds both deliverables and the test builds, then runs every test: the platform-free
# logic natively under sanitizers, the static checks of both .exe files, and the Wine
# tests (the program's code on the real platform, and the real programs driven from
# outside).
set -uo pipefail
cd "$(dirname "$0")/.."

tools/install-deps.sh || exit 1

for preset in host x86 x64; do
    echo "=== $preset: configure and build"
    cmake --preset "$preset" >/dev/null || exit 1
    cmake --build --preset "$preset" || exit 1
done

status=0
passed=0
failed=0
log=$(mktemp)
for preset in host x86 x64; do
    echo "=== $preset: tests"
    ctest --preset "$preset" -j2 2>&1 | tee "$log"
    [ "${PIPESTATUS[0]}" -eq 0 ] || status=1
    # "100% tests passed, 0 tests failed out of 12"
    summary=$(grep -E 'tests passed, [0-9]+ tests? failed out of [0-9]+' "$log" | tail -n 1)
    if [ -z "$summary" ]; then
        status=1
        continue
    fi
    total=$(sed -E 's/.* out of ([0-9]+).*/\1/' <<<"$summary")
    bad=$(sed -E 's/.*passed, ([0-9]+) tests? failed.*/\1/' <<<"$summary")
    passed=$((passed + total - bad))
    failed=$((failed + bad))
done
rm -f "$log"
[ $((passed + failed)) -gt 0 ] || status=1
echo "$passed passed, $failed failed"
exit $status
