#!/bin/sh
# Stands in for sudo: records its arguments, asks with the prompt it was given and records what
# it reads from standard input, then runs the command after "--". It records into files next to
# itself.
here=$(dirname "$0")
printf '[%s]\n' "$@" > "$here/args.txt"
prev=
for a in "$@"; do [ "$prev" = -p ] && prompt=$a; prev=$a; done
printf '%s' "$prompt" >&2
IFS= read -r password
printf '%s' "$password" > "$here/stdin.txt"
while [ "$1" != "--" ]; do shift; done
shift
exec "$@"
