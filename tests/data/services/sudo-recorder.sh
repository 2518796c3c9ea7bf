#!/bin/sh
# Stands in for sudo: records its arguments, asks with the prompt it was given and records what
# it reads from standard input, then runs the command after "--". ARGS and STDIN are replaced
# by the test with the files to record into.
printf '[%s]\n' "$@" > ARGS
prev=
for a in "$@"; do [ "$prev" = -p ] && prompt=$a; prev=$a; done
printf '%s' "$prompt" >&2
IFS= read -r password
printf '%s' "$password" > STDIN
while [ "$1" != "--" ]; do shift; done
shift
exec "$@"
