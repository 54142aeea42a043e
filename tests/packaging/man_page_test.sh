#!/bin/sh
# Usage: man_page_test.sh PAGE [PROGRAM BASH_COMPLETION ZSH_COMPLETION FISH_COMPLETION]
# Renders the manual page with every groff warning on; there must be none. Given the program,
# the options of its --help and those the page's OPTIONS section lists must be the same, and
# each completion must offer every long option.
set -eu
export LC_ALL=C
page=$1
fail() {
    echo "man_page_test: $*" >&2
    exit 1
}

warnings=$(groff -man -ww -z -Tutf8 "$page" 2>&1) || fail "groff failed on $page: $warnings"
[ -z "$warnings" ] || fail "groff warns about $page: $warnings"
[ $# -eq 1 ] && exit 0
program=$2 bash_completion=$3 zsh_completion=$4 fish_completion=$5

# The help's option rows: "  -h,--help   Print ...", "  -h, --help   Print ..." or
# "  --count N=1   Races ...".
help_options=$("$program" --help | sed -n '/^Options:/,/^$/p' |
    grep -oE '^ +(-[a-z], ?)?--[a-z-]+' | grep -oE -- '--?[a-z-]+' | sort)
# The page's option items: the line after each .TP of the OPTIONS section.
page_options=$(awk '/^\.SH/ { inside = ($2 == "OPTIONS") } inside && tag { print } { tag = /^\.TP/ }' \
    "$page" | sed 's/\\-/-/g' | grep -oE -- '--?[a-z-]+' | sort)
[ -n "$help_options" ] || fail "no options found in $program --help"
[ "$help_options" = "$page_options" ] ||
    fail "--help lists: $(echo "$help_options" | tr '\n' ' ')," \
        "the page lists: $(echo "$page_options" | tr '\n' ' ')"

for option in $(echo "$help_options" | grep -- '^--'); do
    grep -qw -- "$option" "$bash_completion" || fail "bash completion lacks $option"
    grep -qw -- "$option" "$zsh_completion" || fail "zsh completion lacks $option"
    grep -qw -- "-l ${option#--}" "$fish_completion" || fail "fish completion lacks $option"
done

# Every format the help names ("text, markdown or json") has its item under FORMATS, and each
# completion offers it after --format.
formats=$("$program" --help | sed -n 's/^ *--format [A-Z]*=[a-z]*  *//p' | sed 's/,\| or / /g')
for format in $formats; do
    grep -qx "\.B $format" "$page" || fail "the page's FORMATS lack $format"
    for completion in "$bash_completion" "$zsh_completion" "$fish_completion"; do
        grep -A1 -E -- '(--|-l )format' "$completion" | grep -qw "$format" ||
            fail "$completion does not offer the format $format"
    done
done
