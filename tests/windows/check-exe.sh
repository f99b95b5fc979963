#!/bin/sh
# Checks a built comsend.exe without running it: the PE format of its
# architecture, the Windows GUI subsystem (no console window), and imports
# from no DLL outside those every Windows has.
#   check-exe.sh OBJDUMP EXE (pei-i386|pei-x86-64)
set -eu
objdump=$1 exe=$2 format=$3
headers=$("$objdump" -p "$exe")
fail() { echo "check-exe: $exe: $*" >&2; exit 1; }
echo "$headers" | grep -q "file format $format" || fail "not $format"
echo "$headers" | grep -Eq "^Subsystem[[:space:]]+0*2[[:space:]]" || fail "not a Windows GUI program"
imports=$(echo "$headers" | sed -n 's/^[[:space:]]*DLL Name: //p' | tr 'a-z' 'A-Z' | sort -u)
for dll in $imports; do
    case "$dll" in
        KERNEL32.DLL | USER32.DLL | GDI32.DLL | COMCTL32.DLL | IMM32.DLL | MSVCRT.DLL | ADVAPI32.DLL | OLE32.DLL) ;;
        *) fail "imports $dll, which not every Windows has" ;;
    esac
done
echo "$exe: $format, Windows GUI, imports:" $imports
