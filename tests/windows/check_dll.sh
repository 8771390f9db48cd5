#!/usr/bin/env bash
# Quillatone_64.dll as a Windows host sees it: exactly two exports,
# VSTPluginMain and main, at one address, and imports only from DLLs that
# every Windows has (the C++ runtime and winpthread are linked in).
#   check_dll.sh DLL
set -euo pipefail
dump=$(x86_64-w64-mingw32-objdump -p "$1")
names=$(sed -n '/^\[Ordinal\/Name Pointer\] Table/,/^$/p' <<<"$dump" | awk '/\[/ && NR > 1 {print $3}' | sort | tr '\n' ' ')
if [ "$names" != "VSTPluginMain main " ]; then
  echo "exports: $names (want VSTPluginMain and main)" >&2
  exit 1
fi
addresses=$(sed -n '/^Export Address Table -- /,/^$/p' <<<"$dump" | awk '/Export RVA/ {print $(NF - 2)}' | sort -u)
if [ "$(wc -l <<<"$addresses")" -ne 1 ]; then
  echo "the two exports are at different addresses: $addresses" >&2
  exit 1
fi
system="advapi32.dll comctl32.dll comdlg32.dll gdi32.dll gdiplus.dll kernel32.dll msvcrt.dll ole32.dll
        oleaut32.dll shell32.dll shlwapi.dll user32.dll uxtheme.dll winmm.dll imm32.dll"
status=0
for dll in $(awk '/DLL Name:/ {print tolower($3)}' <<<"$dump"); do
  grep -qw -- "$dll" <<<"$system" || { echo "imports $dll, which Windows does not ship" >&2; status=1; }
done
[ $status -eq 0 ] && echo "exports VSTPluginMain and main at RVA $addresses; imports $(awk '/DLL Name:/ {printf "%s ", $3}' <<<"$dump")"
exit $status
