#!/bin/bash
# Checks the rendered manual pages: groff reports no warning, man renders
# each, and each page documents every option its program's help lists (and,
# for a program with subcommands, every subcommand). Catches a page that
# breaks the roff and an option or subcommand added without its
# documentation.
#
# Usage: man_pages_test.sh MAN_BUILD_DIR MAN_SOURCE_DIR NAME=PROGRAM...
set -uo pipefail
pages=$1 sources=$2
shift 2
failed=0
fail() { echo "FAIL: $*" >&2; failed=1; }

for item in "$@"; do
  name=${item%%=*} program=${item#*=}
  page=$pages/$name.1
  source=$sources/$name.1.scd
  [ -f "$page" ] && [ -f "$page.gz" ] || { fail "$name(1) was not rendered"; continue; }

  warnings=$(groff -ww -z -man "$page" 2>&1)
  [ -z "$warnings" ] || fail "groff warns on $name(1): $warnings"
  errors=$(MANWIDTH=80 man -l "$page.gz" 2>&1 >/dev/null)
  [ -z "$errors" ] || fail "man -l $name.1.gz: $errors"
  MANWIDTH=80 man -l "$page.gz" 2>/dev/null | grep -q '^NAME' ||
    fail "man -l $name.1.gz shows no NAME section"

  if [ "$name" = qmrecinfo ]; then
    help=$("$program" '-?')
    options=$(grep -oE -- '-[a-z]+=' <<<"$help" | sort -u)
  else
    help=$("$program" --help)
    options=$(grep -oE -- '--[a-z][a-z-]*' <<<"$help" | sort -u)
  fi
  [ -n "$options" ] || fail "no options found in the help of $name"
  for option in $options; do
    grep -qF -- "*$option*" "$source" || fail "$name(1) does not document $option"
  done
  # Subcommands: the names listed under "Subcommands:" in the help, each
  # with the options of its own help.
  subcommands=$(sed -n '/^Subcommands:/,/^$/p' <<<"$help" | awk 'NR > 1 && NF {print $1}')
  for subcommand in $subcommands; do
    grep -qE -- "^\*$subcommand\*" "$source" ||
      fail "$name(1) does not document the subcommand $subcommand"
    sub_options=$("$program" "$subcommand" --help | grep -oE -- '--[a-z][a-z-]*' | sort -u)
    for option in $sub_options; do
      grep -qF -- "*$option*" "$source" ||
        fail "$name(1) does not document $subcommand $option"
    done
  done
done
[ "$failed" = 0 ] && echo "PASS: $# manual pages"
exit "$failed"
