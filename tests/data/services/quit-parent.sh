# Notes the quit signal in the file $2, runs the program $3 in the foreground with $1.
trap 'echo quit > "$2"; exit 0' INT
"$3" "$1"
echo finished
