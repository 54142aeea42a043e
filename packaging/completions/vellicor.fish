# fish completion for vellicor: its options and the most used of Qt's, with their values.
complete -c vellicor -f
complete -c vellicor -s h -l help -d 'Print the usage and exit'
complete -c vellicor -s v -l version -d 'Print the version and exit'
complete -c vellicor -o platform -x -a 'xcb wayland offscreen' -d 'Qt platform plugin'
complete -c vellicor -o style -x -a 'Fusion Windows' -d 'Qt widget style'
complete -c vellicor -o reverse -d 'Lay the dialog out right to left'
