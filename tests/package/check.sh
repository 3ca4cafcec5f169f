#!/usr/bin/env bash
# The installed package as a game developer meets it. One step per CTest test (tests/package):
#   install       installs the build into <work>/prefix (the other steps but short_build use it)
#   headers       every installed header compiles alone and quietly under -Wall -Wextra (headers/;
#                 VX_ALL_HEADERS_ALONE=ON compiles here also those the tree's build compiles first)
#   sdk_game      a game asking for the SDK component alone configures, builds and runs on a machine
#                 without libmicrohttpd or nlohmann-json, compiles against the prefix's headers only,
#                 and gets its app bundle again when a plist changes, without relinking (game/)
#   components    what find_package reports there for the server, an unknown component, and a
#                 missing plist (probe/)
#   short_build   the package preset's tree makes the libraries and the server, no other program,
#                 and needs neither GoogleTest nor Google Benchmark nor cpp-httplib
#   server_usage  vorlix-server --help prints its usage; any other word is refused with it
#   cleanup       removes the prefix (the libraries of a sanitizer build are half a gigabyte)
# Usage: check.sh <step> <build folder> <work folder> <C++ compiler>
set -euo pipefail
step=$1
build=$(cd "$2" && pwd)
work=$3
compiler=$4
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
prefix=$work/prefix
mkdir -p "$work"

fail() {
  echo "package $step: $*" >&2
  exit 1
}

# A pkg-config search path holding every module of the default one except those named.
pkg_config_without() {
  local folder=$work/$step-pkgconfig
  rm -rf "$folder"
  mkdir -p "$folder"
  local dir pc name
  IFS=: read -r -a dirs <<<"$(pkg-config --variable pc_path pkg-config)"
  for dir in "${dirs[@]}"; do
    for pc in "$dir"/*.pc; do
      [ -e "$pc" ] || continue
      name=$(basename "$pc" .pc)
      [[ " $* " == *" $name "* ]] && continue
      [ -e "$folder/$name.pc" ] || ln -s "$pc" "$folder/$name.pc"
    done
  done
  for name in "$@"; do
    if PKG_CONFIG_LIBDIR=$folder PKG_CONFIG_PATH= pkg-config --exists "$name"; then fail "could not hide $name from pkg-config"; fi
  done
  echo "$folder"
}

# Configures a project against the prefix with the build's compiler; extra arguments go to cmake.
configure() {
  local source=$1 binary=$2
  shift 2
  local launcher=()
  if command -v ccache >/dev/null; then launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache); fi
  cmake -S "$source" -B "$binary" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_COMPILER="$compiler" \
    -DCMAKE_PREFIX_PATH="$prefix" "${launcher[@]}" "$@"
}

# The sanitizers of an asan build travel with its libraries into the programs built here.
export ASAN_OPTIONS="${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1:verify_asan_link_order=0}"
export UBSAN_OPTIONS="${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}"

case $step in
install)
  rm -rf "$prefix"
  cmake --install "$build" --prefix "$prefix" >"$work/install.log"
  for file in bin/vorlix-server lib/libvx_sdk.a lib/libvx_server.a lib/cmake/Vorlix/VorlixConfig.cmake \
      share/vorlix/app/Info.plist include/vorlix/platform_sdk/VorlixSDK.h; do
    [ -e "$prefix/$file" ] || fail "the prefix lacks $file"
  done
  # The implementation's headers that include an outside library's stay out.
  for file in os/net/CurlEngine.h os/text/Engine.h; do
    [ ! -e "$prefix/include/vorlix/$file" ] || fail "$file, which includes an outside library's header, was installed"
  done
  if grep -rlE '^[[:space:]]*#[[:space:]]*include[[:space:]]*<(curl|pango|litehtml|microhttpd|nlohmann)' "$prefix/include"; then
    fail "the installed headers above include an outside library's header"
  fi
  echo "package install: $(find "$prefix" -type f | wc -l) files in $prefix"
  ;;

headers)
  rm -rf "$work/headers"
  configure "$here/headers" "$work/headers" -DCMAKE_BUILD_TYPE= -DVX_SOURCE_DIR="$root" \
    -DVX_ALL_HEADERS_ALONE="${VX_ALL_HEADERS_ALONE:-OFF}" >"$work/headers.log" 2>&1 || { cat "$work/headers.log"; fail "configure failed"; }
  grep 'package_headers:' "$work/headers.log"
  cmake --build "$work/headers" -j "${VX_PACKAGE_JOBS:-2}" -- -k 0 >"$work/headers-build.log" 2>&1 ||
    { grep -E '(error|warning):' "$work/headers-build.log" | sort | uniq -c | sort -rn | head -n 40
      fail "installed headers do not compile alone without warnings (each error above with the number of headers that met it)"; }
  ;;

sdk_game)
  hidden=$(pkg_config_without libmicrohttpd)
  rm -rf "$work/game" "$work/game-build"
  cp -r "$here/game" "$work/game"
  # From another folder than the game's: the plists' relative paths are the game's own.
  (cd "$work" && PKG_CONFIG_LIBDIR=$hidden PKG_CONFIG_PATH= configure game game-build \
    -DCMAKE_DISABLE_FIND_PACKAGE_nlohmann_json=ON -DCMAKE_EXPORT_COMPILE_COMMANDS=ON) >"$work/game.log" 2>&1 ||
    { cat "$work/game.log"; fail "a game asking for the SDK alone did not configure without libmicrohttpd and nlohmann-json"; }
  cmake --build "$work/game-build" >"$work/game-build.log" 2>&1 || { cat "$work/game-build.log"; fail "the game did not build"; }

  # Only the prefix's headers on the compile line: no outside library's include folder.
  flags=$(python3 -c 'import json,sys; print("\n".join(c["command"] for c in json.load(open(sys.argv[1]))))' \
    "$work/game-build/compile_commands.json" | grep -oE '(-I|-isystem) ?[^ ]+' | sed -E 's/^(-I|-isystem) ?//' | sort -u)
  while read -r dir; do
    [ -z "$dir" ] && continue
    [ "$(realpath "$dir")" = "$(realpath "$prefix/include/vorlix")" ] || fail "the game compiles with the include folder $dir"
  done <<<"$flags"
  [ -n "$flags" ] || fail "no include folder on the game's compile line"

  out=$(cd "$work" && "$work/game-build/sdk-game")
  echo "$out"
  grep -qx 'bundle com.example.packagecheck' <<<"$out" || fail "the game did not read its own Info.plist"
  grep -qx 'orientations 24' <<<"$out" || fail "the game's landscape Info.plist did not answer 24"
  grep -qx 'channel package_check' <<<"$out" || fail "the channel file is missing"
  grep -qx 'role report 2' <<<"$out" || fail "a role report with a field missing did not answer 2 at once"
  pictures=$(find "$prefix/share/vorlix/VOZUV.bundle" -type f | wc -l)
  [ "$(find "$work/game-build/resources/VOZUV.bundle" -type f | wc -l)" = "$pictures" ] || fail "the SDK's pictures were not all copied"

  # A changed plist is copied by the next build, which links nothing.
  ninja -C "$work/game-build" -n | grep -q 'no work to do' || fail "a second build has work to do"
  sed -i 's/com.example.packagecheck/com.example.changed/; s/UIInterfaceOrientationLandscapeLeft/UIInterfaceOrientationPortrait/; /UIInterfaceOrientationLandscapeRight/d' \
    "$work/game/app/Info.plist"
  rebuilt=$(cmake --build "$work/game-build" 2>&1) || { echo "$rebuilt"; fail "the rebuild failed"; }
  if grep -q 'Linking' <<<"$rebuilt"; then echo "$rebuilt"; fail "a changed plist relinked the game"; fi
  cmp -s "$work/game/app/Info.plist" "$work/game-build/resources/Info.plist" || fail "the changed Info.plist was not copied"
  out=$(cd "$work" && "$work/game-build/sdk-game")
  grep -qx 'bundle com.example.changed' <<<"$out" || fail "the game does not read the changed Info.plist: $out"
  grep -qx 'orientations 2' <<<"$out" || fail "the portrait Info.plist did not answer 2: $out"
  echo "package sdk_game: configured without libmicrohttpd and nlohmann-json, built, ran; a changed plist copied without relinking"
  ;;

components)
  hidden=$(pkg_config_without libmicrohttpd)
  rm -rf "$work/probe" "$work/probe-plist"
  PKG_CONFIG_LIBDIR=$hidden PKG_CONFIG_PATH= configure "$here/probe" "$work/probe" >"$work/probe.log" 2>&1 ||
    { cat "$work/probe.log"; fail "the probe failed"; }
  grep -E 'Vorlix:|probe:' "$work/probe.log"
  grep -q 'Vorlix: component Server needs libmicrohttpd (pkg-config module), not found' "$work/probe.log" ||
    fail "find_package(Vorlix) did not say why the server was left out"
  if PKG_CONFIG_LIBDIR=$hidden PKG_CONFIG_PATH= configure "$here/probe" "$work/probe-plist" -DPROBE_MISSING_PLIST=ON \
      >"$work/probe-plist.log" 2>&1; then
    fail "vorlix_add_bundle accepted an Info.plist that does not exist"
  fi
  # CMake wraps its messages: compare with the lines joined.
  tr -s ' \n' '  ' <"$work/probe-plist.log" | grep -qF "the INFO_PLIST file $here/probe/no-such-folder/Info.plist does not exist" ||
    { cat "$work/probe-plist.log"; fail "the missing plist's error does not name it"; }
  echo "package components: the server's missing library named; an unknown component refused; a missing plist named"
  ;;

short_build)
  hidden=$(pkg_config_without cpp-httplib)
  rm -rf "$work/short"
  (cd "$root" && PKG_CONFIG_LIBDIR=$hidden PKG_CONFIG_PATH= cmake --preset package -B "$work/short" \
    -DCMAKE_DISABLE_FIND_PACKAGE_GTest=ON -DCMAKE_DISABLE_FIND_PACKAGE_benchmark=ON) >"$work/short.log" 2>&1 ||
    { cat "$work/short.log"; fail "the package preset did not configure without GoogleTest, Google Benchmark and cpp-httplib"; }
  programs=$(ninja -C "$work/short" -t targets all | sed -n 's/^\([^:]*\): [A-Z]*_EXECUTABLE_LINKER.*/\1/p' | sort)
  [ "$programs" = "server/vorlix-server" ] || fail "the short build makes other programs than the server: $(echo $programs)"
  others=$(ninja -C "$work/short" -t targets all | grep -E '^(tests|bench|fuzz|demo)/' | head -n 5 || true)
  [ -z "$others" ] || fail "the short build builds in tests, bench, fuzz or demo: $others"
  [ ! -e "$work/short/CTestTestfile.cmake" ] || fail "the short build registers tests"
  echo "package short_build: one program, server/vorlix-server, and $(ninja -C "$work/short" -t targets all | grep -c '_STATIC_LIBRARY_LINKER') libraries"
  ;;

server_usage)
  server=$build/server/vorlix-server
  out=$(timeout 10 "$server" --help) || fail "--help exited with $?"
  grep -q '^usage: vorlix-server \[port\]' <<<"$out" || fail "--help printed no usage: $out"
  for words in "serve" "--port=4000" "70000" "12ab" "-1" "4000 extra"; do
    # A word taken for a port would start a server: the time-out ends it.
    # shellcheck disable=SC2086
    if err=$(timeout 10 "$server" $words 2>&1 >/dev/null); then status=0; else status=$?; fi
    [ "$status" = 2 ] || fail "'$words' exited with $status, not 2 (124: it started a server)"
    grep -q '^usage: vorlix-server \[port\]' <<<"$err" || fail "'$words' was refused without the usage: $err"
  done
  echo "package server_usage: --help prints the usage; six wrong words refused with it"
  ;;

cleanup)
  rm -rf "$prefix" "$work/game-build"
  ;;

*)
  fail "unknown step"
  ;;
esac
