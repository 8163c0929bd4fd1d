#!/usr/bin/env bash
# tools/setup.sh on a mirror caught mid-sync: the update reports a bad index and the plain
# install refuses the package pairs; the setup must then install once from the main suite that
# the machine's sources name, and say that security updates were skipped. On this machine,
# where everything is installed, it must do nothing at all.
set -uo pipefail
repo=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

# A fake apt-get that behaves as the mid-sync mirror did; every call is logged.
mkdir -p "$work/bin"
cat >"$work/bin/apt-get" <<'FAKE'
#!/usr/bin/env bash
echo "apt-get $*" >>"$FAKE_LOG"
case " $* " in
  *" update "*) echo "E: Failed to fetch .../binary-i386/Packages.xz  File has unexpected size. Mirror sync in progress?" >&2; exit 100 ;;
  *" -t $FAKE_SUITE "*) exit 0 ;;
  *" install "*) echo "E: Unable to correct problems, you have held broken packages." >&2; exit 100 ;;
esac
exit 0
FAKE
# Nothing installed yet; i386 already added; no services to stop; no waiting.
printf '#!/bin/sh\nexit 1\n' >"$work/bin/dpkg-query"
printf '#!/bin/sh\necho i386\n' >"$work/bin/dpkg"
printf '#!/bin/sh\nexit 0\n' >"$work/bin/systemctl"
printf '#!/bin/sh\nexit 0\n' >"$work/bin/service"
printf '#!/bin/sh\necho "sleep $*" >>"$FAKE_LOG"\n' >"$work/bin/sleep"
printf '#!/bin/sh\nexec "$@"\n' >"$work/bin/sudo"
chmod +x "$work/bin/"*

# Both ways of writing sources: deb822 files, and one-line entries with options.
mkdir -p "$work/deb822/sources.list.d" "$work/oneline"
printf 'Types: deb\nURIs: http://mirror/debian\nSuites: trixie trixie-updates\nComponents: main\n\n' \
  >"$work/deb822/sources.list.d/debian.sources"
printf 'Types: deb\nURIs: http://mirror/debian-security\nSuites: trixie-security\nComponents: main\n' \
  >"$work/deb822/sources.list.d/security.sources"
printf '# mirror\ndeb [arch=amd64,i386 signed-by=/k.gpg] http://mirror/debian-security trixie-security main\ndeb http://mirror/debian trixie main\n' \
  >"$work/oneline/sources.list"

for sources in deb822 oneline; do
  log=$work/$sources.log
  : >"$log"
  out=$(PATH="$work/bin:$PATH" FAKE_LOG=$log FAKE_SUITE=trixie SETUP_APT_DIR=$work/$sources \
    bash "$repo/tools/setup.sh" 2>&1)
  rc=$?
  [ "$rc" -eq 0 ] || fail "$sources: setup exited $rc: $out"
  grep -q -- "install -y -qq --no-install-recommends -t trixie " "$log" ||
    fail "$sources: no install from the main suite: $(cat "$log")"
  [ "$(grep -c ' install ' "$log")" -eq 2 ] || fail "$sources: expected one plain and one fallback install: $(cat "$log")"
  echo "$out" | grep -qx "setup: installed from trixie without its security updates (the mirror's lists did not agree); running this setup again later takes them" ||
    fail "$sources: the skipped security updates are not said: $out"
  grep -q '^sleep [0-9]*$' <(grep -A1 ' install ' "$log") && fail "$sources: waited after an install that the fallback mended"
done

# This machine has everything: the real setup must not call apt-get at all.
log=$work/installed.log
: >"$log"
mkdir -p "$work/guard"
cp "$work/bin/apt-get" "$work/guard/apt-get"
out=$(PATH="$work/guard:$PATH" FAKE_LOG=$log FAKE_SUITE=none bash "$repo/tools/setup.sh" 2>&1)
[ $? -eq 0 ] || fail "setup on a set-up machine failed: $out"
[ "$out" = "setup: everything is installed" ] || fail "setup on a set-up machine said: $out"
[ ! -s "$log" ] || fail "setup on a set-up machine called apt-get: $(cat "$log")"

[ "$failures" -eq 0 ] && echo "setup_tests: 3 cases passed"
exit $((failures > 0))
