#!/usr/bin/env bash
# Checks of an installation into a staging folder (DESTDIR), one per call:
#   install-checks.sh CHECK BUILD_DIR SOURCE_DIR STAGE VERSION
# "stage" installs the build into STAGE/usr; the other checks look at what
# it installed. The desktop program's checks run when it was built.
set -euo pipefail
check=$1 build=$2 source=$3 stage=$4 version=$5
prefix=$stage/usr
id=com.marovane.Volcatra
mime_type=application/x-zevuv-document
gui=false
[[ -x $build/src/app/volcatra ]] && gui=true
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export LC_ALL=C.UTF-8

fail() {
  echo "FAIL: $*" >&2
  exit 1
}
# Runs a command that must succeed with nothing on standard error.
quiet() {
  "$@" 2>"$work/stderr" || fail "$* exited with $?: $(cat "$work/stderr")"
  [[ ! -s $work/stderr ]] || fail "$* wrote to standard error: $(cat "$work/stderr")"
}

case $check in
stage)
  rm -rf "$stage"
  DESTDIR=$stage cmake --install "$build" --prefix /usr >/dev/null
  ;;

files)
  expected=(
    bin/volcatra-cli
    share/volcatra/Through.ico
    share/doc/volcatra/LICENSE share/doc/volcatra/copyright
    share/man/man1/volcatra-cli.1.gz
    share/bash-completion/completions/volcatra-cli
    share/zsh/vendor-completions/_volcatra-cli
  )
  if $gui; then
    expected+=(
      bin/volcatra
      share/applications/$id.desktop
      share/mime/packages/$id.xml
      share/metainfo/$id.metainfo.xml
      share/man/man1/volcatra.1.gz
      share/icons/hicolor/scalable/apps/$id.svg
    )
    for size in 16 32 48 64 128 256; do expected+=(share/icons/hicolor/${size}x$size/apps/$id.png); done
  fi
  for file in "${expected[@]}"; do [[ -f $prefix/$file ]] || fail "$file is not installed"; done
  # Nothing else: no build helpers, no test programs, no stray pictures.
  found=$(cd "$prefix" && find . -type f | sed 's|^\./||' | sort)
  unexpected=$(comm -23 <(echo "$found") <(printf '%s\n' "${expected[@]}" | sort))
  [[ -z $unexpected ]] || fail "unexpected files installed: $unexpected"
  if $gui; then
    for size in 16 32 48 64 128 256; do
      file "$prefix/share/icons/hicolor/${size}x$size/apps/$id.png" | grep -q "PNG image data, $size x $size," ||
        fail "the ${size}x$size icon is not a $size-pixel PNG"
    done
    xmllint --noout "$prefix/share/icons/hicolor/scalable/apps/$id.svg"
  fi
  ;;

desktop-entry)
  $gui || exit 0
  entry=$prefix/share/applications/$id.desktop
  quiet desktop-file-validate "$entry"
  # The names "--register" uses, so that the two never give two entries.
  grep -qx "Icon=$id" "$entry" || fail "the entry's icon is not $id"
  grep -qx "MimeType=$mime_type;" "$entry" || fail "the entry does not open $mime_type"
  grep -qx "Exec=volcatra %f" "$entry" || fail "the entry does not start the installed program"
  ;;

metainfo)
  $gui || exit 0
  cd "$work"
  quiet appstreamcli validate --no-net --no-color "$prefix/share/metainfo/$id.metainfo.xml" >/dev/null
  grep -q "<release version=\"$version\"" "$prefix/share/metainfo/$id.metainfo.xml" ||
    fail "the metainfo names no release $version"
  ;;

mime)
  $gui || exit 0
  package=$prefix/share/mime/packages/$id.xml
  quiet xmllint --noout "$package"
  mkdir -p "$work/mime/packages"
  cp "$package" "$work/mime/packages/"
  XDG_DATA_DIRS=$work quiet update-mime-database "$work/mime"
  grep -q "^[0-9]*:$mime_type:\*\.fsr$" "$work/mime/globs2" || fail "no glob *.fsr for $mime_type"
  grep -q "^$mime_type$" "$work/mime/types" || fail "$mime_type is not in the database"
  grep -aq "File Struct Record Version" "$work/mime/magic" || fail "no magic for $mime_type"
  ;;

man-pages)
  pages=(volcatra-cli)
  $gui && pages+=(volcatra)
  for page in "${pages[@]}"; do
    # man's exit status says nothing about warnings; its standard error does.
    MANWIDTH=80 quiet man --warnings -l "$prefix/share/man/man1/$page.1.gz" >"$work/$page.txt"
    grep -q "$version" "$work/$page.txt" || fail "$page(1) does not name version $version"
    for section in NAME SYNOPSIS DESCRIPTION "EXIT STATUS" ENVIRONMENT FILES EXAMPLES; do
      grep -q "^$section" "$work/$page.txt" || fail "$page(1) has no $section section"
    done
  done
  # Every verb of the command-line tool has its section.
  for verb in info dump export read search volumes rename comment remove move-volume copy-volume locate; do
    grep -q "^   $verb" "$work/volcatra-cli.txt" || fail "volcatra-cli(1) has no section for $verb"
  done
  ;;

programs)
  # The installed programs start, find their files where the installation
  # put them (Through.ico under share/volcatra) and name the build's version.
  [[ $("$prefix/bin/volcatra-cli" --version) == "ボルカトラ Version $version" ]] ||
    fail "volcatra-cli --version does not print version $version"
  "$prefix/bin/volcatra-cli" info "$source/examples/sample.fsr" >/dev/null
  $gui || exit 0
  [[ $("$prefix/bin/volcatra" --version) == "ボルカトラ Version $version" ]] ||
    fail "volcatra --version does not print version $version"
  # Settings, the single-instance socket and the data folder of a user of
  # its own; a message box (such as a missing overlay picture) would wait,
  # so the timeout ends it.
  mkdir -p "$work/home" "$work/tmp"
  status=0
  env HOME="$work/home" XDG_CONFIG_HOME="$work/home/.config" XDG_DATA_HOME="$work/home/.local/share" \
    TMPDIR="$work/tmp" QT_QPA_PLATFORM=offscreen VOLCATRA_EXIT_AFTER_SHOWN=1 \
    timeout 30 "$prefix/bin/volcatra" "$source/examples/sample.fsr" || status=$?
  [[ $status -eq 0 ]] || fail "volcatra with the sample catalogue ended with status $status"
  # The window was shown and closed: it saved its layout.
  [[ -f $work/home/.config/Marovane/Volcatra.conf ]] || fail "the program did not come up and close"
  ;;

completion)
  # bash: the completion function over a small folder.
  mkdir -p "$work/files/sub"
  cp "$source/examples/sample.fsr" "$work/files/a.fsr"
  touch "$work/files/B.FSR" "$work/files/notes.txt"
  cd "$work/files"
  result=$(PATH=$prefix/bin:$PATH bash -c '
    source "$1"
    complete_words() {
      COMP_WORDS=("$@"); COMP_CWORD=$(($# - 1)); COMPREPLY=()
      _volcatra_cli
      printf "%s\n" "${COMPREPLY[@]}" | sort | tr "\n" " "
      echo
    }
    complete_words volcatra-cli mo
    complete_words volcatra-cli info ""
    complete_words volcatra-cli read --n
    complete_words volcatra-cli read ""
    complete_words volcatra-cli rename a.fsr ""
    complete_words volcatra-cli search --catalogue ""
    ' bash "$prefix/share/bash-completion/completions/volcatra-cli")
  expected=$'move-volume \nB.FSR a.fsr sub \n--name --no-archives --no-image \nsub \n1 2 \nB.FSR a.fsr sub '
  [[ $result == "$expected" ]] || fail "bash completion gave"$'\n'"$result"$'\n'"instead of"$'\n'"$expected"
  # zsh: the same through a completion in a shell of its own.
  if command -v zsh >/dev/null; then
    result=$(PATH=$prefix/bin:$PATH timeout 60 zsh -f "$source/tests/install/zsh-complete.zsh" \
      "$prefix/share/zsh/vendor-completions" "volcatra-cli rename a.fsr " "volcatra-cli read --n" \
      "volcatra-cli info ")
    expected=$'1 2\n--name --no-archives --no-image\nB.FSR a.fsr sub'
    [[ $result == "$expected" ]] || fail "zsh completion gave"$'\n'"$result"$'\n'"instead of"$'\n'"$expected"
  fi
  ;;

*)
  fail "unknown check $check"
  ;;
esac
