# bash completion for vellicor-cli: option names and the values of --location and --format.
_vellicor_cli()
{
    # shellcheck disable=SC2034 # _init_completion sets all four
    local cur prev words cword
    _init_completion || return

    case $prev in
    --location)
        mapfile -t COMPREPLY < <(compgen -W 'inner frontier backnet' -- "$cur")
        return
        ;;
    --format)
        mapfile -t COMPREPLY < <(compgen -W 'text markdown json foundry' -- "$cur")
        return
        ;;
    --lightyears | --count | --seed | --dice)
        return # a number of the user's own
        ;;
    --from)
        _filedir json
        [[ $cur == - ]] && COMPREPLY+=(-) # standard input
        return
        ;;
    esac
    mapfile -t COMPREPLY < <(compgen -W '--location --lightyears --count --seed --dice --format
        --trace --from --help --version' -- "$cur")
} &&
    complete -F _vellicor_cli vellicor-cli
