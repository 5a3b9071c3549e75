#!/usr/bin/env bash
# The Windows installers and portable zips as a user gets them, under Wine. For each program:
# cpack builds its installer and zip from a finished windows build; the zip holds the program and
# its readme in a folder of their own; the installer, run silently (/S) in a scratch Wine prefix,
# installs into the user's programs folder without asking for administrator rights, with a
# Start-menu shortcut and an uninstall entry of the user's own; both carry the program's
# converter beside it and its licences, and the readme names the converter's version and the
# source archives that lie beside the installers; the installed program converts a PDF dragged
# onto it from another program on the display, with the converter installed beside it (none is
# on the search path), into the user's folder %LOCALAPPDATA%\<Program>\output; a silent uninstall refuses while the
# program runs, and then removes what the installer put there and keeps the results and settings.
#
#   bash tests/package/installer_test.sh [WINDOWS_BUILD [LINUX_BUILD]]
#
# WINDOWS_BUILD (default build/windows) is a finished build of the windows preset; LINUX_BUILD
# (default build/release) gives the drag source. Needs an X display for the conversion (without
# one it starts a virtual one of its own). The last line reads "installer: N passed, M failed"; the
# exit status is non-zero when anything failed. Every check's details go to
# WINDOWS_BUILD/installer-test/.
set -uo pipefail
cd "$(dirname "$0")/../.." || exit 1
root=$(pwd)
source "$root/tests/support/desktop_session.sh"
source "$root/tests/support/wine_session.sh"
build=$(cd "${1:-$root/build/windows}" && pwd) || exit 1
linux_build=$(cd "${2:-$root/build/release}" && pwd) || exit 1

prepare_checks installer "$build/installer-test"
drag_source="$linux_build/tests/gui/droplet_drag_source"
# A Wine prefix and a home of the test's own: nothing reaches the user's Wine or desktop menu
# (winemenubuilder would turn the shortcut into a menu entry of the real desktop). No persistent
# server: the uninstall check waits for the prefix's server to end with its last program.
export HOME="$scratch/home"
mkdir -p "$HOME"
start_wine_session --dll-overrides "winemenubuilder.exe=d" "$scratch/prefix"
# The licences beside each converter, in the installer's and the zip's folder licenze.
licences=(freetype-FTL.txt freetype-GPLv2.txt libjpeg-turbo-LICENSE.md.txt
  libjpeg-turbo-README.ijg.txt libpng-LICENSE.txt poppler-COPYING.txt zlib-LICENSE.txt)

# The value of registry value $2 of the user's key $1, as `reg query` prints it (type, value).
registry_value() {
  timeout 60 wine reg query "HKCU\\$1" /v "$2" 2>/dev/null | tr -d '\r' |
    sed -n "s/^ *$2 *\(REG_[A-Z_]*\) *\(.*\)$/\1 \2/p"
}

# --- Checks of one program ----------------------------------------------------------------------

# What the installer puts into the program's folder (the uninstaller beside it), one a line,
# sorted, folders with a trailing slash: the program, its converter and the licences.
installed_files() {
  local program=$1 converter=$2
  {
    printf '%s\n' "$program.exe" "$converter.exe" licenze/
    printf 'licenze/%s\n' "${licences[@]}"
  } | sort
}

# The files and folders under folder $1, as installed_files writes them.
files_in() {
  (cd "$1" && find . -mindepth 1 \( -type d -printf '%P/\n' \) -o -printf '%P\n') | sort
}

# The zip holds the folder <Program> with the program, its converter, the licences and the
# readme, and nothing else. The readme names the converter, its version and the source archives,
# each of which lies beside the installers.
check_zip() {
  local zip=$1 program=$2 converter=$3
  local listing
  listing=$(cmake -E tar tf "$zip" | sed 's|/$||' | sort)
  echo "$listing"
  [ "$listing" = "$( (printf '%s\n' "$program" "$program/LEGGIMI.txt"
    installed_files "$program" "$converter" | sed "s|/\$||; s|^|$program/|") | sort)" ] ||
    fail "not the folder $program with $program.exe, $converter.exe, licenze and LEGGIMI.txt"
  mkdir -p "$scratch/$program-zip"
  (cd "$scratch/$program-zip" && cmake -E tar xf "$zip") || fail "cannot unpack the zip"
  local readme="$scratch/$program-zip/$program/LEGGIMI.txt"
  grep -q $'\r$' "$readme" || fail "the readme has no Windows line ends"
  grep -Fq "$converter.exe" "$readme" || fail "the readme does not name $converter.exe"
  local dsc version archive
  dsc=$(ls "$build/packages/"poppler_*.dsc 2>/dev/null | head -n 1)
  [ -n "$dsc" ] || fail "no poppler source package beside the installers"
  version=$(sed -n 's/^Version: \([0-9]*:\)\{0,1\}//p' "$dsc")
  grep -Fq "poppler $version" "$readme" || fail "the readme does not say poppler $version is inside"
  grep -q 'PATH' "$readme" || fail "the readme does not speak of the search path"
  for archive in $(tr -d '\r' <"$readme" | sed -n 's/^  \([^ ]*\.\(dsc\|tar\.[a-z0-9]*\|asc\)\)$/\1/p'); do
    [ -s "$build/packages/$archive" ] || fail "the readme names $archive, which is not beside the installers"
  done
  for archive in "$build/packages/"*.dsc; do
    grep -Fq "$(basename "$archive")" "$readme" || fail "the readme does not name $(basename "$archive")"
  done
  local converted="$scratch/$program-zip/$program/$converter.exe"
  echo "$converter.exe: $(stat -c %s "$converted") bytes"
  # A console program that runs by itself: its version, from the zip, in a folder of its own.
  timeout 60 wine "$converted" -v 2>&1 | tr -d '\r' | grep -q "version 22" ||
    fail "$converter.exe from the zip does not run"
}

check_install() {
  local setup=$1 program=$2 version=$3 folder=$4 shortcut=$5 converter=$6
  local key="Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\$program"
  # Run as the user is (asInvoker): no administrator rights asked for.
  grep -aq 'level="asInvoker"' "$setup" || fail "the installer asks for more than the user's rights"
  timeout 120 wine "$setup" /S || fail "the silent install failed ($?)"
  [ "$(files_in "$folder")" = "$( (installed_files "$program" "$converter"; echo Uninstall.exe) | sort)" ] ||
    fail "the install folder holds: $(files_in "$folder")"
  [ -f "$shortcut" ] || fail "no Start-menu shortcut $shortcut"
  strings -el "$shortcut" | grep -Fq "C:\\users\\$wine_user\\AppData\\Local\\Programs\\$program\\$program.exe" ||
    fail "the shortcut does not start the installed program: $(strings -el "$shortcut")"
  local expected name value
  while IFS='|' read -r name expected; do
    value=$(registry_value "$key" "$name")
    echo "$name: $value"
    [ "$value" = "$expected" ] || fail "$name is '$value', not '$expected'"
  done <<EOF
DisplayName|REG_SZ $program
DisplayVersion|REG_SZ $version
InstallLocation|REG_SZ C:\\users\\$wine_user\\AppData\\Local\\Programs\\$program
UninstallString|REG_SZ "C:\\users\\$wine_user\\AppData\\Local\\Programs\\$program\\Uninstall.exe"
NoModify|REG_DWORD 0x1
NoRepair|REG_DWORD 0x1
EOF
  # Offered in "Open with" for PDFs, and in "Send To", which hands over every selected file.
  local classes="Software\\Classes\\Applications\\$program.exe"
  local command
  command=$(timeout 60 wine reg query "HKCU\\$classes\\shell\\open\\command" /ve 2>/dev/null | tr -d '\r')
  echo "open command: $command"
  grep -Fq "\"C:\\users\\$wine_user\\AppData\\Local\\Programs\\$program\\$program.exe\" \"%1\"" <<<"$command" ||
    fail "no open command for the installed program"
  timeout 60 wine reg query "HKCU\\$classes\\SupportedTypes" /v .pdf >/dev/null 2>&1 ||
    fail "the program does not declare PDFs"
  timeout 60 wine reg query "HKCU\\Software\\Classes\\.pdf\\OpenWithList\\$program.exe" >/dev/null 2>&1 ||
    fail "the program is not in the list of .pdf"
  [ -f "$(dirname "$shortcut")/../../SendTo/$program.lnk" ] || fail "no Send To shortcut"
  # About the size of the installed files, in KiB.
  local size actual
  size=$(registry_value "$key" EstimatedSize)
  actual=$(find "$folder" -type f -printf '%s\n' | awk '{ bytes += $1 } END { print int(bytes / 1024) }')
  echo "EstimatedSize: $size (files: $actual KiB)"
  [ $((${size#REG_DWORD })) -ge $((actual - 8)) ] && [ $((${size#REG_DWORD })) -le $((actual + 8)) ] ||
    fail "EstimatedSize is not the installed files' size"
}

# The installed program, started as its shortcut starts it, converts a dragged PDF into the
# user's folder; the program's own folder gets nothing.
check_conversion() {
  local program=$1 extension=$2 folder=$3 work=$4 converter=$5
  local documents="$scratch/$program-documents"
  mkdir -p "$documents"
  local pdf="$documents/prova installata.pdf"
  # Wine hands the opening of a result to the desktop's opener: here one that only records.
  make_recording_opener "$scratch/stubs" "$scratch/$program-opened.txt"
  write_pdf "$pdf" "Prova installata $program"

  (cd "$folder" && PATH="$scratch/stubs:$PATH" exec wine "$folder/$program.exe") &
  local pid=$!
  pids+=("$pid")

  # The result is named after the scratch copy's short name (PROVA~1 or the like).
  local output="$work/output"
  BOX_SHOT="$logs/$program-box.png" convert_by_drag "$drag_source" "$pid" "$pdf" "$program" 90 \
    compgen -G "$output/*$extension"
  echo "results:"
  ls "$output"
  compgen -G "$output/*$extension" >/dev/null || fail "no $extension result in the user's folder"
  grep -q "Prova installata $program" "$output"/*"$extension" ||
    fail "no result holds the document's text"
  [ "$(files_in "$folder")" = "$( (installed_files "$program" "$converter"; echo Uninstall.exe) | sort)" ] ||
    fail "the program's folder was written into: $(files_in "$folder")"
  [ -f "$pdf" ] || fail "the dropped PDF is gone"
}

# While the program runs, the uninstaller refuses and removes nothing; once it has ended, the
# uninstaller removes the program, itself, the shortcut, the uninstall entry and the emptied
# folder, and keeps the user's results and settings.
check_uninstall() {
  local program=$1 folder=$2 shortcut=$3 work=$4 converter=$5
  local key="Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\$program"
  local uninstaller="C:\\users\\$wine_user\\AppData\\Local\\Programs\\$program\\Uninstall.exe"
  # Settings the user saved; results, if the conversion check left none.
  mkdir -p "$work/output"
  printf '[Opzioni]\r\n' >"$work/$program.INI"
  [ -n "$(ls "$work/output")" ] || printf 'risultato\r\n' >"$work/output/risultato precedente.txt"
  find "$work" -type f | sort >"$scratch/$program-kept.txt"

  (cd "$folder" && exec wine "$folder/$program.exe") &
  local pid=$!
  pids+=("$pid")
  [ -n "$(main_window_of "$pid" 60)" ] || fail "the installed $program showed no window"
  # In place (_?=): the uninstaller's own exit status, not that of its copy's start.
  timeout 120 wine "$uninstaller" /S "_?=C:\\users\\$wine_user\\AppData\\Local\\Programs\\$program"
  local status=$?
  echo "uninstall while the program runs: exit status $status"
  [ "$status" -ne 0 ] || fail "the uninstaller did not refuse while the program runs"
  [ "$(files_in "$folder")" = "$( (installed_files "$program" "$converter"; echo Uninstall.exe) | sort)" ] ||
    fail "the refused uninstall removed files: $(files_in "$folder")"
  [ -f "$shortcut" ] && [ -n "$(registry_value "$key" DisplayName)" ] ||
    fail "the refused uninstall removed the shortcut or the uninstall entry"
  kill "$pid" 2>/dev/null
  wait "$pid" 2>/dev/null
  timeout 30 wineserver -k
  timeout 60 wineserver -w

  # As the list of programs starts it: the uninstaller copies itself away, starts the copy and
  # returns. The prefix's server ends once every program in it has.
  timeout 120 wine "$uninstaller" /S || fail "the uninstaller did not start ($?)"
  timeout 120 wineserver -w
  [ ! -e "$folder" ] || fail "the install folder stays: $(ls -A "$folder")"
  [ ! -e "$shortcut" ] || fail "the shortcut stays"
  [ -z "$(registry_value "$key" DisplayName)" ] || fail "the uninstall entry stays"
  ! timeout 60 wine reg query "HKCU\\Software\\Classes\\Applications\\$program.exe" >/dev/null 2>&1 ||
    fail "the Open with entry stays"
  ! timeout 60 wine reg query "HKCU\\Software\\Classes\\.pdf\\OpenWithList\\$program.exe" >/dev/null 2>&1 ||
    fail "the program stays in the list of .pdf"
  [ ! -e "$(dirname "$shortcut")/../../SendTo/$program.lnk" ] || fail "the Send To shortcut stays"
  diff <(find "$work" -type f | sort) "$scratch/$program-kept.txt" ||
    fail "the user's results or settings changed"
}

# --- Each program -------------------------------------------------------------------------------

# The user's folder of the prefix, named after the user Wine runs as.
wine_user=$(ls "$WINEPREFIX/drive_c/users" | grep -vx Public | head -n 1)
user_folder="$WINEPREFIX/drive_c/users/$wine_user"
for name in orvane tessik; do
  case $name in
    orvane) program=Orvane extension=.html converter=pdftohtml ;;
    tessik) program=Tessik extension=.txt converter=pdftotext ;;
  esac
  echo "=== $program"
  rm -f "$build/packages/$program-"*
  if ! (cd "$build" && cpack --config "CPackConfig-$name.cmake") >"$logs/$name-cpack.log" 2>&1; then
    failed=$((failed + 1))
    echo "FAILED  $name-cpack (see $logs/$name-cpack.log)"
    tail -n 15 "$logs/$name-cpack.log"
    continue
  fi
  setup=$(ls "$build/packages/$program-"*-setup.exe)
  zip=$(ls "$build/packages/$program-"*-portable.zip)
  version=$(basename "$setup" -setup.exe)
  version=${version#"$program-"}
  echo "installer $(basename "$setup"): $(stat -c %s "$setup") bytes"
  echo "zip $(basename "$zip"): $(stat -c %s "$zip") bytes"
  folder="$user_folder/AppData/Local/Programs/$program"
  shortcut="$user_folder/AppData/Roaming/Microsoft/Windows/Start Menu/Programs/$program.lnk"
  work="$user_folder/AppData/Local/$program"
  check "$name-zip" check_zip "$zip" "$program" "$converter"
  check "$name-install" check_install "$setup" "$program" "$version" "$folder" "$shortcut" \
    "$converter"
  check "$name-conversion" check_conversion "$program" "$extension" "$folder" "$work" "$converter"
  check "$name-uninstall" check_uninstall "$program" "$folder" "$shortcut" "$work" "$converter"
  timeout 30 wineserver -k >/dev/null 2>&1
done

echo "installer: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
