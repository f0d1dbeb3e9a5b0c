#!/bin/sh
# What `make run` does where there is no display to show the window on: split
# the example calendar with the console tool, in a fresh temporary folder, and
# show what was written. Usage: run-without-display.sh ORVELIN_SPLIT EXAMPLE
set -eu
split=$1
example=$2
work=$(mktemp -d "${TMPDIR:-/tmp}/orvelin-example.XXXXXX")
cp "$example" "$work/example.vcs"

echo "No display found: the window needs one. Here is the same split done by the"
echo "console tool:"
echo
echo "\$ orvelin-split $work/example.vcs"
"$split" "$work/example.vcs"
echo
echo "Files in $work/VCS folder:"
ls -1 "$work/VCS folder" | sed 's/^/  /'
echo
echo "1.vcs (CR LF line ends):"
tr -d '\r' < "$work/VCS folder/1.vcs" | sed 's/^/  /'
echo
echo "To use the window, run 'make run' (or build/bin/orvelin) where there is a"
echo "display, or 'xvfb-run -a build/bin/orvelin' for a virtual one."
