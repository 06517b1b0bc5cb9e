#!/bin/sh
# Writes a program's manual page from its own --help, and each command's
# --help when it lists commands: NAME, SYNOPSIS, DESCRIPTION, OPTIONS,
# COMMANDS, INPUTS, EXIT STATUS and EXAMPLES; then the page's own sections
# from TAIL (FILES, SEE ALSO, ...), as they are.
# The help's form: "Usage: ..." first, paragraphs, and sections of entries,
# a title line ("Options:") and lines "  NAME  what it is" whose text goes
# on in lines indented further; the Examples section's lines stay as they are.
# Usage: man_page.sh PROGRAM SUMMARY VERSION DATE TAIL > PAGE.1
set -eu
program=$1 summary=$2 version=$3 date=$4 tail=$5
name=$(basename "$program")

# The part of help text on standard input that `what` names, in roff:
# usage (the Usage line), description (the paragraphs outside sections),
# entries (section `title`, leaving out the entry `skip`) or lines (section
# `title`, as they are).
part() {
    awk -v what="$1" -v title="${2:-}" -v skip="${3:-}" '
        # Every `from` in `text` as `to`, with no regular expression.
        function swapped(text, from, to,   at, out) {
            while ((at = index(text, from)) > 0) {
                out = out substr(text, 1, at - 1) to
                text = substr(text, at + length(from))
            }
            return out text
        }
        # Roff takes a backslash for an escape and a leading dot or quote for
        # a request; a hyphen is a minus, as in the flags, to copy and paste.
        function escaped(text) {
            text = swapped(swapped(text, "\\", "\\e"), "-", "\\-")
            return text ~ /^[.'\'']/ ? "\\&" text : text
        }
        function flags(text,   names, count, i, out) {
            value = ""
            if (match(text, / .*/)) {
                value = substr(text, RSTART + 1)
                text = substr(text, 1, RSTART - 1)
            }
            count = split(text, names, ",")
            for (i = 1; i <= count; i++)
                out = out (i > 1 ? ", " : "") "\\fB" escaped(names[i]) "\\fR"
            return out (value == "" ? "" : " \\fI" escaped(value) "\\fR")
        }
        function finish() {
            if (entry != "" && entry != skip)
                printf ".TP\n%s\n%s\n", flags(entry), escaped(text)
            entry = text = ""
        }
        /^Usage: / { if (what == "usage") print substr($0, 8); next }
        /^[A-Z][A-Za-z ]*:$/ { finish(); section = substr($0, 1, length($0) - 1); next }
        /^$/ { finish(); section = ""; paragraph = 1; next }
        section == "" {
            if (what == "description") {
                if (paragraph && printed) print ".PP"
                print escaped($0)
                printed = 1
            }
            paragraph = 0
            next
        }
        section != title { next }
        what == "lines" { sub(/^  /, ""); print escaped($0); next }
        what != "entries" { next }
        /^  [^ ]/ {
            finish()
            line = substr($0, 3)
            gap = index(line, "  ")
            entry = gap ? substr(line, 1, gap - 1) : line
            text = gap ? substr(line, gap) : ""
            sub(/^ +/, "", text)
            next
        }
        { sub(/^ +/, ""); text = text (text == "" ? "" : " ") $0 }
        END { finish() }'
}

help=$("$program" --help)
commands=$(printf '%s\n' "$help" | awk '/^Commands:$/ { on = 1; next } /^$/ { on = 0 } on && /^  [a-z]/ { print $1 }')

printf '.TH %s 1 %s "supershape %s" "User Commands"\n' "$(echo "$name" | tr a-z A-Z)" "$date" "$version"
printf '.SH NAME\n%s \\- %s\n' "$name" "$summary"
printf '.SH SYNOPSIS\n'
for command in $commands; do
    printf '.B %s %s\n%s\n.br\n' "$name" "$command" \
        "$("$program" "$command" --help | part usage | cut -d' ' -f3-)"
done
if [ -z "$commands" ]; then
    printf '.B %s\n%s\n' "$name" "$(printf '%s\n' "$help" | part usage | cut -d' ' -f2-)"
fi
printf '.SH DESCRIPTION\n'
printf '%s\n' "$help" | part description
printf '.SH OPTIONS\n'
printf '%s\n' "$help" | part entries Options
if [ -n "$commands" ]; then
    printf '.SH COMMANDS\n'
    for command in $commands; do
        command_help=$("$program" "$command" --help)
        printf '.SS "%s %s"\n' "$name" "$command"
        printf '%s\n' "$command_help" | part description
        printf '%s\n' "$command_help" | part entries Options -h,--help
    done
    # Every command reads its shapes alike: the first one's help says how.
    printf '.SH INPUTS\n'
    first_help=$("$program" "$(echo "$commands" | head -n 1)" --help)
    printf '%s\n' "$first_help" | part entries Arguments
    printf '%s\n' "$first_help" | part entries Parameters
fi
printf '.SH "EXIT STATUS"\n'
printf '%s\n' "$help" | part entries 'Exit statuses'
examples=$(for command in $commands; do "$program" "$command" --help | part lines Examples; done)
if [ -n "$examples" ]; then
    printf '.SH EXAMPLES\n.nf\n%s\n.fi\n' "$examples"
fi
cat "$tail"
