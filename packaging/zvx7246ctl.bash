# bash completion for zvx7246ctl: commands, options and their values, the
# chip names U1/U4/both, reset kinds, the port registers, setup and capture
# files, the I2C adapters (/dev/i2c-*) there are, the calc pages with their
# options, the mode subcommands with --psd, and the options of watch and
# export. Plain bash (compgen), so it also works without the bash-completion
# package.

# Adds the candidates ($3...) that begin with the text typed so far ($2) to
# COMPREPLY, each with prefix $1 in front. bash splits a word at "=" and ":"
# (COMP_WORDBREAKS) and replaces only what follows the last of them, so each
# reply loses the part of the word in front of that point.
_zvx7246ctl_offer()
{
    local prefix=$1 typed=$2 c
    shift 2
    local whole=$prefix$typed breaks="" text
    [[ $COMP_WORDBREAKS == *=* ]] && breaks+="="
    [[ $COMP_WORDBREAKS == *:* ]] && breaks+=":"
    text=$whole
    [[ -n $breaks ]] && text=${whole##*[$breaks]}
    local lead=${whole%"$text"} full
    for c; do
        full=$prefix$c
        [[ $full == "$whole"* ]] && COMPREPLY+=("${full#"$lead"}")
    done
}

_zvx7246ctl()
{
    local commands="write read dump read-all lock revision reset apply diff watch export calc mode port -"
    local options="--port= --lpt= --sim-rev= --capture= --delay= --trace --no-ack --json --window --help --version"
    local calc_clock="--hsync --osc --oscdiv --total --psd --dpa --offset --outscl --from-chip --rev-a"
    local calc_loop="--pfd --r --c1 --c2 --n --kv --kd --bode"
    local calc_valued=" ${calc_clock/ --rev-a/} $calc_loop "
    COMPREPLY=()

    # The words as typed, up to the cursor: bash splits "--port=i2c-dev:/dev/i2c-1"
    # at "=" and ":", and the pieces are joined back here.
    local -a typed=()
    local i w
    for ((i = 1; i <= COMP_CWORD; i++)); do
        w=${COMP_WORDS[i]}
        if ((i > 1)) && [[ $w == [=:] || ${COMP_WORDS[i-1]} == [=:] ]]; then
            typed[${#typed[@]}-1]+=$w
        else
            typed+=("$w")
        fi
    done
    local cur=${typed[${#typed[@]}-1]} prev=""
    ((${#typed[@]} > 1)) && prev=${typed[${#typed[@]}-2]}

    # The words before the cursor that are not options (the command and its
    # arguments), skipping "--option=value" and the value word after a calc
    # option.
    local -a words=()
    for ((i = 0; i < ${#typed[@]} - 1; i++)); do
        w=${typed[i]}
        if [[ $w == --* ]]; then
            [[ ${words[0]} == calc && $calc_valued == *" $w "* || ${words[0]} == mode && $w == --psd ]] && ((i++))
        else
            words+=("$w")
        fi
    done

    # An option's value: "--port=s" (one word for the user, whatever bash
    # made of it), or the word after a calc option.
    local option="" prefix="" value=""
    if [[ $cur == --*=* ]]; then
        option=${cur%%=*}
        prefix="$option="
        value=${cur#*=}
    elif [[ ${words[0]} == calc && $calc_valued == *" $prev "* || ${words[0]} == mode && $prev == --psd ]]; then
        option=$prev
        value=$cur
    fi
    if [[ -n $option ]]; then
        local values=""
        case $option in
            --port)
                values="auto sim ppdev direct i2c-dev"
                local node
                for node in "${_zvx7246ctl_devdir:-/dev}"/i2c-*; do
                    [[ -e $node ]] && values+=" i2c-dev:$node"
                done ;;
            --lpt) values="1 2 3" ;;
            --sim-rev) values="U1:A U1:B U1:C1 U1:C2 U1:D U1:E U1:F U1:G U4:A U4:B U4:C1 U4:C2 U4:D U4:E U4:F U4:G" ;;
            --psd) values="2 4 8 16" ;;
            --dpa) values="16 32 64" ;;
            --outscl) values="1 2 4 8" ;;
            --from-chip)
                values="U1 U4"
                [[ ${words[0]} == export ]] && values+=" both" ;;
            --format) values="c json i2cset csv" ;;
            --until) values="unlock lock" ;;
            --capture | --bode)
                local ext=vcd
                [[ $option == --bode ]] && ext=csv
                compopt -o filenames 2>/dev/null
                _zvx7246ctl_offer "$prefix" "$value" $(compgen -f -X "!*.$ext" -- "$value") $(compgen -d -- "$value")
                return 0 ;;
        esac
        [[ -n $values ]] && _zvx7246ctl_offer "$prefix" "$value" $values
        return 0
    fi

    local n=${#words[@]}
    if [[ $cur == -* && $cur != "-" ]]; then
        local offer=$options
        if [[ ${words[0]} == calc ]]; then
            [[ ${words[1]} == clock ]] && offer="$calc_clock $options"
            [[ ${words[1]} == loop-filter ]] && offer="$calc_loop $options"
        fi
        [[ ${words[0]} == apply ]] && offer="--lenient $options"
        [[ ${words[0]} == watch ]] && offer="--interval= --for= --until= $options"
        [[ ${words[0]} == export ]] && offer="--format= --from-chip= --bus= --lenient $options"
        [[ ${words[0]} == mode && ${words[1]} == apply ]] && offer="--psd $options"
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
        watch)
            ((n == 1)) && COMPREPLY=($(compgen -W "U1 U4 both" -- "$cur")) ;;
        apply | diff | export)
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
        mode)
            ((n == 1)) && COMPREPLY=($(compgen -W "list show apply" -- "$cur")) ;;
        port)
            ((n == 1)) && COMPREPLY=($(compgen -W "read write" -- "$cur"))
            ((n == 2)) && [[ ${words[1]} == read ]] && COMPREPLY=($(compgen -W "data status control" -- "$cur"))
            ((n == 2)) && [[ ${words[1]} == write ]] && COMPREPLY=($(compgen -W "data control" -- "$cur")) ;;
    esac
    return 0
}
complete -F _zvx7246ctl zvx7246ctl
