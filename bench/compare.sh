#!/usr/bin/env bash
# Runs one conversion job (backslash escaping, head `out.println("`, tail `");`) on the same
# generated file with kalvex-cli, GNU sed, perl and mawk; checks that all four outputs are
# byte-identical; prints each tool's median time over several runs and the ratios, and beside
# them the engine's own time on the same text (kalvex_engine_time: one call into fresh memory
# as the window converts, and by pieces into memory already written, neither reading nor writing).
#
#   bench/compare.sh [BUILD_DIR]        (default: build; environment: SIZE_MB=100 RUNS=5)
#
# Every command reads the file from the page cache and writes its result to a file beside it.
# The times are wall-clock; CPU time (user + system) is shown too, since a busy machine stretches
# the first but hardly the second.
# shellcheck disable=SC2317  # the run_ functions are called as "run_$tool"
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "${1:-$here/../build}" && pwd)
size_mb=${SIZE_MB:-100}
runs=${RUNS:-5}

for tool in sed perl mawk; do
  command -v "$tool" >/dev/null || { echo "compare.sh: $tool is missing" >&2; exit 1; }
done
for exe in bench/kalvex_engine_time bench/kalvex_make_sample cli/kalvex-cli; do
  [[ -x $build/$exe ]] || { echo "compare.sh: build $build/$exe first" >&2; exit 1; }
done

work=$(mktemp -d "${TMPDIR:-/tmp}/kalvex-compare.XXXXXX")
trap 'rm -rf "$work"' EXIT
in=$work/in.txt
"$build/bench/kalvex_make_sample" "$size_mb" "$in"
bytes=$(wc -c <"$in")

# The same job in each tool. Lines end in CR LF, and a lone CR or LF stays inside its line;
# the file ends in CR LF, after which the engine sees one more, empty, line.
run_kalvex() { "$build/cli/kalvex-cli" --escape c --head 'out.println("' --tail '");' "$in" >"$1"; }
run_sed() {
  LC_ALL=C sed -e 's/\\/\\\\/g' -e 's/"/\\"/g' -e 's/\r$//' -e 's/.*/out.println("&");\r/' \
    -e '$s/$/\nout.println("");\r/' "$in" >"$1"
}
run_perl() {
  LC_ALL=C perl -pe 'BEGIN { $/ = "\r\n" } chomp; s/\\/\\\\/g; s/"/\\"/g;
    $_ = "out.println(\"$_\");\r\n"; END { print "out.println(\"\");\r\n" }' "$in" >"$1"
}
run_mawk() {
  LC_ALL=C mawk 'BEGIN { RS = "\r\n"; ORS = "\r\n" } { gsub(/\\/, "&&"); gsub(/"/, "\\\"");
    print "out.println(\"" $0 "\");" } END { print "out.println(\"\");" }' "$in" >"$1"
}

median() { sort -n | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

tools=(kalvex sed perl mawk)
declare -A wall cpu
cat "$in" >/dev/null  # into the page cache
for tool in "${tools[@]}"; do
  : >"$work/$tool.times"
  for ((i = 0; i < runs; i++)); do
    rm -f "$work/$tool.out"
    TIMEFORMAT='%R %U %S'
    { time "run_$tool" "$work/$tool.out"; } 2>>"$work/$tool.times"
  done
  wall[$tool]=$(awk '{ print $1 }' "$work/$tool.times" | median)
  cpu[$tool]=$(awk '{ print $2 + $3 }' "$work/$tool.times" | median)
done

status=0
for tool in sed perl mawk; do
  if ! cmp -s "$work/kalvex.out" "$work/$tool.out"; then
    echo "compare.sh: $tool's output differs from kalvex-cli's" >&2
    cmp "$work/kalvex.out" "$work/$tool.out" | head -1 >&2 || true
    status=1
  fi
done
[[ $status -eq 0 ]] && echo "All outputs are byte-identical ($(wc -c <"$work/kalvex.out") bytes)."

printf '\nInput: %s bytes (%s MB of text), median of %s runs\n' "$bytes" "$size_mb" "$runs"
printf '%-8s %9s %9s %9s %13s\n' tool 'wall s' 'MB/s' 'CPU s' 'wall / kalvex'
fastest=
for tool in "${tools[@]}"; do
  printf '%-8s %9.3f %9.0f %9.3f %13.2f\n' "$tool" "${wall[$tool]}" \
    "$(awk -v b="$bytes" -v t="${wall[$tool]}" 'BEGIN { print b / 1e6 / t }')" "${cpu[$tool]}" \
    "$(awk -v a="${wall[$tool]}" -v k="${wall[kalvex]}" 'BEGIN { print a / k }')"
  if [[ $tool != kalvex ]] && { [[ -z $fastest ]] ||
    awk -v a="${wall[$tool]}" -v b="${wall[$fastest]}" 'BEGIN { exit !(a < b) }'; }; then
    fastest=$tool
  fi
done
read -r _ engine_window _ engine_pieces _ <<<"$("$build/bench/kalvex_engine_time" "$in" "$runs" | tr '\n' ' ')"
printf '%-8s %9.3f %9.0f %9s %13.2f   (the engine alone: one call, into fresh memory)\n' engine \
  "$engine_window" "$(awk -v b="$bytes" -v t="$engine_window" 'BEGIN { print b / 1e6 / t }')" - \
  "$(awk -v a="$engine_window" -v k="${wall[kalvex]}" 'BEGIN { print a / k }')"
printf '%-8s %9.3f %9.0f %9s %13.2f   (the engine alone: by pieces, into reused memory)\n' pieces \
  "$engine_pieces" "$(awk -v b="$bytes" -v t="$engine_pieces" 'BEGIN { print b / 1e6 / t }')" - \
  "$(awk -v a="$engine_pieces" -v k="${wall[kalvex]}" 'BEGIN { print a / k }')"
printf '\nkalvex-cli takes %.2fx the engine'"'"'s one call on the same text (goal <= 1.2).\n' \
  "$(awk -v a="$engine_window" -v k="${wall[kalvex]}" 'BEGIN { print k / a }')"
printf '\nkalvex-cli is %.2fx as fast as the fastest standard tool (%s); by CPU time %.2fx.\n' \
  "$(awk -v a="${wall[$fastest]}" -v k="${wall[kalvex]}" 'BEGIN { print a / k }')" "$fastest" \
  "$(awk -v a="${cpu[$fastest]}" -v k="${cpu[kalvex]}" 'BEGIN { print a / k }')"
exit $status
