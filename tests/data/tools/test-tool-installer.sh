#!/bin/sh
# A package as the vendor ships them for Linux: it installs one file into "/dir=", writes its
# registry file into the scope's directory, records the switches it got and ends with the exit
# code the test puts in place of the placeholder.
scope=user
dir=
for arg in "$@"; do
  case "$arg" in
    /allusers) scope=all ;;
    /currentuser) scope=user ;;
    /dir=*) dir="${arg#/dir=}" ;;
  esac
done
[ -n "$dir" ] || { echo "no /dir= given" >&2; exit 3; }
if [ "$scope" = all ]; then
  registry="$ALLUSERSPROFILE/Zendrel_Technologies_AG/Zendrel-Toolbox"
else
  registry="$LOCALAPPDATA/Zendrel_Technologies_AG/Zendrel-Toolbox"
fi
mkdir -p "$dir" "$registry"
printf '%s\n' "$@" > "$dir/switches.txt"
echo tool > "$dir/tool.bin"
cat > "$registry/com.zdr.test.tool-1.2.3.4.json" <<EOT
{"featureId": "com.zdr.test.tool", "title": "Test Tool", "versionNumeric": 1020304,
 "version": "1.2.3.4", "path": "$dir/tool.bin", "uninstallPath": "$dir/uninstall.sh",
 "attributes": {"lmt-type": "tools"}}
EOT
echo "installed into $dir"
exit {exitCode}
