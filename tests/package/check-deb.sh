#!/bin/sh
# Makes the Debian package from this build tree with CPack, unpacks it and
# checks that it holds what a desktop needs, that the launcher, metainfo,
# icons and binary name each other correctly, that the library dependencies
# came from dpkg-shlibdeps, that the changelog is for this version, that
# man finds the manual page, and that lintian finds no error or warning.
# Exit 77 (skipped) where the Debian package tools are missing.
#   check-deb.sh CPACK CPACK_CONFIG BUILD_TYPE WORK_DIR VERSION
set -u
cpack=$1 config=$2 build_type=$3 work=$4 version=$5

for tool in dpkg-deb dpkg-shlibdeps; do
    if ! command -v "$tool" >/dev/null 2>&1; then
        echo "skipped: $tool is not installed"
        exit 77
    fi
done

status=0
fail() {
    echo "FAIL: $*"
    status=1
}

rm -rf "$work"
mkdir -p "$work"
if ! "$cpack" --config "$config" ${build_type:+-C "$build_type"} -B "$work/out" >"$work/cpack.log" 2>&1; then
    cat "$work/cpack.log"
    echo "FAIL: cpack could not make the package"
    exit 1
fi
set -- "$work"/out/*.deb
if [ $# -ne 1 ] || [ ! -f "$1" ]; then
    cat "$work/cpack.log"
    echo "FAIL: expected one .deb in $work/out, found: $*"
    exit 1
fi
deb=$1
echo "package: $deb"
dpkg-deb --info "$deb"

field() {
    dpkg-deb --field "$deb" "$1"
}
[ "$(field Package)" = comsend ] || fail "Package is '$(field Package)', not comsend"
[ "$(field Version)" = "$version" ] || fail "Version is '$(field Version)', not $version"
[ "$(field Section)" = utils ] || fail "Section is '$(field Section)', not utils"
# A whole entry of the list, so that libqt6widgets6-dev or a prefix cannot pass.
has_entry() {
    printf ', %s,\n' "$(field "$1")" | grep -Eq ", $2( \([^)]*\))?,"
}
has_entry Depends libqt6widgets6 || fail "Depends lacks libqt6widgets6, so dpkg-shlibdeps did not run: $(field Depends)"
has_entry Depends libc6 || fail "Depends lacks libc6: $(field Depends)"
has_entry Recommends fonts-arphic-uming || fail "Recommends lacks fonts-arphic-uming: $(field Recommends)"

root=$work/root
dpkg-deb --extract "$deb" "$root" || { echo "FAIL: dpkg-deb could not unpack $deb"; exit 1; }
echo "contents:"
(cd "$root" && find . -type f | sort)

# Everything belongs under /usr, where a package installs, not /usr/local.
for top in "$root"/* "$root"/.[!.]*; do
    [ -e "$top" ] || continue
    [ "$top" = "$root/usr" ] || fail "unexpected top-level entry ${top#"$root"}"
done
[ ! -e "$root/usr/local" ] || fail "files under /usr/local"

app_id=io.github.comsend.Comsend
share=$root/usr/share
desktop=$share/applications/$app_id.desktop
metainfo=$share/metainfo/$app_id.metainfo.xml
binary=$root/usr/bin/comsend

if [ ! -f "$binary" ] || [ ! -x "$binary" ]; then
    fail "no executable /usr/bin/comsend"
elif [ "$(od -An -c -N4 "$binary" | tr -d ' ')" != '177ELF' ]; then
    fail "/usr/bin/comsend is not an ELF binary"
fi
[ -f "$desktop" ] || fail "no launcher ${desktop#"$root"}"
[ -f "$metainfo" ] || fail "no metainfo ${metainfo#"$root"}"

# Width and height from a PNG's header, after checking it is one.
png_size() {
    # shellcheck disable=SC2046 # one argument per byte
    set -- $(od -An -v -tu1 -N24 "$1")
    [ "$1 $2 $3 $4 $5 $6 $7 $8" = "137 80 78 71 13 10 26 10" ] || return 1
    [ "${13} ${14} ${15} ${16}" = "73 72 68 82" ] || return 1
    echo "$(((${17} << 24) | (${18} << 16) | (${19} << 8) | ${20}))x$(((${21} << 24) | (${22} << 16) | (${23} << 8) | ${24}))"
}

# Whether the package has the program a launcher or the metainfo names.
in_bin() {
    [ -n "$1" ] && [ -f "$root/usr/bin/$1" ] && [ -x "$root/usr/bin/$1" ]
}

if [ -f "$desktop" ]; then
    icon=$(sed -n 's/^Icon=//p' "$desktop")
    # The Exec of one group of the launcher: the entry's own or an action's.
    group_exec() {
        sed -n "/^\[$1\]\$/,/^\[/s/^Exec=//p" "$desktop"
    }
    exec_name=$(group_exec 'Desktop Entry' | cut -d' ' -f1)
    [ "$icon" = "$app_id" ] || fail "the launcher's Icon is '$icon', not $app_id"
    in_bin "$exec_name" || fail "the launcher runs '$exec_name', which is not in /usr/bin"
    big5=$(group_exec 'Desktop Action big5')
    case $big5 in
        "env LC_ALL=zh_TW.BIG5 "*) in_bin "${big5##* }" || fail "the Big5 launcher runs '${big5##* }', which is not in /usr/bin" ;;
        *) fail "the launcher's Big5 action runs '$big5', not comsend under LC_ALL=zh_TW.BIG5" ;;
    esac
fi
for size in 16 32 48; do
    png=$share/icons/hicolor/${size}x$size/apps/$app_id.png
    if [ ! -f "$png" ]; then
        fail "no ${size}x$size icon ${png#"$root"}"
    elif [ "$(png_size "$png")" != "${size}x$size" ]; then
        fail "${png#"$root"} is '$(png_size "$png")', not a ${size}x$size PNG"
    fi
done
svg=$share/icons/hicolor/scalable/apps/$app_id.svg
if [ ! -f "$svg" ]; then
    fail "no scalable icon ${svg#"$root"}"
elif ! grep -q '<svg ' "$svg"; then
    fail "${svg#"$root"} is not an SVG"
fi

if [ -f "$metainfo" ]; then
    tag() {
        sed -n "s|.*<$1[^>]*>\([^<]*\)</$1>.*|\1|p" "$metainfo"
    }
    [ "$(tag id)" = "$app_id" ] || fail "the metainfo's id is '$(tag id)', not $app_id"
    [ "$(tag launchable)" = "$app_id.desktop" ] || fail "the metainfo launches '$(tag launchable)'"
    in_bin "$(tag binary)" || fail "the metainfo provides '$(tag binary)', which is not in /usr/bin"
fi

# The installed tree as a software centre reads it: the metainfo must find
# its launcher there. Only where AppStream's tool is installed; the
# validators' own tests say when it is not.
if command -v appstreamcli >/dev/null 2>&1; then
    appstreamcli validate-tree --no-net "$root" || fail "appstreamcli validate-tree rejects the installed tree"
else
    echo "not checked: appstreamcli is not installed"
fi

changelog=$share/doc/comsend/changelog.gz
if [ ! -f "$changelog" ]; then
    fail "no changelog ${changelog#"$root"}"
else
    zcat "$changelog" >"$work/changelog"
    logged=$(dpkg-parsechangelog -l "$work/changelog" -S Version)
    [ "$logged" = "$version" ] || fail "the changelog's latest entry is for '$logged', not $version"
fi

# What "man comsend" finds once the package is installed.
if command -v man >/dev/null 2>&1; then
    page=$(man --manpath="$share/man" -w comsend 2>&1)
    [ "$page" = "$share/man/man1/comsend.1.gz" ] || fail "man does not find comsend(1) in the package: $page"
else
    echo "not checked: man is not installed"
fi

# Debian's own judgement of the package, manual page included (lintian
# renders it with man and reports what groff warns about). Its information
# tags are advice and do not count.
if command -v lintian >/dev/null 2>&1; then
    lintian --fail-on error,warning "$deb" || fail "lintian reports errors or warnings"
else
    echo "not checked: lintian is not installed"
fi

[ "$status" -eq 0 ] && echo "PASS: the package holds the program, its launcher, icons, metainfo, manual page and changelog"
exit "$status"
