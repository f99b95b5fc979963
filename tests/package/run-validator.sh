#!/bin/sh
# Runs a validator that comes from a distribution package, or exits 77
# (skipped) where that package is not installed, so a machine without the
# desktop tooling still runs the rest of the suite.
set -u
tool=$1
if ! command -v "$tool" >/dev/null 2>&1; then
    echo "skipped: $tool is not installed"
    exit 77
fi
exec "$@"
