#!/bin/sh
# cmake --install with a prefix puts the program in PREFIX/bin, and the copy
# runs: it asks its first question and ends with status 2 at end of input.
set -u
build=$1
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
cmake --install "$build" --prefix "$prefix" >/dev/null || exit 1
if [ ! -x "$prefix/bin/fractions-unitaires" ]; then
  echo "no executable $prefix/bin/fractions-unitaires"
  exit 1
fi
printf '0\n' | "$prefix/bin/fractions-unitaires" > "$prefix/out"
status=$?
if [ "$status" != 2 ]; then
  echo "the installed program ended with status $status, expected 2"
  exit 1
fi
grep -q "Type d'equation" "$prefix/out" || { echo "the installed program did not ask for the type"; exit 1; }
