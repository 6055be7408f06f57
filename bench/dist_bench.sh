#!/usr/bin/env bash
# Distribution benchmark: packs a large payload of this machine's files with tlxpack and compares
# the distribution with 7-Zip (size) and the native installer and both checks of a medium with 7-Zip
# decoding the same volumes (time and peak memory), then prints each target the distribution is held
# to with its figure and whether it is met. Not part of the test command; see README.
#
#   bash bench/dist_bench.sh [--size MB] [--rounds N] [--volume-size SIZE] [--work DIR]
#                            [--build DIR] [--memory-sizes "SIZE ..."] [--reference DIR] [--profile] [--keep]
#
#   --size MB           payload size (default 412); 60 for a quick run
#   --rounds N          interleaved rounds of the three timed commands (default 3)
#   --volume-size SIZE  passed to tlxpack build (default: tlxpack's own)
#   --work DIR          scratch folder (default ${TMPDIR:-/tmp}/tlx-dist-bench); the payload is kept
#                       there between runs and made again only for another size
#   --build DIR         the native build folder (default build/native)
#   --memory-sizes LIST also builds the payload once per volume size in LIST (e.g. "1M 64M 256M") and
#                       prints each build's peak memory beside the main build's, and the installer's
#                       peak memory installing each
#   --reference DIR     a native build folder of an earlier version: its tlxsetup is timed too, so the
#                       one-thread installer can be held against it
#   --profile           also records one tlxsetup run with perf and prints where its time goes
#   --keep              keep the distribution and the 7-Zip archive
#
# The payload is the sample payload plus make_payload.py's bulk: source and documentation text,
# MinGW's and Wine's x86 programs and random bytes. Timed rounds run tlxsetup /VERYSILENT into a
# mapped drive c:, `7zz e -tlzma86` of every volume one after another (a volume is 7-Zip's lzma86
# format: filter byte, LZMA properties, size, stream), `tlxpack verify` and `tlxsetup /VERIFY`, in turn. Quote medians
# and ratios: the machine is shared; run it when nothing else builds.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
size=412
rounds=3
volume_size=
work=${TMPDIR:-/tmp}/tlx-dist-bench
build=$root/build/native
profile=0
keep=0
memory_sizes=
reference=
while [ $# -gt 0 ]; do
  case $1 in
    --size) size=$2; shift 2 ;;
    --rounds) rounds=$2; shift 2 ;;
    --volume-size) volume_size=$2; shift 2 ;;
    --work) work=$2; shift 2 ;;
    --build) build=$(cd "$2" && pwd); shift 2 ;;
    --profile) profile=1; shift ;;
    --keep) keep=1; shift ;;
    --memory-sizes) memory_sizes=$2; shift 2 ;;
    --reference) reference=$(cd "$2" && pwd)/tools/tlxsetup/tlxsetup; shift 2 ;;
    -h|--help) sed -n '2,28p' "$0" | sed 's/^# \{0,1\}//'; exit 0 ;;
    *) echo "dist_bench: unknown argument $1" >&2; exit 2 ;;
  esac
done

tlxpack=$build/tools/tlxpack/tlxpack
tlxsetup=$build/tools/tlxsetup/tlxsetup
mksample=$build/tools/mksample/mksample
for tool in "$tlxpack" "$tlxsetup" "$mksample"; do
  [ -x "$tool" ] || { echo "dist_bench: $tool missing; build the native tree first (bash scripts/build.sh native)" >&2; exit 1; }
done
for cmd in 7zz /usr/bin/time python3; do
  command -v "$cmd" >/dev/null || { echo "dist_bench: $cmd missing (bash scripts/install-deps.sh)" >&2; exit 1; }
done
mkdir -p "$work"
work=$(cd "$work" && pwd)

load=$(cut -d' ' -f1 /proc/loadavg)
echo "machine: $(nproc) cores, $(awk '/MemTotal/ {printf "%.0f GiB", $2/1048576}' /proc/meminfo), $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ *//'); load $load; $(date -u '+%Y-%m-%d %H:%M UTC')"
if awk -v l="$load" -v n="$(nproc)" 'BEGIN { exit !(l > n / 2) }'; then
  echo "warning: load average $load; figures are noisy while other programs run"
fi

# The payload, made once per size.
payload=$work/payload-$size
if [ ! -f "$payload.done" ]; then
  rm -rf "$payload" "$payload.done"
  "$mksample" "$payload" 2>/dev/null
  python3 "$root/bench/make_payload.py" "$payload" "$size" > "$payload.txt"
  touch "$payload.done"
fi
payload_bytes=$(du -sb "$payload" | cut -f1)
payload_files=$(find "$payload" -type f | wc -l)

install_drive=$work/c
# Runs a command under /usr/bin/time; appends "seconds peak_kib" to the file $1.
timed() {
  local out=$1; shift
  /usr/bin/time -f '%e %M' -o "$work/time.tmp" "$@" > "$work/last.log" 2>&1 || {
    echo "dist_bench: failed: $*" >&2; tail -5 "$work/last.log" >&2; exit 1; }
  cat "$work/time.tmp" >> "$out"
}
mb() { awk -v b="$1" 'BEGIN { printf "%.1f", b / 1e6 }'; }
# install TIMES [DIST] [PROGRAM [ENV...]]: one timed installation, whatever it leaves removed.
install() {
  local times=$1 from=${2:-$dist} program=${3:-$tlxsetup}
  shift $(( $# < 3 ? $# : 3 ))
  rm -rf "$install_drive" "$work/registry.ini"
  mkdir -p "$install_drive"
  (cd "$from" && env TLX_DESKTOP='c:\Desktop' TLX_REGISTRY="$work/registry.ini" "$@" \
    /usr/bin/time -f '%e %M' -o "$work/time.tmp" "$program" --drive "c=$install_drive" /VERYSILENT '/DIR=c:\tlx' /NOSHORTCUT \
    > "$work/last.log" 2>&1) || { echo "dist_bench: installation failed" >&2; tail -5 "$work/last.log" >&2; exit 1; }
  cat "$work/time.tmp" >> "$times"
  rm -rf "$install_drive"
}

dist=$work/dist
rm -rf "$dist" "$work"/*.times
timed "$work/build.times" "$tlxpack" build "$payload" -o "$dist" ${volume_size:+--volume-size "$volume_size"}
dist_bytes=$(cat "$dist"/Setup/TlxStp5_320.* | wc -c)
volumes=$(ls "$dist"/Setup/TlxStp5_320.* | wc -l)

# Peak memory of further builds at other volume sizes (the distribution itself is thrown away).
for vs in $memory_sizes; do
  rm -rf "$work/dist-memory"
  timed "$work/build-$vs.times" "$tlxpack" build "$payload" -o "$work/dist-memory" --volume-size "$vs"
  install "$work/setup-$vs.times" "$work/dist-memory"
  rm -rf "$work/dist-memory"
done
install_drive=$work/c
# Bytes the installer writes (every write and pwrite, whatever file), against the installed size.
written=0
installed_bytes=0
if command -v strace >/dev/null; then
  rm -rf "$install_drive" "$work/registry.ini"
  mkdir -p "$install_drive"
  (cd "$dist" && TLX_DESKTOP='c:\Desktop' TLX_REGISTRY="$work/registry.ini" \
    strace -f -qq -e trace=write,pwrite64,writev,pwritev -o "$work/strace.txt" \
    "$tlxsetup" --drive "c=$install_drive" /VERYSILENT '/DIR=c:\tlx' /NOSHORTCUT > /dev/null 2>&1)
  written=$(awk '/= [0-9]+$/ { s += $NF } END { print s + 0 }' "$work/strace.txt")
  installed_bytes=$(du -sb "$install_drive/tlx" | cut -f1)
  rm -rf "$install_drive" "$work/strace.txt"
fi

archive=$work/payload.7z
rm -f "$archive"
(cd "$payload" && timed "$work/7za.times" 7zz a -m0=lzma -md=8m -mf=off -mmt=1 "$archive" .)
archive_bytes=$(stat -c %s "$archive")

decoded=$work/decoded
unpack_7z() {
  rm -rf "$decoded"
  mkdir -p "$decoded"
  timed "$work/7ze.times" bash -c 'for v in "$1"/Setup/TlxStp5_320.*; do 7zz e -tlzma86 -so "$v" > "$2/${v##*.}" 2>/dev/null; done' \
    - "$dist" "$decoded"
  rm -rf "$decoded"
}
for round in $(seq "$rounds"); do
  install "$work/setup.times"
  install "$work/setup1.times" "$dist" "$tlxsetup" TLX_DECODE_THREADS=1
  [ -z "$reference" ] || install "$work/reference.times" "$dist" "$reference"
  unpack_7z
  timed "$work/verify.times" "$tlxpack" verify "$dist"
  (cd "$dist" && timed "$work/setupverify.times" "$tlxsetup" /VERIFY /VERYSILENT)
done

median() { sort -n | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
col() { awk -v c="$2" '{ print $c }' "$1"; }
# Median of the per-round ratios of two timing files.
ratio() { paste -d' ' "$1" "$2" | awk '{ print ($3 > 0) ? $1 / $3 : 0 }' | median; }
row() {
  printf '%-28s %9.2f s %9.1f MB\n' "$1" "$(col "$2" 1 | median)" "$(col "$2" 2 | sort -n | tail -1 | awk '{ print $1 / 1024 }')"
}

echo
echo "payload            $(mb "$payload_bytes") MB in $payload_files files ($(awk '$1 != "total" { printf "%s%s %s MB", sep, $1, $4; sep = ", " }' "$payload.txt"))"
echo "distribution       $(mb "$dist_bytes") MB in $volumes volumes${volume_size:+ of $volume_size}"
echo "7-Zip archive      $(mb "$archive_bytes") MB (7zz a -m0=lzma -md=8m -mf=off -mmt=1)"
echo "size ratio         $(awk -v a="$dist_bytes" -v b="$archive_bytes" 'BEGIN { printf "%.3f", a / b }') (distribution / 7-Zip archive)"
kib_to_mib() { awk '$2 > m { m = $2 } END { printf "%.0f", m / 1024 }' "$1"; }  # the highest peak
echo "builder memory     $(kib_to_mib "$work/build.times") MiB peak (tlxpack build, volumes of ${volume_size:-8M}, $(nproc) jobs)$(
  for vs in $memory_sizes; do printf '; %s MiB at %s' "$(kib_to_mib "$work/build-$vs.times")" "$vs"; done)"
echo
printf '%-28s %11s %12s\n' "" "median" "peak memory"
row "tlxpack build (once)" "$work/build.times"
row "7zz a (once)" "$work/7za.times"
row "tlxsetup /VERYSILENT" "$work/setup.times"
row "tlxsetup, one thread" "$work/setup1.times"
[ -z "$reference" ] || row "reference tlxsetup" "$work/reference.times"
row "7zz e -tlzma86, all volumes" "$work/7ze.times"
row "tlxpack verify" "$work/verify.times"
row "tlxsetup /VERIFY" "$work/setupverify.times"
echo
echo "ratios over $rounds rounds (median of each round's ratio):"
echo "  tlxsetup / 7zz e        $(ratio "$work/setup.times" "$work/7ze.times" | awk '{ printf "%.2f", $1 }')"
echo "  tlxpack verify / 7zz e  $(ratio "$work/verify.times" "$work/7ze.times" | awk '{ printf "%.2f", $1 }')"
echo "  tlxsetup /VERIFY / 7zz e $(ratio "$work/setupverify.times" "$work/7ze.times" | awk '{ printf "%.2f", $1 }')"
echo "  one thread / 7zz e      $(ratio "$work/setup1.times" "$work/7ze.times" | awk '{ printf "%.2f", $1 }')"
[ -z "$reference" ] ||
  echo "  one thread / reference $(ratio "$work/setup1.times" "$work/reference.times" | awk '{ printf "%.2f", $1 }')"
if [ -n "$memory_sizes" ]; then
  echo "installer memory   $(kib_to_mib "$work/setup.times") MiB at ${volume_size:-8M}$(
    for vs in $memory_sizes; do printf '; %s MiB at %s' "$(kib_to_mib "$work/setup-$vs.times")" "$vs"; done) (peak resident set: heap and touched pages of mapped files)"
fi
if [ "$written" != 0 ]; then
  echo "bytes written      $(mb "$written") MB for $(mb "$installed_bytes") MB installed: $(awk -v w="$written" -v i="$installed_bytes" 'BEGIN { printf "%.2f", w / i }')x"
fi

# The targets the distribution is held to, on a 2-core machine.
met() { awk -v v="$1" -v limit="$2" 'BEGIN { print (v <= limit) ? "met" : "NOT met" }'; }
highest() { awk '$2 > m { m = $2 } END { printf "%.0f", m / 1024 }' "$@"; }
setup_ratio=$(ratio "$work/setup.times" "$work/7ze.times" | awk '{ printf "%.2f", $1 }')
verify_ratio=$(ratio "$work/verify.times" "$work/7ze.times" | awk '{ printf "%.2f", $1 }')
setupverify_ratio=$(ratio "$work/setupverify.times" "$work/7ze.times" | awk '{ printf "%.2f", $1 }')
size_ratio=$(awk -v a="$dist_bytes" -v b="$archive_bytes" 'BEGIN { printf "%.3f", a / b }')
setup_memory=$(highest "$work/setup.times" $(for vs in $memory_sizes; do echo "$work/setup-$vs.times"; done))
build_memory=$(highest "$work/build.times" $(for vs in $memory_sizes; do echo "$work/build-$vs.times"; done))
verify_memory=$(highest "$work/verify.times" "$work/setupverify.times")
echo
echo "targets ($(nproc) cores; memory at ${volume_size:-8M}${memory_sizes:+ and $memory_sizes}):"
printf '  %-40s %8s  %s\n' "tlxsetup / 7zz e <= 0.65" "$setup_ratio" "$(met "$setup_ratio" 0.65)"
printf '  %-40s %8s  %s\n' "tlxpack verify / 7zz e <= 0.65" "$verify_ratio" "$(met "$verify_ratio" 0.65)"
printf '  %-40s %8s  %s\n' "tlxsetup /VERIFY / 7zz e <= 0.65" "$setupverify_ratio" "$(met "$setupverify_ratio" 0.65)"
if [ -n "$reference" ]; then
  one=$(ratio "$work/setup1.times" "$work/reference.times" | awk '{ printf "%.2f", $1 }')
  printf '  %-40s %8s  %s\n' "one thread / reference <= 1" "$one" "$(met "$one" 1.0)"
fi
printf '  %-40s %8s  %s\n' "installer memory <= 64 MiB" "$setup_memory" "$(met "$setup_memory" 64)"
printf '  %-40s %8s  %s\n' "verify memory (both) <= 64 MiB" "$verify_memory" "$(met "$verify_memory" 64)"
printf '  %-40s %8s  %s\n' "builder memory (2 jobs) <= 400 MiB" "$build_memory" "$(met "$build_memory" 400)"
printf '  %-40s %8s  %s\n' "distribution / 7-Zip archive <= 1.05" "$size_ratio" "$(met "$size_ratio" 1.05)"
if [ "$written" != 0 ]; then
  written_ratio=$(awk -v w="$written" -v i="$installed_bytes" 'BEGIN { printf "%.2f", w / i }')
  printf '  %-40s %8s  %s\n' "bytes written / installed <= 2.1" "$written_ratio" "$(met "$written_ratio" 2.1)"
fi

if [ "$profile" = 1 ]; then
  command -v perf >/dev/null || { echo "dist_bench: perf missing (Debian's linux-perf)" >&2; exit 1; }
  rm -rf "$install_drive" "$work/registry.ini"
  mkdir -p "$install_drive"
  (cd "$dist" && TLX_DESKTOP='c:\Desktop' TLX_REGISTRY="$work/registry.ini" \
    perf record -q -g -o "$work/perf.data" "$tlxsetup" --drive "c=$install_drive" /VERYSILENT '/DIR=c:\tlx' /NOSHORTCUT)
  rm -rf "$install_drive"
  echo
  echo "where tlxsetup's time goes (perf, self time, symbols above 1 %):"
  perf report -i "$work/perf.data" --stdio --no-children --sort dso,symbol --percent-limit 1 -g none 2>/dev/null |
    grep -v '^#' | grep -v '^$' | sed 's/[[:space:]-]*$//' | head -30
fi
[ "$keep" = 1 ] || rm -rf "$dist" "$archive"
