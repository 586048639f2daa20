#!/bin/sh
# Runs the Windows tests of saving into a folder that takes no new file while pimbo.ini in it
# may still be written: the Linux immutable attribute gives that folder, even to root.
#   frozen_folder.sh <wine-run> <profile_win_tests.exe>
# Exit 77 (skipped) where the attribute cannot be set (no CAP_LINUX_IMMUTABLE, another file
# system).
set -u
folder=$(mktemp -d "${TMPDIR:-/tmp}/pimbo-frozen.XXXXXX") || exit 1
printf '[settings]\r\nhot key=305\r\ncommand count=0\r\n\r\n' > "$folder/pimbo.ini"
if ! chattr +i "$folder" 2>/dev/null; then
  echo "skipped: cannot make $folder immutable here"
  rm -rf "$folder"
  exit 77
fi
PIMBO_FROZEN_FOLDER="Z:$(printf '%s' "$folder" | tr / '\\')" "$1" "$2" \
  --gtest_filter='FrozenFolder.*'
status=$?
chattr -i "$folder"
rm -rf "$folder"
exit $status
