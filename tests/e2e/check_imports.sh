#!/bin/sh
# Fails when a Windows program imports a DLL that is not part of Windows itself (the programs
# are linked -static and must run on a clean system from their folder alone), or when it is
# larger than the bytes it is allowed.
#   check_imports.sh <objdump> <program.exe> [most bytes]
objdump=$1
program=$2
limit=${3:-}
if [ ! -f "$program" ]; then
  echo "not built: $program"
  exit 77
fi
dlls=$("$objdump" -p "$program" | sed -n 's/^[[:space:]]*DLL Name: //p' | tr -d '\r' | sort -u)
if [ -z "$dlls" ]; then
  echo "no import table found in $program"
  exit 1
fi
echo "$program imports:"
status=0
for dll in $dlls; do
  case $(echo "$dll" | tr '[:upper:]' '[:lower:]') in
    kernel32.dll | user32.dll | gdi32.dll | shell32.dll | ole32.dll | oleaut32.dll | \
    imm32.dll | comctl32.dll | advapi32.dll | comdlg32.dll | shlwapi.dll | msvcrt.dll | \
    api-ms-win-crt-*.dll | api-ms-win-core-*.dll)
      echo "  $dll" ;;
    *)
      echo "  $dll  <- not a Windows system DLL"
      status=1 ;;
  esac
done
if [ -n "$limit" ]; then
  size=$(wc -c < "$program")
  if [ "$size" -gt "$limit" ]; then
    echo "$program is $size bytes, more than $limit"
    status=1
  else
    echo "$program is $size bytes (at most $limit)"
  fi
fi
exit $status
