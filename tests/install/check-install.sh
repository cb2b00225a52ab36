#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs the build into a temporary folder as a package would and checks
# what a desktop and a user meet there:
#   check-install.sh BUILD_DIR SOURCE_DIR
set -euo pipefail
build=$1
source=$2
root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

DESTDIR="$root" cmake --install "$build" --prefix /usr > /dev/null
usr="$root/usr"
id=org.quorvin.Quorvin

for f in bin/quorvin bin/quorvin-batch bin/quorvin-fit "share/applications/$id.desktop" \
         "share/metainfo/$id.metainfo.xml" "share/icons/hicolor/scalable/apps/$id.svg" \
         share/icons/hicolor/{48x48,128x128,256x256}/apps/$id.png \
         share/man/man1/quorvin.1.gz share/man/man1/quorvin-batch.1.gz \
         share/man/man1/quorvin-fit.1.gz \
         share/doc/quorvin/user-guide.html share/doc/quorvin/copyright \
         share/doc/quorvin/examples/salt-series.csv; do
    [ -f "$usr/$f" ] || fail "not installed: $f"
done

desktop-file-validate "$usr/share/applications/$id.desktop" || fail "desktop entry"
appstreamcli validate --no-net "$usr/share/metainfo/$id.metainfo.xml" || fail "AppStream metadata"

version=$("$usr/bin/quorvin" --version)
[ "$version" = "quorvin 1.0
License GPL-3.0-or-later: GNU GPL version 3 or later <https://gnu.org/licenses/gpl.html>" ] ||
    fail "quorvin --version printed '$version'"

fit_version=$("$usr/bin/quorvin-fit" --version)
[ "$fit_version" = "${version/quorvin/quorvin-fit}" ] ||
    fail "quorvin-fit --version printed '$fit_version'"

# The package's licence, in the machine-readable form and nowhere else another.
copyright="$usr/share/doc/quorvin/copyright"
head -n 1 "$copyright" |
    grep -qx 'Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/' ||
    fail "copyright is not in the machine-readable format"
grep -qx 'License: GPL-3+' "$copyright" || fail "copyright does not name GPL-3+"
grep -q '/usr/share/common-licenses/GPL-3' "$copyright" || fail "copyright does not point to the GPL"
grep -q '<project_license>GPL-3.0-or-later</project_license>' \
    "$usr/share/metainfo/$id.metainfo.xml" || fail "AppStream metadata's licence"
if grep -rqiE 'proprietary|all rights reserved' "$root"; then
    fail "installed files still say proprietary: $(grep -rliE 'proprietary|all rights reserved' "$root")"
fi

# The batch program on the installed example gives the README's result.
expected=$(sed -n '/^`build\/batch\/quorvin-batch batch\/examples\/salt-series.csv` gives:$/,/^```$/p' \
           "$source/README.md" | sed '1,3d;$d')
[ -n "$expected" ] || fail "no example result found in the README"
actual=$("$usr/bin/quorvin-batch" "$usr/share/doc/quorvin/examples/salt-series.csv" | tr -d '\r')
[ "$actual" = "$expected" ] || fail "quorvin-batch on the example differs from the README:
$actual"

# The Python module where Debian's Python 3 finds it, away from the build tree.
if [ -d "$build/python" ]; then
    [ -f "$usr/share/doc/quorvin/examples/z-against-ph.py" ] || fail "not installed: the Python example"
    py_version=$(cd "$root" && PYTHONPATH="$usr/lib/python3/dist-packages" /usr/bin/python3 -c \
        'import quorvin; print(quorvin.__version__, quorvin.__file__)')
    [ "$py_version" = "1.0 $usr/lib/python3/dist-packages/quorvin/__init__.py" ] ||
        fail "import quorvin from the installed files printed '$py_version'"
fi

for page in "$usr"/share/man/man1/*.1.gz; do
    warnings=$(MANWIDTH=80 man --warnings -l "$page" 2>&1 > /dev/null)
    [ -z "$warnings" ] || fail "man $(basename "$page"): $warnings"
done
echo "installed files checked in $root"
