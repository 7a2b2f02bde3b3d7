#!/usr/bin/env bash
# Builds the Debian package, installs it as a user would (apt resolves its dependencies), checks
# the installed desktop entry and metainfo, starts the installed program offscreen and ends it
# cleanly, then removes the package again. Needs root; skipped (77) otherwise.
set -euo pipefail
cd "$(dirname "$0")/../.."
if [ "$(id -u)" -ne 0 ]; then echo "skipped: installing a package needs root"; exit 77; fi
if dpkg -s trelvo >/dev/null 2>&1; then echo "skipped: trelvo is installed on this machine already"; exit 77; fi

deb=$(./run --package | tail -n 1)
echo "package: $deb"

# Debian's checks: no error, no warning, and none of the hardening tags at the informational level.
findings=$(lintian -I "$deb" 2>&1 | grep -v '^running with root privileges' || true)
if echo "$findings" | grep -E '^(E|W):|hardening-'; then
  echo "lintian finds the package wanting"
  exit 1
fi
work=$(mktemp -d)
cleanup() {
  DEBIAN_FRONTEND=noninteractive apt-get remove -y -qq trelvo >/dev/null 2>&1 || true
  rm -rf "$work"
}
trap cleanup EXIT
DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "$(realpath "$deb")" >/dev/null

test -x /usr/bin/trelvo
desktop-file-validate /usr/share/applications/org.trelvo.Trelvo.desktop
appstreamcli validate --no-net /usr/share/metainfo/org.trelvo.Trelvo.metainfo.xml >/dev/null
test -f /usr/share/icons/hicolor/scalable/apps/org.trelvo.Trelvo.svg
test -f /usr/share/icons/hicolor/48x48/apps/org.trelvo.Trelvo.png
test -f /usr/share/man/man1/trelvo.1.gz
zcat /usr/share/man/man1/trelvo-report.1.gz | grep -q 'Exit status'
if command -v man >/dev/null; then man -w trelvo-report >/dev/null; fi
test -f /usr/share/doc/trelvo/copyright
test -f /usr/share/bash-completion/completions/trelvo-report
# The completion offers the options of the installed program's --help, and --lang's values.
if [ -f /usr/share/bash-completion/bash_completion ]; then
  offered=$(bash -c 'source /usr/share/bash-completion/bash_completion
    source /usr/share/bash-completion/completions/trelvo-report
    COMP_WORDS=(trelvo-report --p); COMP_CWORD=1; COMP_LINE="trelvo-report --p"; COMP_POINT=${#COMP_LINE}
    _trelvo_report trelvo-report --p trelvo-report; echo "${COMPREPLY[*]}"
    COMP_WORDS=(trelvo-report --lang ""); COMP_CWORD=2; COMP_LINE="trelvo-report --lang "; COMP_POINT=${#COMP_LINE}
    _trelvo_report trelvo-report "" --lang; echo "${COMPREPLY[*]}"')
  [ "$offered" = "$(printf -- '--pdf\nde en')" ] || { echo "completion offers: $offered"; exit 1; }
fi

# The installed program starts (the start window is up after a second) and ends on SIGTERM with
# status 0, writing nothing before OK.
QT_QPA_PLATFORM=offscreen XDG_CONFIG_HOME="$work" XDG_RUNTIME_DIR="$work" /usr/bin/trelvo 2>"$work/stderr" &
pid=$!
sleep 2
kill -0 "$pid"
kill -TERM "$pid"
status=0
wait "$pid" || status=$?
[ "$status" -eq 0 ] || { echo "the installed program ended with status $status"; cat "$work/stderr"; exit 1; }
[ -z "$(ls -A "$work" | grep -v stderr)" ] || { echo "it wrote settings before OK"; exit 1; }
echo "the package installs, and the installed program starts and ends cleanly"
