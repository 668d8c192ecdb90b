# bash completion for vacantor-cli: its commands, each command's options, then folders.

_vacantor_cli() {
    local cur=${COMP_WORDS[COMP_CWORD]}
    COMPREPLY=()
    if [ "$COMP_CWORD" -eq 1 ]; then
        mapfile -t COMPREPLY < <(compgen -W 'find remove help --help --version' -- "$cur")
        return
    fi

    local options
    case ${COMP_WORDS[1]} in
    find) options='--read-only --print0 --threads --' ;;
    remove) options='--read-only --dry-run --trash --print0 --threads --' ;;
    help)
        [ "$COMP_CWORD" -eq 2 ] && mapfile -t COMPREPLY < <(compgen -W 'find remove' -- "$cur")
        return
        ;;
    *) return ;;
    esac
    options+=' --progress --quiet --exclude --exclude-from --junk --junk-common --verbose'
    options+=' --older-than --max-depth --absolute --no-protect'
    [ "${COMP_WORDS[1]}" = remove ] && options+=' --log'

    # --threads takes a number, --exclude a pattern and --junk a name, which no list can
    # offer; --log and --exclude-from take a file.
    case ${COMP_WORDS[COMP_CWORD - 1]} in
    --threads | --exclude | --junk | --older-than | --max-depth) return ;;
    --log | --exclude-from)
        compopt -o filenames 2>/dev/null
        mapfile -t COMPREPLY < <(compgen -f -- "$cur")
        return
        ;;
    esac

    # Options until "--"; after it every word is the root folder.
    local i
    for ((i = 2; i < COMP_CWORD; i++)); do
        [ "${COMP_WORDS[i]}" = -- ] && options=
    done
    if [ -n "$options" ] && [[ $cur == -* ]]; then
        mapfile -t COMPREPLY < <(compgen -W "$options" -- "$cur")
        return
    fi
    compopt -o filenames 2>/dev/null
    mapfile -t COMPREPLY < <(compgen -d -- "$cur")
}

complete -F _vacantor_cli vacantor-cli
