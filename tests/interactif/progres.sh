#!/usr/bin/env bash
# The status line of a long count, on a pseudo-terminal made by script(1):
# drawn on standard error when it is a terminal, erased before every row and
# at the end, absent otherwise; standard output is the same byte for byte.
set -u
exe=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# Type 1, n = 6, P/Q = 1/5 down to the stop sequence 7: 28520913
# solutions, about five seconds of counting in Release on two cores (down
# to 8 under the sanitizers: six seconds there); the partial table shows
# one row in a million, the first one at once.
arret=7
[ -n "${ESSAIS_LEGERS:-}" ] && arret=8
printf '0\n1\n6\n1\n5\n1\n0\n0\n1\n%s\n0\n0\n-1000000\n0\n' $arret > "$work/in"
fail=0

"$exe" < "$work/in" > "$work/plain" 2> "$work/err"
if [ -s "$work/err" ]; then
  echo "standard error is not a terminal, yet something was written on it"
  fail=1
fi

# Standard error alone on the terminal.
script -qfec "'$exe' < '$work/in' > '$work/tty'" "$work/ts1" > /dev/null
if ! cmp -s "$work/plain" "$work/tty"; then
  echo "standard output differs when standard error is a terminal"
  fail=1
fi
# Both on the terminal: what the user sees.
script -qfec "'$exe' < '$work/in'" "$work/ts2" > /dev/null

# Drops the header and footer lines of script and the terminal's \r before
# \n, checks each status line, then removes them and their erasures.
verifie='
  my ($ts, $plain, $seul) = @ARGV;
  local $/;
  open my $f, "<", $ts or die; my $t = <$f>;
  open my $g, "<", $plain or die; my $p = <$g>;
  $t =~ s/\A[^\n]*\n//; $t =~ s/\n[^\n]*\n?\z//; $t =~ s/\r\n/\n/g;
  my $ligne = qr/ \d++ s   \d++ solutions(?:   x\d = \d++)*+/;
  my @lignes = ($t =~ /\r\e\[K( \d++ s   \d++ solutions   x1 = \d++)/g);
  if (!@lignes) { print "no status line in $ts\n"; exit 1 }
  my @restes = ($t =~ /\r\e\[K$ligne(?!\r\e\[K)/g);
  if (@restes) { print "a status line in $ts is not erased before the next output\n"; exit 1 }
  $t =~ s/\r\e\[K$ligne//g; $t =~ s/\r\e\[K//g;
  if ($seul) {
    if ($t ne "") { print "$ts holds more than status lines\n"; exit 1 }
  } elsif ($t ne $p) { print "the screen of $ts does not show exactly the program output\n"; exit 1 }
'
perl -e "$verifie" "$work/ts1" "$work/plain" 1 || fail=1
perl -e "$verifie" "$work/ts2" "$work/plain" 0 || fail=1

# Terminated while the line is on screen: it is erased, and the program
# ends as SIGTERM asks (status 143 from the shell). (A background job of a
# script ignores SIGINT, which the program then leaves ignored.)
script -qfec "'$exe' < '$work/in' > /dev/null & p=\$!; sleep 3; kill -TERM \$p; wait \$p; echo \"statut \$?\"" \
  "$work/ts3" > /dev/null
perl -e '
  local $/; open my $f, "<", $ARGV[0] or die; my $t = <$f>;
  if ($t !~ / \d+ s   \d+ solutions/) { print "interrupted: no status line was shown\n"; exit 1 }
  # The shell may report the end of its job (dash says "Terminated").
  if ($t !~ / \d+ s   \d+ solutions[^\r]*\r\e\[K(?:(?! \d+ s   \d+ solutions).)*?statut 143/s) {
    print "interrupted: the status line was not erased, or the status is not 143\n"; exit 1 }
' "$work/ts3" || fail=1
exit $fail
