# bash completion for pagewick-count                          -*- shell-script -*-
#
# Options; files for -o/--output and --files-from; the formats for --format; nothing for the
# numbers of -j/--jobs, --in-flight and --timeout; files and folders for the paths, and only those after "--".
# A long option may be shortened, as the program takes it, to a prefix no other option shares.
# Needs bash alone: bash's own splitting of "--opt=value" at "=" is undone here.

_pagewick_count_options="--recursive --jobs= --in-flight= --timeout= --header --total --files-from= --null --output=
    --format= --profile --pages --summary --audit --only-tiff --progress --no-progress --verbose --help
    --version"

# The long option a word names: the option of that name, or the only one it is a prefix of.
_pagewick_count_long()
{
    local option found=() name
    for option in $_pagewick_count_options; do
        name=${option%=}
        [[ $name == "$1" ]] && { echo "$name"; return; }
        [[ $name == "$1"* ]] && found+=("$name")
    done
    ((${#found[@]} == 1)) && echo "${found[0]}"
}

_pagewick_count()
{
    local -a words=()
    local i w glue=""
    # The words up to the cursor, with "--opt", "=", "value" joined again.
    for ((i = 0; i <= COMP_CWORD && i < ${#COMP_WORDS[@]}; i++)); do
        w=${COMP_WORDS[i]}
        if [[ $glue ]]; then
            words[${#words[@]}-1]+=$w
            glue=""
        elif [[ $w == "=" && ${#words[@]} -gt 1 && ${words[${#words[@]}-1]} == --?* ]]; then
            words[${#words[@]}-1]+=$w
            glue=1
        else
            words+=("$w")
        fi
    done
    ((COMP_CWORD < ${#COMP_WORDS[@]})) || words+=("")
    local cur=${words[${#words[@]}-1]}

    # What the words before the cursor leave open: a value still owed to an option, or the end of
    # the options.
    local need="" ended="" j c
    for ((i = 1; i < ${#words[@]} - 1; i++)); do
        w=${words[i]}
        if [[ $need ]]; then
            need=""
        elif [[ $ended ]]; then
            :
        else
            case $w in
                --) ended=1 ;;
                --*=*) ;;
                --*)
                    case $(_pagewick_count_long "$w") in
                        --output | --files-from) need=file ;;
                        --format) need=format ;;
                        --jobs | --in-flight | --timeout) need=number ;;
                    esac
                    ;;
                -?*)
                    # Grouped short options: -j and -o take the rest of the word, or the next word.
                    for ((j = 1; j < ${#w}; j++)); do
                        c=${w:j:1}
                        if [[ $c == [jo] ]]; then
                            if ((j == ${#w} - 1)); then
                                [[ $c == j ]] && need=number || need=file
                            fi
                            break
                        fi
                    done
                    ;;
            esac
        fi
    done

    # "--opt=value": readline replaces only what follows "=" when "=" breaks words (the default),
    # and the whole word when it does not.
    local value=$cur prefix=""
    if [[ ! $need && ! $ended && $cur == --*=* ]]; then
        value=${cur#*=}
        [[ $COMP_WORDBREAKS == *=* ]] || prefix=${cur%%=*}=
        case $(_pagewick_count_long "${cur%%=*}") in
            --output | --files-from) need=file ;;
            --format) need=format ;;
            *) need=number ;;   # --jobs, --in-flight, --timeout, or an option that takes no value
        esac
    fi

    COMPREPLY=()
    case $need in
        number) return 0 ;;
        format)
            COMPREPLY=($(compgen -W "csv jsonl" -- "$value"))
            ;;
        file)
            compopt -o filenames 2>/dev/null
            local IFS=$'\n'
            COMPREPLY=($(compgen -f -- "$value"))
            ;;
        *)
            if [[ ! $ended && $cur == -* ]]; then
                COMPREPLY=($(compgen -W "-r -j -0 -o -h $_pagewick_count_options --" -- "$cur"))
                # An option that takes its value after "=" is not finished by a space.
                [[ ${#COMPREPLY[@]} -eq 1 && ${COMPREPLY[0]} == *= ]] && compopt -o nospace 2>/dev/null
            else
                compopt -o filenames 2>/dev/null
                local IFS=$'\n'
                COMPREPLY=($(compgen -f -- "$value"))
            fi
            ;;
    esac
    if [[ $prefix ]]; then
        for i in "${!COMPREPLY[@]}"; do
            COMPREPLY[i]=$prefix${COMPREPLY[i]}
        done
    fi
    return 0
} &&
    complete -F _pagewick_count pagewick-count
