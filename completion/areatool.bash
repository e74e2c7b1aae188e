# bash completion for areatool: its commands, each command's options, and
# the files its arguments name.
#
# Everything comes from areatool itself, read once a shell session:
# `areatool --complete-words` prints, from its table of commands, one line
# a word it takes: "command NAME", "option COMMAND OPTION KIND" (COMMAND
# "-" for areatool's own options) and "argument COMMAND KIND ARITY", in
# order. KIND says what to complete: area files (and folders), PNG or tile
# set files to write, any file, a folder, "choice:WORD|WORD" one of those
# words; "none" for numbers and names, "switch" for an option without a
# value. ARITY is one, optional or many.
# So a new command needs no change here.
#
# Start reading at _areatool, at the bottom.

# Read once a session, for each program: its commands and options; for
# each "program command" its options and its arguments' kinds and arities;
# for each "program command option" the kind of its value.
declare -gA _areatool_commands=() _areatool_options=() _areatool_arguments=() _areatool_values=()

# Fills the tables of program from its --complete-words.
_areatool_read_words()
{
    local program=$1 kind word command name what count
    while read -r kind command name what count; do
        case $kind in
            command) _areatool_commands[$program]+=" $command" ;;
            option)
                word=$program
                [[ $command != - ]] && word+=" $command"
                _areatool_options[$word]+=" $name"
                [[ $what != switch ]] && _areatool_values[$word $name]=$what
                ;;
            argument) _areatool_arguments[$program $command]+=" $name:$what" ;;
        esac
    done < <(timeout 5 "$program" --complete-words 2>/dev/null)
}

# Completes cur as one of words.
_areatool_reply_from()
{
    mapfile -t COMPREPLY < <(compgen -W "$1" -- "$cur")
}

# Completes cur as a word of kind.
_areatool_complete_kind()
{
    case $1 in
        area) _filedir ard ;;
        png) _filedir png ;;
        tsx) _filedir tsx ;;
        path) _filedir ;;
        folder) _filedir -d ;;
        choice:*) local choices=${1#choice:} && _areatool_reply_from "${choices//|/ }" ;;
    esac
}

_areatool()
{
    local cur prev words cword split
    _init_completion -s || return

    local program=$1
    # Nothing kept when areatool did not answer: it may be installed later.
    [[ -n ${_areatool_commands[$program]+set} ]] || _areatool_read_words "$program"
    if ((cword == 1)); then
        if [[ $cur == -* ]]; then
            _areatool_reply_from "${_areatool_options[$program]-}"
        else
            _areatool_reply_from "${_areatool_commands[$program]-}"
        fi
        return
    fi

    local command=${words[1]}
    [[ " ${_areatool_commands[$program]-} " == *" $command "* ]] || return
    local key="$program $command"

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
        _areatool_complete_kind "${_areatool_values[$key $option]-}"
    elif [[ $options_ended == false && $cur == -* ]]; then
        _areatool_reply_from "${_areatool_options[$key]-}"
    else
        local -a arguments
        read -ra arguments <<<"${_areatool_arguments[$key]-}"
        local count=${#arguments[@]} last=${arguments[count - 1]-}
        # From an argument of many before the last on, a word may be
        # either of the two; the last argument repeats when it is of many.
        for ((i = 0; i < count - 1; i++)); do
            if [[ ${arguments[i]} == *:many ]] && ((position >= i)); then
                _areatool_complete_kind "${arguments[i]%:*}"
                _areatool_complete_kind "${last%:*}"
                return
            fi
        done
        word=${arguments[position]-}
        [[ -z $word && $last == *:many ]] && word=$last
        _areatool_complete_kind "${word%:*}"
    fi
} &&
    complete -F _areatool areatool
