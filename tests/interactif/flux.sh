#!/usr/bin/env bash
# Standard input that cannot be read ends the program as the end of input
# does (status 2), with its reason on standard error; standard output that
# cannot be written stops it at once with status 3 and its reason.
set -u
exe=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail=0
verifie() {  # name, expected status, actual status, pattern expected on stderr
  if [ "$3" != "$2" ]; then
    echo "$1: exit status $3, expected $2"
    fail=1
  fi
  if ! grep -q "$4" "$work/err"; then
    echo "$1: standard error does not say \"$4\":"
    cat "$work/err"
    fail=1
  fi
}

"$exe" < / > "$work/out" 2> "$work/err"
verifie "input from a directory" 2 $? "entree standard ne peut pas etre lue (Is a directory)"
"$exe" <&- > "$work/out" 2> "$work/err"
verifie "input closed" 2 $? "entree standard ne peut pas etre lue (Bad file descriptor)"
# The prompt came before the failed read, and nothing after it.
if [ "$(tail -c 4 "$work/out" | od -An -tx1 | tr -d ' ')" != "3f093a20" ]; then
  echo "input closed: the output does not end with the first prompt"
  fail=1
fi

printf '0 1 3 1 1 0 0 0\n' | "$exe" > /dev/full 2> "$work/err"
verifie "output to /dev/full" 3 $? "sortie standard ne peut pas etre ecrite (No space left on device)"
printf '0 1 3 1 1 0 0 0\n' | "$exe" >&- 2> "$work/err"
verifie "output closed" 3 $? "sortie standard ne peut pas etre ecrite (Bad file descriptor)"

# A listing of n = 7 (294314 rows) into a pipe whose reader leaves at once,
# SIGPIPE ignored: the program must stop, not compute on.
(
  trap '' PIPE
  printf '0 1 7 1 1 0 0 0\n' | timeout 20 "$exe" 2> "$work/err" | head -c 10 > /dev/null
  echo "${PIPESTATUS[1]}" > "$work/status"
)
verifie "reader gone" 3 "$(cat "$work/status")" "sortie standard ne peut pas etre ecrite (Broken pipe)"
exit $fail
