#!/bin/sh
# Regenerates src/support/cp932_table.inc: the CP932 code of every non-ASCII
# character used in src/support/texts.cpp, sorted by Unicode code point.
# Needs iconv (glibc) and perl. Run from the repository root.
set -eu
src=src/support/texts.cpp
out=src/support/cp932_table.inc
perl -CS -ne 'print "$_\n" for /([^\x00-\x7f])/g' < "$src" | sort -u |
while IFS= read -r ch; do
  cp=$(printf '%s' "$ch" | perl -CS -ne 'printf "%X", ord($_)')
  code=$(printf '%s' "$ch" | iconv -f UTF-8 -t CP932 | od -An -tx1 | tr -d ' \n')
  printf '%s %s %s\n' "$cp" "$code" "$ch"
done | sort -k1,1 | perl -ne 'my ($u,$c,$ch)=split; printf "    {0x%s, 0x%s},  // %s\n", $u, uc($c), $ch' > "$out.tmp"
# sort numerically by code point
perl -e 'print sort { hex(($a=~/0x(\w+)/)[0]) <=> hex(($b=~/0x(\w+)/)[0]) } <>' "$out.tmp" > "$out"
rm -f "$out.tmp"
