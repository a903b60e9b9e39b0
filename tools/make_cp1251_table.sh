#!/bin/sh
# Writes tests/data/cp1251_table.txt: every byte 0x00..0xFF of Windows-1251 with its UTF-8 form.
#
# Source: GNU libc's iconv ("iconv -f CP1251 -t UTF-8"), an implementation independent of the
# station's own codec. Run once from the repository root; the output is committed.
#
# Line format: <byte as 2 hex digits> <UTF-8 bytes as hex>, or "-" where iconv refuses the byte
# (0x98 is unassigned in Windows-1251).
set -eu

out=tests/data/cp1251_table.txt
{
    echo "# byte utf8, from glibc iconv -f CP1251 -t UTF-8 (- : refused by iconv)"
    i=0
    while [ "$i" -lt 256 ]; do
        hex=$(printf '%02X' "$i")
        # A refused byte makes iconv print nothing; the pipeline's status is that of tr.
        utf8=$(printf "\\$(printf '%03o' "$i")" | iconv -f CP1251 -t UTF-8 2>/dev/null | od -An -tx1 | tr -d ' \n')
        [ -n "$utf8" ] || utf8=-
        echo "$hex $(echo "$utf8" | tr 'a-f' 'A-F')"
        i=$((i + 1))
    done
} >"$out"
