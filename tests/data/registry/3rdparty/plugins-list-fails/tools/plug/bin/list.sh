#!/bin/sh
echo 'A B C' >&2
exit 4
