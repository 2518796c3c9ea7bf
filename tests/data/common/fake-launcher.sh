#!/bin/sh
# A scripted kor-launcher-service: each run appends "RUN <working directory>" and one
# "[argument]" line per argument to calls.txt beside it, in a single write, so that runs that
# overlap (service start and "-port") never mix their records. The test's body follows.
here=$(dirname "$0")
record="RUN $(pwd)"
for a in "$@"; do record="$record
[$a]"; done
printf '%s\n' "$record" >> "$here/calls.txt"
