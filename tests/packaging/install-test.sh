#!/usr/bin/env bash
# The desktop install of a built tree: `cmake --install` into a fresh prefix gives every file of
# the desktop program, with a menu entry that desktop-file-validate accepts; `cpack -G DEB` makes
# the Debian package of the same, with its dependencies declared.
# Usage: install-test.sh BUILD_DIR install|deb
set -euo pipefail
build=$1
what=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

files=(
  bin/kartsim
  bin/kartsim-batch
  bin/kartsim-experiment
  share/applications/kartsim.desktop
  share/icons/hicolor/scalable/apps/kartsim.svg
  share/icons/hicolor/256x256/apps/kartsim.png
  share/mime/packages/kartsim.xml
  share/man/man1/kartsim-batch.1.gz
  share/man/man1/kartsim-experiment.1.gz
  share/doc/kartsim/copyright
)

case "$what" in
install)
  cmake --install "$build" --prefix "$work/prefix" >"$work/log" 2>&1 || { cat "$work/log"; fail "cmake --install"; }
  for f in "${files[@]}"; do
    [ -s "$work/prefix/$f" ] || fail "not installed: $f"
  done
  [ -x "$work/prefix/bin/kartsim-batch" ] || fail "kartsim-batch is not executable"
  desktop-file-validate "$work/prefix/share/applications/kartsim.desktop" || fail "desktop entry"
  grep -qx 'Exec=kartsim %f' "$work/prefix/share/applications/kartsim.desktop" || fail "Exec"
  grep -q 'pattern="\*\.kartsim\.json"' "$work/prefix/share/mime/packages/kartsim.xml" || fail "glob"
  # A PNG of 256 by 256: its signature, then the width and height of its header.
  png=$(od -An -tx1 -N24 "$work/prefix/share/icons/hicolor/256x256/apps/kartsim.png" | tr -d ' \n')
  [ "$png" = 89504e470d0a1a0a0000000d494844520000010000000100 ] || fail "icon is no 256 px PNG: $png"
  # Each manual page is its program's --help: its options are there, and nothing of stderr.
  check_man() { # program, options...
    local program=$1 option man
    shift
    man=$(zcat "$work/prefix/share/man/man1/$program.1.gz")
    for option in "$@"; do
      grep -qF -- "\\-\\-$option" <<<"$man" || fail "man page of $program lacks --$option"
    done
    grep -q XDG_RUNTIME_DIR <<<"$man" && fail "man page of $program holds Qt's notes"
    # The installed program runs from its new place.
    "$work/prefix/bin/$program" --help >/dev/null 2>&1 || fail "installed $program does not run"
  }
  check_man kartsim-batch scenario video json
  check_man kartsim-experiment out jobs shard merge
  zcat "$work/prefix/share/man/man1/kartsim-experiment.1.gz" | grep -q '^\.SH EXAMPLES' ||
    fail "man page of kartsim-experiment lacks its examples"
  # The Python module, when built, where Debian's Python looks for packages installed by hand.
  if [ -d "$build/python/kartsim" ]; then
    init=$(ls "$work"/prefix/lib/python3.*/dist-packages/kartsim/__init__.py 2>/dev/null || true)
    [ -n "$init" ] || fail "the Python module is not installed under lib/python3.X/dist-packages"
    ls "$(dirname "$init")"/_kartsim.*.so >/dev/null 2>&1 || fail "no compiled module beside $init"
    # A sanitized module needs its runtime loaded before the interpreter: its own tests do that.
    if ! grep -q '^KARTSIM_SANITIZE:STRING=..*' "$build/CMakeCache.txt"; then
      PYTHONPATH=$(dirname "$(dirname "$init")") /usr/bin/python3 -c \
        'import kartsim; assert len(kartsim.World.scenario("kart", seed=1).step(1, futures=5)) == 1' \
        || fail "the installed module does not import and step"
    fi
  fi
  ;;
deb)
  (cd "$work" && cpack -G DEB --config "$build/CPackConfig.cmake" -B "$work/out") >"$work/log" 2>&1 || { cat "$work/log"; fail "cpack -G DEB"; }
  deb=$(ls "$work"/out/kartsim_*.deb)
  [ -f "$deb" ] || fail "no package"
  dpkg-deb -c "$deb" >"$work/contents"
  for f in "${files[@]}"; do
    grep -q " \./usr/$f\$" "$work/contents" || fail "not in the package: /usr/$f"
  done
  depends=$(dpkg-deb -f "$deb" Depends)
  for dep in libqt6core6 libqt6gui6 libqt6widgets6 libqt6charts6 qt6-qpa-plugins libc6; do
    grep -q "$dep" <<<"$depends" || fail "Depends lacks $dep: $depends"
  done
  [ "$(dpkg-deb -f "$deb" Recommends)" = ffmpeg ] || fail "Recommends is not ffmpeg"
  # The Python module, when built, is a package of its own: the desktop one pulls in no Python.
  if [ -d "$build/python/kartsim" ]; then
    python=$(ls "$work"/out/python3-kartsim_*.deb 2>/dev/null || true)
    [ -f "$python" ] || fail "no python3-kartsim package"
    dpkg-deb -c "$python" >"$work/python"
    grep -q ' \./usr/lib/python3/dist-packages/kartsim/__init__\.py$' "$work/python" || fail "python3-kartsim lacks __init__.py"
    grep -q ' \./usr/lib/python3/dist-packages/kartsim/_kartsim\..*\.so$' "$work/python" || fail "python3-kartsim lacks the module"
    if grep -q python "$work/contents"; then fail "the desktop package holds Python files"; fi
    pydepends=$(dpkg-deb -f "$python" Depends)
    for dep in "kartsim (= " python3-numpy python3-pandas; do
      grep -qF "$dep" <<<"$pydepends" || fail "python3-kartsim's Depends lacks $dep: $pydepends"
    done
    if grep -q python <<<"$depends"; then fail "the desktop package depends on Python: $depends"; fi
  fi
  echo "$(basename "$deb"): $(stat -c %s "$deb") bytes; Depends: $depends"
  ;;
*)
  fail "expected install or deb, got $what"
  ;;
esac
