#!/bin/sh
# Stands where the application looks for kor-launcher-service and hands everything to the real
# service ({real}), except that while the file {switch} holds "exit0", "downloadOnly" ends with
# success at once without writing anything: a service that claims a download it never made.
case "$2" in downloadOnly*)
  [ "$(cat '{switch}' 2>/dev/null)" = exit0 ] && exit 0 ;;
esac
exec '{real}' "$@"
