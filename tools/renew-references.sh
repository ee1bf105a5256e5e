#!/bin/bash
# Renews the reference pictures of the wizard's pages (tests/e2e/pictures/en and ko) from
# a run of this machine, e.g. after the platform's fonts have changed: builds what the
# picture tests need and runs them with RENEW=1, the English program on 64-bit Wine and
# the shipped Korean one on the 32-bit platform. Look at the new pictures (git diff shows
# which changed) before committing them.
#   tools/renew-references.sh [en|ko]...   (default: both)
set -uo pipefail
cd "$(dirname "$0")/.."
langs=("$@")
[ ${#langs[@]} -gt 0 ] || langs=(en ko)
status=0
for lang in "${langs[@]}"; do
    case $lang in
    en) preset=x64 test='^e2e\.pictures$' ;;
    ko) preset=x86 test='^x86\.pictures$' ;;
    *) echo "renew-references.sh: no language $lang (en or ko)" >&2; exit 2 ;;
    esac
    cmake --preset $preset >/dev/null && cmake --build --preset $preset || exit 1
    RENEW=1 ctest --preset $preset -R "$test" --output-on-failure || status=1
done
git status --short tests/e2e/pictures
exit $status
