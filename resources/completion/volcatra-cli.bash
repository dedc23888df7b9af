# Bash completion for volcatra-cli: its verbs, their options, catalogue files
# (*.fsr), disc images and folders where a verb takes them, and the volume
# numbers of the catalogue named before a number.

# Adds the completions of kind $2 for the word $1: "fsr" catalogue files and
# folders, "image" folders and disc images, "file" every file.
_volcatra_cli_paths() {
    local cur=$1 IFS=$'\n'
    compopt -o filenames 2>/dev/null
    case $2 in
        image)
            COMPREPLY+=($(compgen -d -- "$cur"))
            local pattern
            for pattern in '*.[iI][sS][oO]' '*.[bB][iI][nN]' '*.[iI][mM][gG]' '*.[uU][dD][fF]'; do
                COMPREPLY+=($(compgen -f -X "!$pattern" -- "$cur"))
            done
            ;;
        file) COMPREPLY+=($(compgen -f -- "$cur")) ;;
        fsr)
            COMPREPLY+=($(compgen -d -- "$cur"))
            COMPREPLY+=($(compgen -f -X '!*.[fF][sS][rR]' -- "$cur"))
            ;;
    esac
}

# Adds the volume numbers of the catalogue file $2 that start with $1.
_volcatra_cli_volumes() {
    local cur=$1 file=$2 IFS=$'\n'
    [[ $file == "~/"* ]] && file=$HOME/${file#"~/"}
    [[ -f $file ]] || return
    COMPREPLY+=($(compgen -W "$("${COMP_WORDS[0]}" volumes "$file" 2>/dev/null | cut -f1)" -- "$cur"))
}

_volcatra_cli() {
    local cur=${COMP_WORDS[COMP_CWORD]} prev=${COMP_WORDS[COMP_CWORD - 1]}
    COMPREPLY=()
    if ((COMP_CWORD == 1)); then
        COMPREPLY=($(compgen -W "info dump export read search volumes rename comment remove move-volume copy-volume
                                 locate help --help --version" -- "$cur"))
        return
    fi
    local verb=${COMP_WORDS[1]} options=""
    case $verb in
        read) options="-o --output --no-archives --no-image --icons --replace --add --name --comment" ;;
        search) options="--in --no-subfolders --catalogue --json --" ;;
        locate) options="--mount" ;;
    esac
    # The value of an option.
    case $verb:$prev in
        read:-o | read:--output | search:--catalogue)
            _volcatra_cli_paths "$cur" fsr
            return
            ;;
        search:--in)
            _volcatra_cli_paths "$cur" dir
            return
            ;;
        read:--name | read:--comment) return ;;
    esac
    if [[ $cur == -* ]]; then
        COMPREPLY=($(compgen -W "$options --help" -- "$cur"))
        return
    fi
    # The arguments before this one, without the options and their values.
    local -a args=()
    local i word
    for ((i = 2; i < COMP_CWORD; i++)); do
        word=${COMP_WORDS[i]}
        case $verb:$word in
            read:-o | read:--output | read:--name | read:--comment | search:--in | search:--catalogue) ((i++)) ;;
            *:-*) ;;
            *) args+=("$word") ;;
        esac
    done
    local position=$((${#args[@]} + 1))
    case $verb:$position in
        info:1 | dump:1 | volumes:1 | export:1 | rename:1 | comment:1 | remove:1 | move-volume:1 | copy-volume:1 | \
            move-volume:3 | copy-volume:3 | locate:1)
            _volcatra_cli_paths "$cur" fsr
            ;;
        export:2) _volcatra_cli_paths "$cur" file ;;
        read:1) _volcatra_cli_paths "$cur" image ;;
        rename:2 | comment:2 | remove:2 | move-volume:2 | copy-volume:2 | locate:2)
            _volcatra_cli_volumes "$cur" "${args[0]}"
            ;;
    esac
}
complete -F _volcatra_cli volcatra-cli
