#!/bin/sh
[ "$1" = --list ] || exit 2
echo 'A
C'
