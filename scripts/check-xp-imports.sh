#!/usr/bin/env bash
# Fails when a Windows executable would not load on Windows XP: a DLL outside the system
# set, a function that XP lacks (or that the program must look up at run time), or a PE
# subsystem version above 5.01.
set -euo pipefail
exe="$1"
objdump=${OBJDUMP:-i686-w64-mingw32-objdump}
dump=$("$objdump" -p "$exe")
status=0

allowed='^(kernel32|user32|gdi32|comctl32|comdlg32|shell32|advapi32|ole32|msvcrt)\.dll$'
while read -r dll; do
  if ! echo "$dll" | tr 'A-Z' 'a-z' | grep -Eq "$allowed"; then
    echo "imports a DLL outside the system set: $dll"
    status=1
  fi
done < <(echo "$dump" | sed -n 's/^\s*DLL Name: //p')

# Vista-and-later functions, and those that are only ever looked up with GetProcAddress.
forbidden='^(SleepConditionVariableCS|SleepConditionVariableSRW|WakeAllConditionVariable|WakeConditionVariable|InitializeConditionVariable|InitializeSRWLock|AcquireSRWLock(Shared|Exclusive)|ReleaseSRWLock(Shared|Exclusive)|TryAcquireSRWLock(Shared|Exclusive)|InitOnceExecuteOnce|InitOnceBeginInitialize|InitOnceComplete|GetThreadId|GetProcessId|GetTickCount64|FlsAlloc|FlsFree|FlsGetValue|FlsSetValue|GetFinalPathNameByHandle[AW]|CreateSymbolicLink[AW]|GetLocaleInfoEx|CompareStringEx|LCMapStringEx|GetUserDefaultLocaleName|ChangeWindowMessageFilter|ChangeWindowMessageFilterEx|AllowSetForegroundWindow|Internet[A-Za-z]*|HttpQueryInfo[AW]?|SetThreadErrorMode|GetErrorMode|CancelIoEx|QueryFullProcessImageName[AW])$'
bad=$(echo "$dump" | awk '/DLL Name:/{on=1; next} on && /^[[:space:]]*[0-9a-f]+[[:space:]]+[0-9]+[[:space:]]+[A-Za-z_]/{print $3} /^[[:space:]]*$/{on=0}' | grep -E "$forbidden" || true)
if [ -n "$bad" ]; then
  echo "imports functions that Windows XP lacks or that must be looked up at run time:"
  echo "$bad" | sed 's/^/  /'
  status=1
fi

major=$(echo "$dump" | awk '/MajorSubsystemVersion/{print $2}')
minor=$(echo "$dump" | awk '/MinorSubsystemVersion/{print $2}')
if [ -z "$major" ] || [ "$major" -gt 5 ] || { [ "$major" -eq 5 ] && [ "$minor" -gt 1 ]; }; then
  echo "subsystem version $major.$minor is above 5.01"
  status=1
fi
subsystem=$(echo "$dump" | awk '/^Subsystem/{print $2}')
[ "$subsystem" = "00000002" ] || { echo "not a GUI executable (subsystem $subsystem)"; status=1; }

[ $status -eq 0 ] && echo "XP-compatible: $(echo "$dump" | sed -n 's/^\s*DLL Name: //p' | tr '\n' ' ')"
exit $status
