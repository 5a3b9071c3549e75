#!/usr/bin/env bash
# The Debian packages as a user gets them. For each program: cpack builds its package from a
# finished release build, lintian must find no error in it, dpkg unpacks it into a scratch root
# of its own, the files it installs are checked (program, menu entry, icons, AppStream
# description, copyright, changelog), and the installed program converts a PDF dragged onto it
# from another program on the display, its message boxes answered through the keyboard.
#
#   bash tests/package/package_test.sh [BUILD_DIR]    (default build/release, already built)
#
# Needs an X display for the conversion (without one it starts a virtual one of its own). The last
# line reads "package: N passed, M failed"; the exit status is non-zero when anything failed.
# Every check's details go to BUILD_DIR/package-test/.
set -uo pipefail
cd "$(dirname "$0")/../.." || exit 1
root=$(pwd)
source "$root/tests/support/desktop_session.sh"
build=$(cd "${1:-$root/build/release}" && pwd) || exit 1

prepare_checks package "$build/package-test"
export QT_QPA_PLATFORM=xcb
drag_source="$build/tests/gui/droplet_drag_source"

# --- Checks of one package ----------------------------------------------------------------------

# lintian may warn, but must find no error.
check_lintian() {
  local deb=$1
  lintian -I --pedantic "$deb" >"$scratch/lintian.txt" 2>&1
  cat "$scratch/lintian.txt"
  ! grep -q '^E: ' "$scratch/lintian.txt" || fail "lintian found errors"
}

check_control() {
  local deb=$1 name=$2 unpacked=$3
  local version depends
  version=$(dpkg-deb -f "$deb" Version)
  depends=$(dpkg-deb -f "$deb" Depends)
  echo "Version: $version"
  echo "Depends: $depends"
  [ "$(dpkg-deb -f "$deb" Package)" = "$name" ] || fail "package name is not $name"
  [ "$(basename "$deb")" = "${name}_${version}_$(dpkg --print-architecture).deb" ] ||
    fail "file name $(basename "$deb") does not follow name_version_arch.deb"
  local needed
  for needed in poppler-utils xdg-utils qt6-qpa-plugins libqt6widgets6 libc6; do
    grep -Eq "(^|, )$needed( |,|$)" <<<"$depends" || fail "Depends lacks $needed"
  done
  # apt could install it here (a simulation: nothing changes on the machine).
  apt-get install -s "$deb" | grep -q "^Inst $name " || fail "apt would not install it"
  # The changelog's latest entry is this version.
  local changelog="$unpacked/usr/share/doc/$name/changelog.gz"
  [ -s "$unpacked/usr/share/doc/$name/copyright" ] || fail "no copyright file"
  zcat "$changelog" | head -n 1 | grep -Fq "$name ($version)" ||
    fail "changelog.gz does not begin with $name ($version)"
  zcat "$unpacked/usr/share/man/man1/$name.1.gz" | grep -q '^\.TH' || fail "no manual page"
}

check_program() {
  local unpacked=$1 name=$2
  local program="$unpacked/usr/bin/$name"
  [ -x "$program" ] || fail "no executable usr/bin/$name"
  file "$program" | tee /dev/stderr | grep -q ', stripped' || fail "usr/bin/$name is not stripped"
  # Everything the program links with is on this machine (the package's Depends hold).
  ! ldd "$program" | grep -F 'not found' || fail "libraries not found"
}

check_desktop_entry() {
  local unpacked=$1 name=$2
  local entries=("$unpacked"/usr/share/applications/*.desktop)
  [ ${#entries[@]} -eq 1 ] && [ -f "${entries[0]}" ] || fail "not exactly one desktop entry"
  local entry=${entries[0]}
  cat "$entry"
  desktop-file-validate "$entry" || fail "desktop-file-validate refused the entry"
  grep -qx "Exec=$name %F" "$entry" || fail "Exec is not '$name %F'"
  grep -qx "MimeType=application/pdf;" "$entry" || fail "no MimeType=application/pdf;"
  grep -qx "Icon=$name" "$entry" || fail "Icon is not $name"
  # The icon in every size the theme holds, each exactly as large as its folder says.
  local size count=0 icon
  for icon in "$unpacked"/usr/share/icons/hicolor/*/apps/"$name".png; do
    [ -f "$icon" ] || continue
    size=$(basename "$(dirname "$(dirname "$icon")")")
    file "$icon" | grep -q "PNG image data, ${size/x/ x }," || fail "$icon is not a $size PNG"
    count=$((count + 1))
  done
  echo "$count icons"
  for size in 48x48 128x128; do
    [ -f "$unpacked/usr/share/icons/hicolor/$size/apps/$name.png" ] || fail "no $size icon"
  done
}

check_metainfo() {
  local unpacked=$1 name=$2
  local infos=("$unpacked"/usr/share/metainfo/*.metainfo.xml)
  [ ${#infos[@]} -eq 1 ] && [ -f "${infos[0]}" ] || fail "not exactly one metainfo file"
  local id
  id=$(basename "${infos[0]}" .metainfo.xml)
  grep -q "<id>$id</id>" "${infos[0]}" || fail "the file name is not the component's id"
  grep -q "<launchable type=\"desktop-id\">$id.desktop</launchable>" "${infos[0]}" ||
    fail "the launchable is not $id.desktop"
  [ -f "$unpacked/usr/share/applications/$id.desktop" ] || fail "no desktop entry $id.desktop"
  # Validates the description against the installed tree (desktop entry, icons) too.
  appstreamcli validate-tree --no-net "$unpacked"
}

# --- The installed program converts a dragged PDF ------------------------------------------------

# Whether result $1 exists and file $2 names two openings.
converted_and_opened() {
  [ -e "$1" ] && has_lines "$2" 2
}

check_conversion() {
  local unpacked=$1 name=$2 program=$3 extension=$4
  local home="$scratch/$name-home"
  local documents="$scratch/$name-documents"
  local stubs="$scratch/$name-stubs"
  local opened="$scratch/$name-opened.txt"
  mkdir -p "$home/runtime" "$documents"
  chmod 700 "$home/runtime"
  # The opener of folders and results only records what it is asked to open.
  make_recording_opener "$stubs" "$opened"
  local pdf="$documents/prova pacchetto.pdf"
  write_pdf "$pdf" "Prova del pacchetto $name"

  # The program as installed, started from elsewhere, with a home of its own: it works in the
  # user's folders there, which it makes itself.
  (cd "$scratch" && exec env -u XDG_DATA_HOME -u XDG_CONFIG_HOME HOME="$home" \
    XDG_RUNTIME_DIR="$home/runtime" PATH="$stubs:$PATH" "$unpacked/usr/bin/$name") &
  local pid=$!
  pids+=("$pid")

  # The drag from the drag source's square to a point of the picture (not cut away); the result
  # is opened, its folder first.
  local result="$home/.local/share/$program/output/prova pacchetto$extension"
  BOX_SHOT="$logs/$name-box.png" convert_by_drag "$drag_source" "$pid" "$pdf" "$program" 60 \
    converted_and_opened "$result" "$opened"
  kill -0 "$pid" 2>/dev/null || fail "the program ended"
  stop_process "$pid"

  echo "result: $result"
  echo "opened:"
  cat "$opened" 2>/dev/null
  [ -s "$result" ] || fail "no result $(basename "$result") in the user's working folder"
  # Orvane's result is a frame set; its pages beside it hold the text.
  grep -q "Prova del pacchetto $name" "$(dirname "$result")"/*"$extension" ||
    fail "no result holds the document's text"
  [ "$(sed -n 1p "$opened")" = "$(dirname "$result")" ] || fail "the output folder was not opened"
  [ "$(sed -n 2p "$opened")" = "$result" ] || fail "the result was not opened"
  [ -f "$pdf" ] || fail "the dropped PDF is gone"
  ! ls "$home/.local/share/$program/"*.pdf 2>/dev/null || fail "a copy of the PDF was left behind"
  [ "$(ls "$unpacked/usr/bin")" = "$name" ] || fail "the program's folder was written into"
  [ "$(stat -c %a "$home/.local/share/$program")" = 700 ] || fail "the working folder is not private"
}

# --- Each package --------------------------------------------------------------------------------

for name in orvane tessik; do
  case $name in
    orvane) program=Orvane extension=.html ;;
    tessik) program=Tessik extension=.txt ;;
  esac
  echo "=== $name"
  rm -f "$build/packages/${name}_"*.deb
  if ! (cd "$build" && cpack --config "CPackConfig-$name.cmake") >"$logs/$name-cpack.log" 2>&1; then
    failed=$((failed + 1))
    echo "FAILED  $name-cpack (see $logs/$name-cpack.log)"
    tail -n 15 "$logs/$name-cpack.log"
    continue
  fi
  deb=$(ls "$build/packages/${name}_"*.deb)
  echo "package $(basename "$deb"): $(stat -c %s "$deb") bytes"
  check "$name-lintian" check_lintian "$deb"
  unpacked="$scratch/$name-root"
  dpkg -x "$deb" "$unpacked"
  check "$name-control" check_control "$deb" "$name" "$unpacked"
  check "$name-program" check_program "$unpacked" "$name"
  check "$name-desktop" check_desktop_entry "$unpacked" "$name"
  check "$name-metainfo" check_metainfo "$unpacked" "$name"
  check "$name-conversion" check_conversion "$unpacked" "$name" "$program" "$extension"
done

echo "package: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
