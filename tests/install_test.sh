#!/bin/sh
# Installs the build into a scratch prefix and checks what lands there: the tool runs from
# bin/, and its man page renders with man and passes groff's warnings without a single one.
# usage: install_test.sh BUILD_DIR
set -eu
build=$1
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT

cmake --install "$build" --prefix "$prefix" >/dev/null
test -x "$prefix/bin/frmcmp"
page="$prefix/share/man/man1/frmcmp.1"
test -f "$page"

status=0
"$prefix/bin/frmcmp" 2>"$prefix/help" || status=$?
test "$status" = 1
grep -q '^usage: frmcmp' "$prefix/help"

warnings=$(groff -man -Tutf8 -wall "$page" 2>&1 >/dev/null)
if [ -n "$warnings" ]; then
  echo "groff warns about the man page:"; echo "$warnings"; exit 1
fi
rendered=$(MANWIDTH=80 man -l "$page" 2>&1)
for section in NAME SYNOPSIS OPTIONS "INPUT FORMAT" "REPORT FORMAT" "EXIT STATUS" DIAGNOSTICS EXAMPLES; do
  printf '%s\n' "$rendered" | grep -q "^$section" || { echo "man page lacks $section"; exit 1; }
done
printf '%s\n' "$rendered" | grep -q '/dev/stdin' || { echo "man page lacks the pipe example"; exit 1; }
echo "installed and man page clean"
