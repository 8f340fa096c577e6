#!/usr/bin/env bash
# Sourced: pe_machine FILE prints the PE header's machine field in hex (014c i386, 8664 x86_64), or nothing
# when FILE is not a PE program or module.
pe_machine() {
  local file=$1 offset
  [ -f "$file" ] || return 0
  offset=$(od -An -t u4 -j 60 -N 4 "$file" 2>/dev/null | tr -d ' ')
  [ -n "$offset" ] || return 0
  [ "$(od -An -c -j "$offset" -N 4 "$file" 2>/dev/null | tr -d ' ')" = 'PE\0\0' ] || return 0
  od -An -t x2 -j $((offset + 4)) -N 2 "$file" | tr -d ' '
}
