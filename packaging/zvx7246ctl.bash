# bash completion for zvx7246ctl: commands, options and their values, the
# chip names U1/U4/both, reset kinds, setup and capture files, and the calc
# pages with their options. Plain bash (compgen), so it also works without the
# bash-completion package.

_zvx7246ctl()
{
    local cur=${COMP_WORDS[COMP_CWORD]}
    local commands="write read dump read-all lock revision reset apply diff calc -"
    local options="--port= --lpt= --sim-rev= --capture= --delay= --trace --no-ack --window --help --version"
    local calc_clock="--hsync --osc --oscdiv --total --psd --dpa --offset --outscl --from-chip --rev-a"
    local calc_loop="--pfd --r --c1 --c2 --n --kv --kd"
    local calc_valued=" ${calc_clock/ --rev-a/} $calc_loop "
    COMPREPLY=()

    # The words before the cursor that are not options (the command and its
    # arguments), skipping "--option=value" however bash split it and the
    # value word after a calc option.
    local -a words=()
    local i w prev=""
    for ((i = 1; i < COMP_CWORD; i++)); do
        w=${COMP_WORDS[i]}
        if [[ $w == "=" ]]; then
            ((i + 1 < COMP_CWORD)) && ((i++))
        elif [[ $w == --* ]]; then
            [[ ${words[0]} == calc && $calc_valued == *" $w "* && ${COMP_WORDS[i+1]} != "=" ]] &&
                ((i + 1 < COMP_CWORD)) && ((i++))
        else
            words+=("$w")
        fi
    done
    ((COMP_CWORD >= 1)) && prev=${COMP_WORDS[COMP_CWORD-1]}

    # "--port=s" arrives as "--port" "=" "s" when "=" is in COMP_WORDBREAKS,
    # else as one word that keeps its "--port=" in front of every value.
    local option="" prefix=""
    if [[ $cur == "=" ]]; then
        option=$prev
        cur=""
    elif [[ $prev == "=" && $COMP_CWORD -ge 3 ]]; then
        option=${COMP_WORDS[COMP_CWORD-2]}
    elif [[ $cur == --*=* ]]; then
        option=${cur%%=*}
        prefix="$option="
        cur=${cur#*=}
    elif [[ ${words[0]} == calc && $calc_valued == *" $prev "* ]]; then
        option=$prev
    fi
    if [[ -n $option ]]; then
        local values=""
        case $option in
            --port) values="auto sim ppdev direct" ;;
            --lpt) values="1 2 3" ;;
            --sim-rev) values="U1:A U1:B U1:C1 U1:C2 U1:D U1:E U1:F U1:G U4:A U4:B U4:C1 U4:C2 U4:D U4:E U4:F U4:G" ;;
            --psd) values="2 4 8 16" ;;
            --dpa) values="16 32 64" ;;
            --outscl) values="1 2 4 8" ;;
            --from-chip) values="U1 U4" ;;
            --capture)
                compopt -o filenames 2>/dev/null
                COMPREPLY=($(compgen -P "$prefix" -f -X '!*.vcd' -- "$cur") $(compgen -P "$prefix" -d -- "$cur"))
                return 0 ;;
        esac
        [[ -n $values ]] && COMPREPLY=($(compgen -P "$prefix" -W "$values" -- "$cur"))
        return 0
    fi

    local n=${#words[@]}
    if [[ $cur == -* && $cur != "-" ]]; then
        local offer=$options
        if [[ ${words[0]} == calc ]]; then
            [[ ${words[1]} == clock ]] && offer="$calc_clock $options"
            [[ ${words[1]} == loop-filter ]] && offer="$calc_loop $options"
        fi
        compopt -o nospace 2>/dev/null
        COMPREPLY=($(compgen -W "$offer" -- "$cur"))
        # Only the options ending in "=" keep the cursor on the word.
        [[ ${#COMPREPLY[@]} -eq 1 && ${COMPREPLY[0]} != *= ]] && COMPREPLY[0]+=" "
        return 0
    fi

    if ((n == 0)); then
        COMPREPLY=($(compgen -W "$commands" -- "$cur"))
        return 0
    fi
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
        calc)
            ((n == 1)) && COMPREPLY=($(compgen -W "clock loop-filter" -- "$cur")) ;;
    esac
    return 0
}
complete -F _zvx7246ctl zvx7246ctl
