#!/bin/sh
# Checks installed desktop files with the desktop's own tools; exits 77 (skipped) where a tool is
# not installed.
#   check-desktop.sh entry FILE.desktop          desktop-file-validate: no error, no warning
#   check-desktop.sh metainfo FILE.metainfo.xml  appstreamcli validate --no-net: passes
#   check-desktop.sh manpages PAGE.1.gz...       man renders each page without a warning
#   check-desktop.sh options PROGRAM PAGE.1.gz   every option of PROGRAM --help is in its manual page
#   check-desktop.sh versions VERSION METAINFO CHANGELOG.gz
#                                                the newest release of both is VERSION
#   check-desktop.sh package CPACKCONFIG OUTDIR  the Debian package carries its Debian-only files,
#                                                and lintian finds no missing hardening
set -u

need() {
    command -v "$1" >/dev/null 2>&1 && return 0
    echo "SKIPPED: $1 is not installed (Debian package $2)"
    exit 77
}
fail() {
    echo "FAILED: $*"
    exit 1
}

kind=$1
shift
case $kind in
entry)
    need desktop-file-validate desktop-file-utils
    report=$(desktop-file-validate "$1" 2>&1) || fail "desktop-file-validate $1: $report"
    # Hints are advice; errors and warnings are faults.
    if echo "$report" | grep -E "(error|warning):"; then
        fail "desktop-file-validate $1"
    fi
    [ -z "$report" ] || echo "$report"
    ;;
metainfo)
    need appstreamcli appstream
    appstreamcli validate --no-net "$1" || fail "appstreamcli validate --no-net $1"
    ;;
manpages)
    need man man-db
    for page in "$@"; do
        # As lintian reads them: every groff warning is printed on standard error.
        warnings=$(LC_ALL=C.UTF-8 MANROFFSEQ='' MANWIDTH=80 \
            man --warnings -E UTF-8 -l -Tutf8 -Z "$page" 2>&1 >/dev/null)
        [ -z "$warnings" ] || fail "$page: $warnings"
    done
    ;;
options)
    usage=$("$1" --help) || fail "$1 --help"
    source=$(gzip -dc "$2") || fail "cannot read $2"
    # Each option of the option column ("  -j, --jobs=N   text"), without its value.
    options=$(echo "$usage" | sed -n 's/^ \{2,\}\(-[^ ].*\)/\1/p' | sed 's/  .*//; s/, / /g; s/=[^ ]*//g')
    [ -n "$options" ] || fail "$1 --help lists no options"
    for option in $options; do
        # troff writes a dash of an option as \-.
        escaped=$(echo "$option" | sed 's/-/\\-/g')
        echo "$source" | grep -qF -- "$escaped" || fail "$2 does not describe $option"
    done
    ;;
versions)
    release=$(sed -n 's/.*<release version="\([^"]*\)".*/\1/p' "$2" | head -n 1)
    [ "$release" = "$1" ] || fail "$2: newest release is \"$release\", not $1"
    entry=$(gzip -dc "$3" | sed -n '1s/^pagewick (\([^-)]*\)-.*/\1/p')
    [ "$entry" = "$1" ] || fail "$3: newest entry is \"$entry\", not $1"
    ;;
package)
    need cpack cmake
    need dpkg-deb dpkg
    need dpkg-shlibdeps dpkg-dev
    rm -rf "$2"
    cpack -G DEB --config "$1" -B "$2" >"$2.log" 2>&1 || fail "cpack: $(cat "$2.log")"
    deb=$(ls "$2"/*.deb) || fail "cpack made no package in $2"
    contents=$(dpkg-deb -c "$deb" | awk '{print $6}')
    for file in ./usr/bin/pagewick ./usr/share/doc/pagewick/changelog.Debian.gz \
                ./usr/share/doc/pagewick/copyright ./usr/share/lintian/overrides/pagewick \
                ./usr/share/pagewick/pagewick.qhc ./usr/share/pagewick/pagewick.qch; do
        echo "$contents" | grep -qxF "$file" || fail "$deb lacks $file"
    done
    need lintian lintian
    # Its own notes (such as a warning about running as root) go to standard error.
    tags=$(lintian --tags hardening-no-bindnow,hardening-no-fortify-functions,hardening-no-relro,hardening-no-pie "$deb" 2>/dev/null)
    [ -z "$tags" ] || fail "lintian: $tags"
    ;;
*)
    fail "unknown check $kind"
    ;;
esac
exit 0
