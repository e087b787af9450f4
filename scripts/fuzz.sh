#!/usr/bin/env bash
# Builds the libFuzzer targets with clang (AddressSanitizer and
# UndefinedBehaviorSanitizer on) in ${FUZZ_BUILD_DIR:-build-fuzz} and runs each
# for ${FUZZ_SECONDS:-60} seconds from its committed seed corpus.  Fails on any
# finding; the input that broke a property is printed (base64) and kept under
# the build dir's findings/ folder: add it to tests/regressions/inputs/<target>/.
# Optional arguments: the targets to run (record, xml); default both.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=${FUZZ_BUILD_DIR:-$top/build-fuzz}
seconds=${FUZZ_SECONDS:-60}
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=(record xml)

"$top/scripts/install-deps.sh"
# The XML target fuzzes TinyXML's parser as well, compiled from Debian's
# patched source with the same instrumentation, so that a read past the text
# inside the parser is a finding too.  Without the source package the system
# library is used (uninstrumented: the parser's own reads go unchecked).
tinyxml_src=$(bash "$top/windows/fetch-tinyxml.sh" "$build/tinyxml" 2>/dev/null) ||
  { tinyxml_src=""; echo "note: TinyXML source unavailable; the parser itself runs uninstrumented"; }
# Warnings are policed by the gcc build of scripts/test.sh; this build exists
# to run inputs, so a clang-only warning must not stop it.
CC=clang CXX=clang++ cmake -S "$top" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DKESTRAVA_FUZZ=ON -DKESTRAVA_BUILD_TESTS=OFF -DKESTRAVA_WERROR=OFF \
  -DKESTRAVA_TINYXML_SOURCE_DIR="$tinyxml_src" >/dev/null
cmake --build "$build" --target $(printf 'fuzz_%s ' "${targets[@]}")

symbolizer=/usr/lib/llvm-14/bin/llvm-symbolizer
[ -x "$symbolizer" ] && export ASAN_SYMBOLIZER_PATH=$symbolizer
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1

failed=0
for t in "${targets[@]}"; do
  work="$build/corpus-$t"          # fresh each run; the seeds stay untouched
  findings="$build/findings"
  log="$build/fuzz-$t.log"
  rm -rf "$work"
  mkdir -p "$work" "$findings"
  rm -f "$findings/$t-"*
  extra=()
  case $t in
    record) extra=(-max_len=3000 -dict="$top/fuzz/record.dict") ;;
    # The XML front end prints a diagnostic line on stdout for every
    # unreadable document: close the target's stdout.
    xml) extra=(-max_len=8192 -dict="$top/fuzz/xml.dict" -close_fd_mask=1) ;;
  esac
  echo "== fuzz_$t: ${seconds}s"
  status=0
  "$build/fuzz/fuzz_$t" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
    -print_final_stats=1 -artifact_prefix="$findings/$t-" "${extra[@]}" \
    "$work" "$top/fuzz/corpus/$t" >"$log" 2>&1 || status=$?
  execs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
  corpus=$(grep -o 'corp: [0-9]*/[0-9]*[bKM]*' "$log" | tail -1 | sed 's/corp: //')
  echo "fuzz_$t: executions ${execs:-?}, corpus ${corpus:-?} (units/bytes), new inputs kept $(ls "$work" | wc -l)"
  if [ "$status" -ne 0 ]; then
    failed=1
    echo "fuzz_$t: FINDING (exit $status)"
    tail -60 "$log"
    for f in "$findings/$t-"*; do
      [ -e "$f" ] || continue
      echo "--- $f (base64)"
      base64 "$f"
    done
  fi
done
exit $failed
