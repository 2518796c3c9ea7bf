#!/bin/sh
# Stands in for an installed 3rd-party editor: notes how many arguments it was started with in
# the file $LMT_EDITOR_MARKER names, written aside and renamed, so that it appears complete or
# not at all.
echo "args:$#" > "$LMT_EDITOR_MARKER.part" && mv "$LMT_EDITOR_MARKER.part" "$LMT_EDITOR_MARKER"
