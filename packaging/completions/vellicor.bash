# bash completion for vellicor: its options and the most used of Qt's, with their values.
_vellicor()
{
    # shellcheck disable=SC2034 # _init_completion sets all four
    local cur prev words cword
    _init_completion || return

    case $prev in
    -platform)
        mapfile -t COMPREPLY < <(compgen -W 'xcb wayland offscreen' -- "$cur")
        return
        ;;
    -style)
        mapfile -t COMPREPLY < <(compgen -W 'Fusion Windows' -- "$cur")
        return
        ;;
    esac
    mapfile -t COMPREPLY < <(compgen -W '--help --version -platform -style -reverse' -- "$cur")
} &&
    complete -F _vellicor vellicor
