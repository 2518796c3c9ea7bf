# "-port" prints a chunk of log, pauses, then prints the port on a line of its own.
if [ "$1" = -port ]; then
  printf '2026-12-06 20:00:00 INFO launcher: looking up the service\n'
  sleep 0.3
  printf '49152\n'
  exit 0
fi
