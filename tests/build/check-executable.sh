#!/usr/bin/env bash
# Checks the shipped executable's form: a 32-bit Windows GUI program that imports system DLLs only,
# so that it runs alone beside the application it serves.
set -euo pipefail
exe="$1"
headers="$(i686-w64-mingw32-objdump -p "$exe")"
failures=0

grep -q 'file format pei-i386' <<<"$headers" || { echo "not a 32-bit PE file"; failures=1; }
grep -qE '^Subsystem\s+00000002' <<<"$headers" || { echo "not a Windows GUI program"; failures=1; }

system_dlls=' advapi32.dll bcrypt.dll comctl32.dll comdlg32.dll crypt32.dll gdi32.dll kernel32.dll mpr.dll msi.dll msvcrt.dll ole32.dll oleaut32.dll rpcrt4.dll secur32.dll shell32.dll shlwapi.dll user32.dll userenv.dll version.dll wininet.dll wintrust.dll ws2_32.dll '
while read -r dll; do
  lower="${dll,,}"
  if [[ "$system_dlls" != *" $lower "* ]]; then
    echo "imports a DLL that Windows does not ship: $dll"
    failures=1
  fi
done < <(sed -n 's/^\s*DLL Name: //p' <<<"$headers")

if ((failures)); then exit 1; fi
echo "$exe: 32-bit GUI, imports: $(sed -n 's/^\s*DLL Name: //p' <<<"$headers" | tr '\n' ' ')"
