# bash completion for shapetool: its commands, each command's flags as its
# own --help lists them, the fixed values of --format and --up, and snippet
# files and folders.

# The options a command's help lists, "-o --output" style; with "valued",
# only those that take a value.
_shapetool_options()
{
    local program=$1 command=$2 which=$3 pattern='\(-[a-z],\)\{0,1\}\(--[a-z0-9-]*\)'
    [ "$which" = valued ] && pattern="$pattern [^ ]"
    "$program" "$command" --help 2>/dev/null |
        sed -n "s/^  $pattern.*/\\1 \\2/p" | tr -d ',' | tr ' ' '\n'
}

_shapetool()
{
    local cur=${COMP_WORDS[COMP_CWORD]} prev=${COMP_WORDS[COMP_CWORD-1]} command word
    COMPREPLY=()
    for word in "${COMP_WORDS[@]:1:COMP_CWORD-1}"; do
        case $word in info | export | render | gallery) command=$word && break ;; esac
    done
    if [ -z "$command" ]; then
        mapfile -t COMPREPLY < <(compgen -W "info export render gallery --help --version" -- "$cur")
        return
    fi
    case $prev in
    --format) mapfile -t COMPREPLY < <(compgen -W "stl obj ply glb 3mf" -- "$cur") && return ;;
    --up) mapfile -t COMPREPLY < <(compgen -W "y z" -- "$cur") && return ;;
    -o | --output) compopt -o filenames && mapfile -t COMPREPLY < <(compgen -f -- "$cur") && return ;;
    --outdir) compopt -o filenames && mapfile -t COMPREPLY < <(compgen -d -- "$cur") && return ;;
    -*)
        # A value the help names, such as NUMBER or WxH: nothing to offer.
        _shapetool_options "${COMP_WORDS[0]}" "$command" valued | grep -qx -- "$prev" && return ;;
    esac
    if [[ $cur == -* ]]; then
        mapfile -t COMPREPLY < <(compgen -W "$(_shapetool_options "${COMP_WORDS[0]}" "$command")" -- "$cur")
        return
    fi
    compopt -o filenames
    mapfile -t COMPREPLY < <(compgen -f -X '!*.[bB][aA][sS]' -- "$cur"; compgen -d -- "$cur")
}
complete -F _shapetool shapetool
