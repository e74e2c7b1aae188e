# bash completion for areatool: its commands, each command's options, and
# the files its arguments name.
#
# Everything comes from areatool's own help, read once a shell session:
# `areatool --help` lists the commands and areatool's own options (its
# `  areatool --name  what it does` lines), and the synopsis of
# `areatool COMMAND --help` (its lines up to the first blank one) gives the
# options, the placeholder of each option's value and the placeholders of
# the arguments; option lines of the help (`  --name VALUE  what it does`)
# add to those. A placeholder says what to complete: FILE and the merge
# names take area files (and folders), OUT.png and OUT.tsx the files a
# command writes, PATH any file; numbers, names and times nothing. So a new
# command needs no change here.
#
# Start reading at _areatool, at the bottom.

# Read once a session: the commands and the options of each program, and
# for each "program command" its options, its arguments' placeholders and, for
# each "program command option", the placeholder of that option's value.
declare -gA _areatool_commands=() _areatool_options=() _areatool_arguments=() _areatool_values=()

# The help of areatool (program), of one command when one is given.
_areatool_help()
{
    timeout 5 "$1" ${2:+"$2"} --help 2>/dev/null
}

# Fills _areatool_commands[program] from the lines under "Commands:", and
# _areatool_options[program] from the lines that give areatool an option.
_areatool_read_commands()
{
    local program=$1 line listing=false names="" options=""
    while IFS= read -r line; do
        if [[ $line == Commands:* ]]; then
            listing=true
        elif [[ -z $line ]]; then
            listing=false
        elif [[ $listing == true && $line =~ ^\ +([a-z][a-z0-9_-]*) ]]; then
            names+=" ${BASH_REMATCH[1]}"
        elif [[ $line =~ ^\ +areatool\ (-[a-z0-9-]+)\  ]]; then
            options+=" ${BASH_REMATCH[1]}"
        fi
    done < <(_areatool_help "$program")
    # Nothing kept when areatool did not answer: it may be installed later.
    [[ -n $names ]] && _areatool_commands[$program]=${names# } &&
        _areatool_options[$program]=${options# }
}

# Fills the options, values and arguments of "program command" from that
# command's help.
_areatool_read_command()
{
    local program=$1 command=$2 key="$1 $2" line synopsis="" in_synopsis=true
    local options="--help" option
    local bracketed='\[(-[^] =]+)[ =]?([^]]*)\]'
    local listed='^ +(-[a-z0-9-]+)([ =]([A-Z][^ ]*))?( {2,}|$)'
    while IFS= read -r line; do
        if [[ $in_synopsis == true ]]; then
            [[ -z $line ]] && in_synopsis=false || synopsis+=" $line"
        elif [[ $line =~ $listed ]]; then
            option=${BASH_REMATCH[1]}
            [[ " $options " == *" $option "* ]] || options+=" $option"
            [[ -n ${BASH_REMATCH[3]} && -z ${_areatool_values[$key $option]-} ]] &&
                _areatool_values[$key $option]=${BASH_REMATCH[3]}
        fi
    done < <(_areatool_help "$program" "$command")

    # The options, [--name VALUE] or [--name], taken out; the arguments are left.
    while [[ $synopsis =~ $bracketed ]]; do
        option=${BASH_REMATCH[1]}
        [[ " $options " == *" $option "* ]] || options+=" $option"
        _areatool_values[$key $option]=${BASH_REMATCH[2]}
        synopsis=${synopsis/"${BASH_REMATCH[0]}"/}
    done
    # What is left: "Usage: areatool COMMAND", the options a command needs
    # (unbracketed, as review's --out DIR) and the arguments. A repeating
    # placeholder before the last argument, as atlas's FILE... or set's
    # CHANGE..., takes every position up to the last one.
    local -a words arguments=()
    read -ra words <<<"${synopsis//[][]/ }"
    local i last=$((${#words[@]} - 1))
    for ((i = 3; i <= last; i++)); do
        if [[ ${words[i]} == -* ]]; then
            [[ " $options " == *" ${words[i]} "* ]] || options+=" ${words[i]}"
            [[ -n ${_areatool_values[$key ${words[i]}]-} ]] && ((i++))
        else
            arguments+=("${words[i]}")
        fi
    done
    _areatool_options[$key]=$options
    _areatool_arguments[$key]=${arguments[*]}
}

# Completes cur as one of words.
_areatool_reply_from()
{
    mapfile -t COMPREPLY < <(compgen -W "$1" -- "$cur")
}

# Completes cur as what placeholder names.
_areatool_complete_placeholder()
{
    case ${1%...} in
        *.ard | FILE | OLD | NEW | BASE | OURS | THEIRS) _filedir ard ;;
        *.png) _filedir png ;;
        *.tsx) _filedir tsx ;;
        PATH) _filedir ;;
        DIR) _filedir -d ;;
    esac
}

_areatool()
{
    local cur prev words cword split
    _init_completion -s || return

    local program=$1
    [[ -n ${_areatool_commands[$program]+set} ]] || _areatool_read_commands "$program"
    if ((cword == 1)); then
        if [[ $cur == -* ]]; then
            _areatool_reply_from "${_areatool_options[$program]-}"
        else
            _areatool_reply_from "${_areatool_commands[$program]}"
        fi
        return
    fi

    local command=${words[1]}
    [[ " ${_areatool_commands[$program]} " == *" $command "* ]] || return
    local key="$program $command"
    [[ -n ${_areatool_options[$key]+set} ]] || _areatool_read_command "$program" "$command"

    # Where cur stands: the value of an option (after it, or after its
    # '='), an option, or which argument, counting past the options.
    local i word option="" position=0 options_ended=false
    for ((i = 2; i < cword; i++)); do
        word=${words[i]}
        if [[ -n $option ]]; then
            option=""
        elif [[ $options_ended == true || $word != -?* ]]; then
            ((position++))
        elif [[ $word == -- ]]; then
            options_ended=true
        elif [[ $word != *=* && -n ${_areatool_values[$key $word]-} ]]; then
            option=$word
        fi
    done
    [[ $split == true ]] && option=$prev
    if [[ -n $option ]]; then
        _areatool_complete_placeholder "${_areatool_values[$key $option]-}"
    elif [[ $options_ended == false && $cur == -* ]]; then
        _areatool_reply_from "${_areatool_options[$key]}"
    else
        local -a arguments
        read -ra arguments <<<"${_areatool_arguments[$key]}"
        local count=${#arguments[@]} placeholder
        # From a repeating argument before the last on, a word may be
        # either of the two; the last argument repeats when it ends in "...".
        for ((i = 0; i < count - 1; i++)); do
            if [[ ${arguments[i]} == *... ]] && ((position >= i)); then
                _areatool_complete_placeholder "${arguments[i]}"
                _areatool_complete_placeholder "${arguments[count - 1]}"
                return
            fi
        done
        placeholder=${arguments[position]-}
        [[ -z $placeholder && $count -gt 0 && ${arguments[count - 1]} == *... ]] &&
            placeholder=${arguments[count - 1]}
        _areatool_complete_placeholder "$placeholder"
    fi
} &&
    complete -F _areatool areatool
