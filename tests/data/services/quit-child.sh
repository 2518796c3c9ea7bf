# Notes the quit signal in the file $1; ends by itself after a second.
trap 'echo quit > "$1"; exit 0' INT
echo ready
sleep 1
