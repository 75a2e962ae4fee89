# The bash completion of pagewick-count: what it offers for command lines, as bash hands them over.
# sh check-completion.sh COMPLETION-FILE; exit status 77 (skipped) where bash is missing.
if [ -z "$BASH_VERSION" ]; then
    if ! command -v bash >/dev/null 2>&1; then
        echo "bash is not installed: the completion of pagewick-count is not tested"
        exit 77
    fi
    exec bash "$0" "$@"
fi

set -u
. "$1" || exit 1
dir=$(mktemp -d) || exit 1
trap 'rm -rf "$dir"' EXIT
cd "$dir" && touch a.tif "b c.tif" -- -odd.tif && mkdir sub || exit 1

# The words as bash splits them ("--opt=v" is "--opt" "=" "v"), the cursor in the last one; then
# what is offered, sorted, joined by ",".
rows=(
    "--he                       => --header,--help"
    "--p                        => --pages,--profile,--progress"
    "--su                       => --summary"
    "--for                      => --format="
    "--format ''                => csv,jsonl"
    "--format = j               => jsonl"
    "-r --output = b            => b c.tif"
    "--files-from ''            => -odd.tif,a.tif,b c.tif,sub"
    "-o -o                      => -odd.tif"
    "-ro -                      => -odd.tif"
    "-j ''                      => "
    "--jobs = ''                => "
    "-rj ''                     => "
    "-rj2 s                     => sub"
    "-j 2 --total b             => b c.tif"
    "-- -                       => -odd.tif"
    "-o -- --h                  => --header,--help"
    "--ver                      => --verbose,--version"
    "--ou ''                    => -odd.tif,a.tif,b c.tif,sub"
    "--fi = b                   => b c.tif"
    "--fo = j                   => jsonl"
    "--fo j                     => jsonl"
    "--j ''                     => "
    "--in = ''                  => "
    "--p ''                     => -odd.tif,a.tif,b c.tif,sub"
)
failed=0
for row in "${rows[@]}"; do
    eval "words=(pagewick-count ${row%%=>*})"
    expected=${row#*=> }
    COMP_WORDS=("${words[@]}")
    COMP_CWORD=$((${#words[@]} - 1))
    COMPREPLY=()
    _pagewick_count
    got=$(printf '%s\n' "${COMPREPLY[@]}" | sort | paste -sd, -)
    if [ "$got" != "$expected" ]; then
        echo "FAIL: ${words[*]}: offered \"$got\", expected \"$expected\""
        failed=1
    fi
done

# Where "=" does not break words, the value is offered with its option, as it replaces the word.
COMP_WORDBREAKS=${COMP_WORDBREAKS//=/}
COMP_WORDS=(pagewick-count --format=j)
COMP_CWORD=1
_pagewick_count
if [ "${COMPREPLY[*]}" != "--format=jsonl" ]; then
    echo "FAIL: --format=j without \"=\" in COMP_WORDBREAKS: offered \"${COMPREPLY[*]}\""
    failed=1
fi
[ "$failed" = 0 ] && echo "all ${#rows[@]} command lines complete as expected"
exit "$failed"
