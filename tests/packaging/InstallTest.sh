#!/usr/bin/env bash
# One step of trying the installed tree: `InstallTest.sh STEP`, with ROOT (the
# DESTDIR), PREFIX, BUILD, SOURCE and the layout in the environment (see
# CMakeLists.txt beside this file).
set -euo pipefail

installed="$ROOT$PREFIX"
program="$installed/bin/Lumvik_utilities"
app_id=org.lumvik.Utilities

fail() {
  echo "FAIL: $*" >&2
  exit 1
}

install_tree() {
  rm -rf "$ROOT"
  DESTDIR="$ROOT" "$CMAKE" --install "$BUILD" --prefix "$PREFIX" >/dev/null
}

# Every file that belongs there, nothing else; the libraries carry their
# sonames, and the program finds them inside the tree on its own.
check_files() {
  local wanted present
  wanted=$({
    cat "$EXPECTED"
    find "$SOURCE/languages" -type f -printf "$DATADIR/Lumvik_utilities/languages/%f\n"
  } | sort)
  present=$(cd "$installed" && find . -type f -o -type l | sed 's|^\./||' | sort)
  diff -u <(echo "$wanted") <(echo "$present") ||
    fail "installed files differ from the list (- missing, + not expected)"

  local lib soname
  for lib in libtesselink libcdsdk; do
    soname=$(readelf -d "$installed/$LIBDIR/$lib.so.$LIBRARY_VERSION" | sed -n 's/.*(SONAME).*\[\(.*\)\]/\1/p')
    [ "$soname" = "$lib.so.$SOVERSION" ] || fail "$lib has soname '$soname'"
    local found
    found=$(env -u LD_LIBRARY_PATH ldd "$program" |
      awk -v name="$lib.so.$SOVERSION" '$1 == name { sub(/^[^>]*> /, ""); sub(/ \(0x.*/, ""); print }')
    [ "$(realpath -m "$found")" = "$(realpath "$installed/$LIBDIR/$lib.so.$SOVERSION")" ] ||
      fail "the installed program loads $lib.so.$SOVERSION from '$found'"
  done
}

# What a desktop reads: the menu entry, the software centre's metainfo, the
# icon the entry names and the manual page.
check_desktop_integration() {
  local entry="$installed/share/applications/$app_id.desktop"
  desktop-file-validate "$entry"
  appstreamcli validate --no-net "$installed/share/metainfo/$app_id.metainfo.xml"
  local exec icon
  exec=$(sed -n 's/^Exec=\([^ ]*\).*/\1/p' "$entry")
  [ -x "$installed/bin/$exec" ] || fail "the entry starts '$exec', which is not installed"
  icon=$(sed -n 's/^Icon=//p' "$entry")
  [ -f "$installed/share/icons/hicolor/48x48/apps/$icon.png" ] ||
    fail "the entry's icon '$icon' has no 48x48 picture"
  local warnings page
  for page in Lumvik_utilities lumvik-import; do
    warnings=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -l "$installed/share/man/man1/$page.1.gz" 2>&1 >/dev/null)
    [ -z "$warnings" ] || fail "the manual page $page has faults: $warnings"
  done
}

# A user who never ran the program: its own home and XDG folders and nothing
# of ours in the environment. Its first start offers the USB autostart
# before the main window shows and asks for a language; the program, with the
# debug log on by default, logs the offer, so the log is where the first
# window is seen. A start that cannot find its languages stops before that at
# a warning.
check_fresh_user_start() {
  local home
  home=$(mktemp -d)
  mkdir -m 700 "$home/run"
  env -i PATH=/usr/bin:/bin LANG=C.UTF-8 HOME="$home" XDG_CONFIG_HOME="$home/.config" \
    XDG_DATA_HOME="$home/.local/share" XDG_CACHE_HOME="$home/.cache" XDG_RUNTIME_DIR="$home/run" \
    QT_QPA_PLATFORM=offscreen "$program" >"$home/output.txt" 2>&1 &
  local pid=$! log="$home/.local/share/Lumvik_utilities/log.txt"
  local deadline=$((SECONDS + 60))
  until grep -qs "Entering TForm_main.Add1Click" "$log"; do
    kill -0 "$pid" 2>/dev/null || fail "the program ended before its window showed: $(cat "$home/output.txt")"
    [ $SECONDS -lt $deadline ] || { kill "$pid"; fail "no window after 60 s: $(cat "$home/output.txt")"; }
    sleep 0.2
  done
  ! grep "Exception=" "$log" || fail "the start met errors"
  kill -TERM "$pid"
  wait "$pid" || true
  rm -rf "$home"
}

# Another program builds against the installed bridge with pkg-config alone.
# A sanitized bridge needs a sanitized program (CLIENT_FLAGS), which loads the
# sanitizers' runtime before any library.
check_bridge_client() {
  export PKG_CONFIG_PATH="$installed/$LIBDIR/pkgconfig"
  [ "$(pkg-config --modversion tesselink)" = "$LIBRARY_VERSION" ] || fail "tesselink.pc gives another version"
  # shellcheck disable=SC2046,SC2086 # the flags are words
  "$CC" -std=c11 -Wall -Wextra -Werror $CLIENT_FLAGS "$SOURCE/tests/packaging/BridgeClient.c" \
    $(pkg-config --cflags --libs tesselink) -o "$ROOT/bridge-client"
  LD_LIBRARY_PATH="$installed/$LIBDIR" "$ROOT/bridge-client"
}

case "$1" in
  install) install_tree ;;
  files) check_files ;;
  desktop_integration) check_desktop_integration ;;
  fresh_user_start) check_fresh_user_start ;;
  bridge_client) check_bridge_client ;;
  remove) rm -rf "$ROOT" ;;
  *) fail "unknown step '$1'" ;;
esac
