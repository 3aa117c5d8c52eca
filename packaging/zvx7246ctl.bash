# bash completion for zvx7246ctl: commands, options and their values,
# the chip names U1/U4/both, reset kinds, setup files and capture files.
# Plain bash (compgen), so it also works without the bash-completion package.

_zvx7246ctl()
{
    local cur=${COMP_WORDS[COMP_CWORD]}
    local commands="write read dump read-all lock revision reset apply diff -"
    local options="--port= --lpt= --sim-rev= --capture= --delay= --trace --no-ack --help --version"
    local option="" value=""

    # With "=" in COMP_WORDBREAKS, "--port=s" arrives as "--port" "=" "s".
    if [[ $cur == "=" && $COMP_CWORD -ge 2 ]]; then
        option=${COMP_WORDS[COMP_CWORD-1]}
        cur=""
    elif [[ $COMP_CWORD -ge 3 && ${COMP_WORDS[COMP_CWORD-1]} == "=" ]]; then
        option=${COMP_WORDS[COMP_CWORD-2]}
    elif [[ $cur == --*=* ]]; then
        option=${cur%%=*}
        value=${cur#*=}
        cur=$value
    fi

    COMPREPLY=()
    if [[ -n $option ]]; then
        local prefix=""
        # A word still holding "--option=" needs it back in front of each value.
        [[ -n $value || ${COMP_WORDS[COMP_CWORD]} == --*=* ]] && prefix="$option="
        case $option in
            --port) COMPREPLY=($(compgen -P "$prefix" -W "auto sim ppdev direct" -- "$cur")) ;;
            --lpt) COMPREPLY=($(compgen -P "$prefix" -W "1 2 3" -- "$cur")) ;;
            --sim-rev) COMPREPLY=($(compgen -P "$prefix" -W "U1:A U1:B U1:C1 U1:C2 U1:D U1:E U1:F U1:G U4:A U4:B U4:C1 U4:C2 U4:D U4:E U4:F U4:G" -- "$cur")) ;;
            --capture) compopt -o filenames 2>/dev/null
                       COMPREPLY=($(compgen -P "$prefix" -f -X '!*.vcd' -- "$cur") $(compgen -P "$prefix" -d -- "$cur")) ;;
        esac
        return 0
    fi

    if [[ $cur == -* && $cur != "-" ]]; then
        compopt -o nospace 2>/dev/null
        COMPREPLY=($(compgen -W "$options" -- "$cur"))
        # Only the options ending in "=" keep the cursor on the word.
        [[ ${#COMPREPLY[@]} -eq 1 && ${COMPREPLY[0]} != *= ]] && COMPREPLY[0]+=" "
        return 0
    fi

    # The words so far that are not options: the command and its arguments.
    local -a words=()
    local i w
    for ((i = 1; i < COMP_CWORD; i++)); do
        w=${COMP_WORDS[i]}
        [[ $w == "=" ]] && { ((i++)); continue; }
        [[ $w == --* ]] && continue
        words+=("$w")
    done

    if ((${#words[@]} == 0)); then
        COMPREPLY=($(compgen -W "$commands" -- "$cur"))
        return 0
    fi
    local n=${#words[@]}
    case ${words[0]} in
        read-all | lock | revision)
            ((n == 1)) && COMPREPLY=($(compgen -W "U1 U4" -- "$cur")) ;;
        reset)
            ((n == 1)) && COMPREPLY=($(compgen -W "U1 U4" -- "$cur"))
            ((n == 2)) && COMPREPLY=($(compgen -W "pll dpa both" -- "$cur")) ;;
        apply | diff)
            if ((n == 1)); then
                compopt -o filenames 2>/dev/null
                local ext
                for ext in zvx ZVX ini INI; do
                    COMPREPLY+=($(compgen -f -X "!*.$ext" -- "$cur"))
                done
                COMPREPLY+=($(compgen -d -- "$cur"))
            elif ((n == 2)); then
                COMPREPLY=($(compgen -W "U1 U4 both" -- "$cur"))
            fi ;;
        write | read | dump)
            ((n == 1)) && COMPREPLY=($(compgen -W "0x4C 0x4D 0x4E 0x4F" -- "$cur")) ;;
    esac
    return 0
}
complete -F _zvx7246ctl zvx7246ctl
