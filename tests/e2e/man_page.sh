#!/usr/bin/env bash
# The manual page of larkspan-pack against the tool's own --help, so that they cannot drift:
# every verb has its section, with each of its options and positionals; the global options,
# the exit statuses, an example and the version are there; every --help ends with an example;
# man reads the page without a warning.
#   man_page.sh LARKSPAN_PACK MAN_PAGE
set -uo pipefail
pack=$1 page=$2
source "$(dirname "$0")/../support/check.sh"

# The roff source with its escaped hyphens plain, so that options read as typed.
text=$(sed 's/\\-/-/g' "$page")
# The lines of one verb's section (.SS "verb ...") up to the next section.
section() { awk -v v="$1" '/^\.S[SH] / { on = ($0 ~ "^\\.SS \"" v " ") } on' <<<"$text"; }
# The last paragraph of a help text: "Example:" and the indented lines after it.
ends_with_example() {
  "$pack" "$@" --help | awk 'NF { last[++n] = $0 } END {
    for (i = n; i > 0 && last[i] ~ /^  /; --i) {}
    exit !(i > 0 && i < n && last[i] == "Example:") }'
}

verbs=$("$pack" --help | awk '/^Subcommands:/ { on = 1; next } on && !NF { exit } on && /^  [a-z]/ { print $1 }')
check "--help lists the verbs ($(echo $verbs))" test -n "$verbs"
check "the tool's --help ends with an example" ends_with_example
for verb in $verbs; do
  body=$(section "$verb")
  check "$verb: a section of its own" test -n "$body"
  check "$verb: its --help ends with an example" ends_with_example "$verb"
  # Options as --help lists them ("-o,--output TEXT", "--stub TEXT"), and the positionals.
  help=$("$pack" "$verb" --help)
  for option in $(awk '/^Options:/ { on = 1; next } /^[A-Z]/ { on = 0 } on && /^  -/ { print $1 }' \
      <<<"$help" | tr ',' '\n' | sed 's/[:=].*//' | grep -vx -e -h -e --help); do
    check "$verb: option $option described" grep -qE -- "(^|[^-a-z])$option([^-a-z]|$)" <<<"$body"
  done
  for positional in $(awk '/^Positionals:/ { on = 1; next } /^[A-Z]/ { on = 0 } on && /^  [A-Z]/ { print $1 }' <<<"$help"); do
    check "$verb: positional $positional named" grep -qF -- "\\fI$positional\\fP" <<<"$(head -n 1 <<<"$body")"
  done
done
# Every section of the page is a verb the tool has.
for documented in $(sed -n 's/^\.SS "\([a-z]*\) .*/\1/p' <<<"$text"); do
  check "the page's verb $documented exists" grep -qx -- "$documented" <<<"$verbs"
done

options=$(awk '/^\.SH OPTIONS/ { on = 1; next } /^\.SH / { on = 0 } on' <<<"$text")
for option in --help -h --version; do
  check "global option $option described" grep -qE -- "(^|[^-a-z])$option([^-a-z]|$)" <<<"$options"
done
version=$("$pack" --version)
check "--version prints the name and the version ($version)" \
  bash -c '[[ $1 =~ ^larkspan-pack\ [0-9]+\.[0-9]+\.[0-9]+\.[0-9]+$ ]]' _ "$version"
check "the page names the same version" grep -qF -- "$version" <<<"$text"
check "the page's title line carries the version" \
  grep -qx -- ".TH LARKSPAN-PACK 1 [0-9-]* \"Larkspan ${version#larkspan-pack }\" \"User Commands\"" <<<"$text"
statuses=$(awk '/^\.SH EXIT STATUS/ { on = 1; next } /^\.SH / { on = 0 } on && /^\.B [0-9]+$/ { print $2 }' <<<"$text" | tr '\n' ' ')
check "exit statuses 0, 1 and 2 described ($statuses)" test "$statuses" = "0 1 2 "
check "an example" grep -qx -- "larkspan-pack create sample -o sample.vqm" <<<"$text"

if command -v man >/dev/null; then
  warnings=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -E UTF-8 -l -Tutf8 -Z "$page" 2>&1 >/dev/null)
  check "man reads the page without a warning${warnings:+: $warnings}" test -z "$warnings"
else
  check "man is installed (man-db)" false
fi
finish
