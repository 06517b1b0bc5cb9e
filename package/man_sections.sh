#!/bin/sh
# Prints help2man's extra sections for shapetool: each command's own help.
# Usage: man_sections.sh SHAPETOOL
set -eu
printf '[COMMANDS]\n'
for command in info export render gallery; do
    printf '.SS "shapetool %s"\n.nf\n' "$command"
    # Roff takes a line's leading dot or quote for a request.
    "$1" "$command" --help | sed -n '/^Usage:/,$p' | sed "s/\\\\/\\\\e/g; s/^\\([.']\\)/\\\\\\&\\1/"
    printf '.fi\n'
done
