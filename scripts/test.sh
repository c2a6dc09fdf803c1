#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test: the fuzzers, the normal
# build (with the leak check under valgrind, and the Windows saver and its
# installer under Wine), then the whole suite again built with
# AddressSanitizer and UndefinedBehaviorSanitizer, and the other Debian
# release as a new user meets it. Every stage runs, even after one failed; the
# command fails when any did, and ends by naming each, with its time.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
"$top/scripts/install-deps.sh" --tests

# Work that asks no time of the rows in front runs beside them, at a low
# priority, so that those rows keep the processor they ask for; its output
# follows when it has ended.
beside_pids=() beside_logs=() beside_starts=()
beside() {
  beside_logs+=("$1")
  beside_starts+=("$SECONDS")
  shift
  nice -n 10 "$@" >"${beside_logs[-1]}" 2>&1 &
  beside_pids+=($!)
}
joined() {
  local i
  for i in "${!beside_pids[@]}"; do
    wait "${beside_pids[i]}" || { status=1; failed+=("${beside_logs[i]}"); }
    local name=${beside_logs[i]##*/}
    took "${name%.log}" "${beside_starts[i]}"
    cat "${beside_logs[i]}"
  done
  beside_pids=() beside_logs=() beside_starts=()
}
status=0

# Each stage's time, for the summary: CI must stay under an hour.
times=()
took() { times+=("$(printf '%-22s %3d min' "$1" $(((SECONDS - $2 + 30) / 60)))"); }
# Runs a stage in the foreground, in this shell (it may set variables), its
# output kept too; one that fails is named at the end with the end of that
# output.
mkdir -p "$top/build/stages"
stage() {
  local name=$1 start=$SECONDS log="$top/build/stages/$1.log" code=0
  shift
  "$@" > >(tee "$log") 2>&1 || code=$?
  wait $!
  [ $code -eq 0 ] || { status=1; failed+=("$log"); }
  took "$name" "$start"
}

# Only the end of a long log may be read: it says last of all which rows
# failed at some point and which stages failed, with the end of each one's
# output.
failed=() retried=()
summary() {
  local what
  printf '==== took: %s\n' "${times[@]}" "$(printf '%-22s %3d min' all $(((SECONDS + 30) / 60)))"
  [ ${#retried[@]} -eq 0 ] || printf '==== failed at least once: %s\n' "${retried[@]}"
  for what in "${failed[@]}"; do
    echo "==== failed: $what"
    case $what in
      ctest:*) ctest_failures "${what#ctest:}" ;;
      *) [ ! -f "$what" ] || tail -n 30 "$what" ;;
    esac
  done
}
# The failed rows of the ctest run in $1, with the end of each one's last run.
ctest_failures() {
  local dir=$1/Testing/Temporary
  [ -f "$dir/LastTestsFailed.log" ] || return 0
  cat "$dir/LastTestsFailed.log"
  awk -v list="$dir/LastTestsFailed.log" '
    BEGIN { while ((getline l < list) > 0) { sub(/^[0-9]+:/, "", l); want[l] = 1 } }
    match($0, /^[0-9]+\/[0-9]+ Testing: /) { name = substr($0, RLENGTH + 1); n = 0 }
    name in want { kept[n++ % 30] = $0 }
    name in want && index($0, "\"" name "\" end time:") == 1 {
      out[name] = ""
      for (i = (n > 30 ? n - 30 : 0); i < n; i++) out[name] = out[name] kept[i % 30] "\n"
    }
    END { for (name in out) printf "---- %s\n%s", name, out[name] }' "$dir/LastTest.log"
}
# Runs the rows of the build in $1 (further arguments go to ctest). A row that
# fails runs once more, as a desk on a shared machine may now and then miss a
# deadline; each row that failed at all is named at the end all the same.
suite() {
  local dir=$1 row start=$SECONDS
  shift
  ctest --test-dir "$dir" --output-on-failure --repeat until-pass:2 "$@" || { status=1; failed+=("ctest:$dir"); }
  while read -r row; do retried+=("$row, in $dir"); done < <(awk '
    match($0, /^[0-9]+\/[0-9]+ Testing: /) { name = substr($0, RLENGTH + 1) }
    $0 == "Test Failed." { print name }' "$dir/Testing/Temporary/LastTest.log" 2>/dev/null | sort -u)
  took "rows of ${dir##*/}" "$start"
}
trap summary EXIT

# The Windows libraries, built from their sources for minutes, beside the
# parsers and the switch decoder under libFuzzer (half a minute each, one core).
mkdir -p "$top/build-windows"
beside "$top/build-windows/deps.log" "$top/scripts/windows-deps.sh" "${TAPWRITE_WINDOWS_DEPS:-$top/build-windows/deps}"
stage fuzzers "$top/scripts/fuzz.sh" 30
joined

windows=$top/build-windows/saver
stage build "$top/scripts/build.sh" "$top/build" -DBUILD_TESTING=ON -DTAPWRITE_WINDOWS_BUILD="$windows"
stage windows-build "$top/scripts/build-windows.sh" "$windows"

# The other Debian release, fresh, as a new user meets it: the run command and
# the normal build's unit, display and package tests there, and, where that
# release is the newer one, the package made here installed and run there (one
# made on Debian 13 needs its libraries, and installs on 13 only). It and the
# sanitizer build run beside the normal suite, whose desks mostly wait.
# The package for the newer release, exactly one.
package_for() {
  local made deb
  rm -rf "$top/build/for-$1"
  (cd "$top/build" && cpack -G DEB -B "$top/build/for-$1" >/dev/null) || return 1
  made=()
  for deb in "$top/build/for-$1"/tapwrite_*_amd64.deb; do
    [ ! -f "$deb" ] || made+=("$deb")
  done
  if [ ${#made[@]} -ne 1 ]; then
    echo "test: cpack made ${#made[@]} packages matching tapwrite_*_amd64.deb, not one" >&2
    return 1
  fi
  newer=(--with "${made[0]}")
}
other=bookworm newer=()
if [ "$(. /etc/os-release && echo "${VERSION_CODENAME:-}")" != trixie ]; then
  other=trixie
  stage "package for $other" package_for "$other"
  # Without it the stage there would pass without installing one.
  [ ${#newer[@]} -gt 0 ] || { status=1; failed+=("package for $other: none handed on"); }
fi
beside "$top/build/$other.log" "$top/tests/support/in_debian_root.sh" "${newer[@]}" "$other" \
  bash tests/support/fresh_debian_stage.sh
beside "$top/build/asan-build.log" "$top/scripts/build.sh" "$top/build-asan" \
  -DBUILD_TESTING=ON -DTAPWRITE_SANITIZE=ON -DCMAKE_BUILD_TYPE=Debug
suite "$top/build" -LE release
joined

# The release command's rows, builds that wait on nothing, beside the
# sanitizer build's rows, whose desks wait.
beside "$top/build/release.log" ctest --test-dir "$top/build" --output-on-failure -L release
# Leaks are the valgrind check's job: the GL driver keeps allocations of its own.
ASAN_OPTIONS=detect_leaks=0 UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 \
  suite "$top/build-asan"
joined
exit $status
