#!/bin/sh
# Prints help2man's extra sections for shapetool: each command's own help,
# for the commands its --help lists.
# Usage: man_sections.sh SHAPETOOL
set -eu
printf '[COMMANDS]\n'
for command in $("$1" --help | sed -n '/^Subcommands:/,/^$/s/^  \([a-z][a-z0-9-]*\)  .*/\1/p'); do
    printf '.SS "shapetool %s"\n.nf\n' "$command"
    # Roff takes a line's leading dot or quote for a request.
    "$1" "$command" --help | sed -n '/^Usage:/,$p' | sed "s/\\\\/\\\\e/g; s/^\\([.']\\)/\\\\\\&\\1/"
    printf '.fi\n'
done
