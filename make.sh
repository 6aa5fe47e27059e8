#!/usr/bin/env bash
# Installs what the build needs (make and cmake included, which a fresh machine
# may lack), then runs the Makefile target given: ./make.sh run | ./make.sh test
set -eu
cd "$(dirname "$0")"
./scripts/install-deps.sh
exec make "$@"
