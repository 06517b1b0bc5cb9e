# bash completion for shapetool, read from its own help: the commands that
# `shapetool --help` lists, each command's flags as its --help lists them,
# the choices a flag's value shows (such as "y|z"), files for FILE, folders
# for DIR, and snippet files and folders for the inputs.

# The commands.
_shapetool_commands()
{
    "$1" --help 2>/dev/null | sed -n '/^Commands:/,/^$/s/^  \([a-z][a-z0-9-]*\)  .*/\1/p'
}

# The flags of a command's help, one per line, each with the name of its
# value when it takes one: "-o FILE", "--output FILE", "--solid".
_shapetool_flags()
{
    "$1" "$2" --help 2>/dev/null |
        sed -n 's/^  \(-[a-z],\)\{0,1\}\(--[a-z0-9-]*\)\( [^ ]*\)\{0,1\}.*/\1\2\3/p' |
        while read -r names value; do
            for name in ${names//,/ }; do
                echo "$name${value:+ $value}"
            done
        done
}

_shapetool()
{
    local cur=${COMP_WORDS[COMP_CWORD]} prev=${COMP_WORDS[COMP_CWORD-1]} program=${COMP_WORDS[0]} command word
    local commands value
    COMPREPLY=()
    commands=$(_shapetool_commands "$program")
    for word in "${COMP_WORDS[@]:1:COMP_CWORD-1}"; do
        grep -qx -- "$word" <<<"$commands" && command=$word && break
    done
    if [ -z "$command" ]; then
        mapfile -t COMPREPLY < <(compgen -W "$commands --help --version" -- "$cur")
        return
    fi
    if [[ $prev == -* ]]; then
        value=$(_shapetool_flags "$program" "$command" | sed -n "s/^$prev \\(.*\\)/\\1/p")
        case $value in
        '') ;;
        FILE) compopt -o filenames && mapfile -t COMPREPLY < <(compgen -f -- "$cur") && return ;;
        DIR) compopt -o filenames && mapfile -t COMPREPLY < <(compgen -d -- "$cur") && return ;;
        *'|'*) mapfile -t COMPREPLY < <(compgen -W "${value//|/ }" -- "$cur") && return ;;
        # A value the help names, such as NUMBER or WxH: nothing to offer.
        *) return ;;
        esac
    fi
    if [[ $cur == -* ]]; then
        mapfile -t COMPREPLY < <(compgen -W "$(_shapetool_flags "$program" "$command" | cut -d' ' -f1)" -- "$cur")
        return
    fi
    compopt -o filenames
    mapfile -t COMPREPLY < <(compgen -f -X '!*.[bB][aA][sS]' -- "$cur"; compgen -d -- "$cur")
}
complete -F _shapetool shapetool
