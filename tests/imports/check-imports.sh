#!/usr/bin/env bash
# What the Windows programs and DLLs of the build import at load time.
# Every .exe and .dll of the release, win32 and win64 trees may import
# system DLLs only: anything else (a compiler runtime such as
# libgcc_s_dw2-1.dll or libstdc++-6.dll, winpthreads) is not on a stock
# Windows, so the file would not even start there. The deliverables of the
# release tree may import only what they are meant to load at start; the
# rest they bind at run time from the system folder.
#
# Usage: check-imports.sh BUILD_ROOT      check the trees under BUILD_ROOT
#        check-imports.sh --self-test     show that the check catches a
#                                         DLL that imports the compiler runtime
set -uo pipefail

SYSTEM_DLLS="kernel32 user32 gdi32 advapi32 shell32 ole32 oleaut32 comctl32 comdlg32
  msvcrt version shlwapi winmm ws2_32 wsock32 iphlpapi icmp uxtheme ntdll crypt32 bcrypt
  rpcrt4 secur32 imm32 userenv hhctrl"

# Deliverable (path below the release tree) and what it may import at start.
DELIVERABLES=(
  # comctl32, ole32 and shell32 are bound after the container's check has
  # started.
  "setup/setup.exe:advapi32 gdi32 kernel32 msvcrt user32"
  # wsock32.dll and icmp.dll are bound by name from the system folder when
  # the first socket or echo needs them, comctl32.dll when the settings
  # window's controls are made, after the tray icon.
  "watcher/Orvandel.exe:advapi32 gdi32 kernel32 msvcrt ole32 shell32 user32"
  # The product's installer: the runtime above with its container.
  "Orvandel-Setup.exe:advapi32 gdi32 kernel32 msvcrt user32"
)

imports_of() {  # FILE: the DLL names it imports, lower case, one a line
  local out
  out=$(i686-w64-mingw32-objdump -p "$1" 2>/dev/null) ||
    out=$(x86_64-w64-mingw32-objdump -p "$1" 2>/dev/null) ||
    { echo "!unreadable"; return; }
  awk '/DLL Name:/ {print tolower($3)}' <<<"$out"
}

in_list() {  # NAME LIST
  local want=${1%.dll} item
  for item in $2; do [ "$item" = "$want" ] && return 0; done
  return 1
}

# check_trees ROOT TREE...: prints one line per fault, returns 1 on any.
check_trees() {
  local root=$1; shift
  local faults=0 files=0 tree f dll entry rel allowed
  for tree in "$@"; do
    [ -d "$root/$tree" ] || continue
    while IFS= read -r f; do
      files=$((files + 1))
      for dll in $(imports_of "$f"); do
        if [ "$dll" = "!unreadable" ]; then
          echo "FAILED  $f: objdump cannot read it"; faults=$((faults + 1))
        elif ! in_list "$dll" "$SYSTEM_DLLS"; then
          echo "FAILED  $f imports $dll, which is not a system DLL"; faults=$((faults + 1))
        fi
      done
    done < <(find "$root/$tree" -path '*/CMakeFiles' -prune -o -type f \( -iname '*.exe' -o -iname '*.dll' \) -print | sort)
  done
  if [ -d "$root/release" ]; then
    for entry in "${DELIVERABLES[@]}"; do
      rel=${entry%%:*}; allowed=${entry#*:}
      f="$root/release/$rel"
      if [ ! -f "$f" ]; then
        echo "FAILED  $f: the deliverable is missing"; faults=$((faults + 1)); continue
      fi
      for dll in $(imports_of "$f"); do
        in_list "$dll" "$allowed" ||
          { echo "FAILED  $f imports $dll, which it should bind at run time if at all"; faults=$((faults + 1)); }
      done
    done
  fi
  echo "checked $files files in: $*"
  [ "$faults" -eq 0 ]
}

self_test() {
  local dir rc out
  dir=$(mktemp -d)
  trap 'rm -rf "$dir"' RETURN
  mkdir -p "$dir/win32/bad" "$dir/win32/good"
  printf 'int __declspec(dllexport) Marker(void) { return 42; }\n' >"$dir/m.c"
  # The default i686 link of a DLL pulls in the shared compiler runtime.
  i686-w64-mingw32-gcc -shared -shared-libgcc -o "$dir/win32/bad/planted.dll" "$dir/m.c" || return 1
  i686-w64-mingw32-gcc -shared -static-libgcc -o "$dir/win32/good/planted.dll" "$dir/m.c" || return 1
  out=$(check_trees "$dir" win32); rc=$?
  if [ $rc -ne 0 ] && grep -q "bad/planted.dll imports libgcc_s_dw2-1.dll" <<<"$out" &&
     ! grep -q "good/planted.dll" <<<"$out"; then
    echo "self-test: the planted DLL is caught, by file and DLL name"
  else
    echo "self-test FAILED: the check did not name the planted DLL"; echo "$out"; return 1
  fi
}

case "${1:-}" in
  --self-test) self_test ;;
  "") echo "usage: $0 BUILD_ROOT | --self-test" >&2; exit 2 ;;
  *)
    if [ ! -d "$1/release" ] && [ ! -d "$1/win32" ] && [ ! -d "$1/win64" ]; then
      echo "no Windows tree under $1; nothing to check"; exit 77
    fi
    check_trees "$1" release win32 win64 ;;
esac
