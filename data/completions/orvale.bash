# bash completion for orvale(1): the commands, their options, and the saved
# layouts' names for the commands that take one.

_orvale_layouts() {
    # "orvale list" prints one layout a line, name first and tab-separated;
    # notices about opening the database carry no tab and are skipped.
    orvale list 2>/dev/null | awk -F '\t' 'NF > 1 { print $1 }'
}

_orvale() {
    local cur=${COMP_WORDS[COMP_CWORD]}
    local commands="save restore show list rename delete exclusions exclude include
        reset backup displays windows link unlink undo shortcut automation status daemon"

    if [ "$COMP_CWORD" -eq 1 ]; then
        mapfile -t COMPREPLY < <(compgen -W "$commands --help" -- "$cur")
        return
    fi

    local command=${COMP_WORDS[1]} options="--help"
    case $command in
        save) options+=" --replace" ;;
        restore | list) options+=" --json" ;;
        reset) options+=" --yes" ;;
        shortcut) options+=" --clear" ;;
    esac
    if [[ $cur == -* ]]; then
        mapfile -t COMPREPLY < <(compgen -W "$options" -- "$cur")
        return
    fi

    # The operand's place among the words that are not options.
    local word operand=0
    for word in "${COMP_WORDS[@]:2:COMP_CWORD-2}"; do
        [[ $word == -* ]] || operand=$((operand + 1))
    done

    local IFS=$'\n'
    case $command in
        save | restore | show | delete | link | unlink | shortcut | rename)
            if [ "$operand" -eq 0 ]; then
                mapfile -t COMPREPLY < <(compgen -W "$(_orvale_layouts)" -- "$cur")
                # Names may hold spaces; keep each one a single word.
                local i
                for i in "${!COMPREPLY[@]}"; do
                    COMPREPLY[i]=$(printf '%q' "${COMPREPLY[i]}")
                done
            fi
            ;;
        automation)
            [ "$operand" -eq 0 ] && mapfile -t COMPREPLY < <(compgen -W $'on\noff' -- "$cur")
            ;;
    esac
}

complete -F _orvale orvale
