#!/bin/sh
# Fails when the man-page linter has anything to say about the page, or cannot be run.
page=$1
if ! command -v mandoc >/dev/null 2>&1; then
    echo "mandoc is not installed (Debian package mandoc): $page cannot be checked"
    exit 1
fi
report=$(mandoc -T lint -W warning "$page" 2>&1)
status=$?
if [ -n "$report" ] || [ "$status" -ne 0 ]; then
    printf '%s\n' "$report"
    echo "mandoc -T lint -W warning: exit status $status"
    exit 1
fi
