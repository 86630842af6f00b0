#!/usr/bin/env bash
# Runs the program on BASE.in, or on what the bash script BASE.gen prints
# (answers too large or too binary to keep as a file), and compares its whole
# output, byte for byte, with BASE.exp, and its exit status with BASE.status
# (1 when absent).
# In BASE.exp the line breaks of the file are ignored and the escapes \n, \t
# and \\ stand for the characters, as in the program's own texts.
set -u
exe=$1
base=$2
want_status=1
[ -f "$base.status" ] && want_status=$(tr -d ' \n' < "$base.status")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
if [ -f "$base.in" ]; then
  cp "$base.in" "$work/in"
else
  bash "$base.gen" > "$work/in"
fi
timeout 60 "$exe" < "$work/in" > "$work/actual"
status=$?
printf '%b' "$(tr -d '\n' < "$base.exp")" > "$work/expected"
fail=0
if [ "$status" != "$want_status" ]; then
  echo "exit status $status, expected $want_status"
  fail=1
fi
if ! cmp -s "$work/expected" "$work/actual"; then
  echo "output differs (expected <, actual >; cat -A notation):"
  diff <(cat -A "$work/expected") <(cat -A "$work/actual") | head -n 60
  fail=1
fi
exit $fail
