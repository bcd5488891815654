#!/bin/bash
# Regenerates the seed corpora of fuzz/corpus/ from what the stand-in tools
# really produce: qmrecinfo asks qmsim (bundled sample day) for camera 12 on
# two days and for an unknown camera, the request frames are replayed to
# qmsim under each content fault, and the replies become the seeds of the
# reply targets; the service replies and streams come from corpus_client
# (fuzz/corpus_client.cc, built in the fuzz build folder) asking qmsim
# serving the sample server under each fault; qmdevmgr fills the device
# manager's segment, whose images seed the segment target. Command lines,
# version and date texts are written here. Inputs found by the fuzzers
# (regression-*) are kept.
#
# Runs in a private IPC and network namespace, like scripts/demo.sh.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
bin=${QM_CORPUS_BUILD:-build/normal}
fuzz_bin=${QM_FUZZ_BUILD:-build/fuzz}

if [ "${1:-}" != "--inside" ]; then
  cmake -S . -B "$bin" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
  cmake --build "$bin" -j2 --target qmrecinfo qmsim qmdevmgr >/dev/null
  CC=clang-14 CXX=clang++-14 cmake -S . -B "$fuzz_bin" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DQM_BUILD_FUZZ=ON -DQM_BUILD_TESTS=OFF >/dev/null
  cmake --build "$fuzz_bin" -j2 --target corpus_client >/dev/null
  if [ "$(id -u)" = 0 ]; then
    exec unshare -in bash "$0" --inside
  else
    exec unshare -rin bash "$0" --inside
  fi
fi

ip link set lo up
work=$(mktemp -d)
sim=""
trap 'stop_sim; rm -rf "$work"' EXIT
export TZ=AST4
corpus=fuzz/corpus

stop_sim() {
  if [ -n "$sim" ]; then kill "$sim" 2>/dev/null || true; wait "$sim" 2>/dev/null || true; fi
  sim=""
}
scenario=scenarios/sample_day.xml
start_sim() {  # start_sim <extra qmsim options...>
  rm -f "$work/port"
  "$bin/tools/qmsim/qmsim" --address 127.0.0.1 --port 4011 --port-file "$work/port" \
    --scenario "$scenario" --user operator --password demo-pass "$@" \
    >/dev/null 2>&1 &
  sim=$!
  for _ in $(seq 1 200); do [ -s "$work/port" ] && return; sleep 0.05; done
  echo "qmsim did not start" >&2; exit 1
}
# Four bytes, little-endian.
le32() {
  printf "$(printf '\\x%02x\\x%02x\\x%02x\\x%02x' $(($1 & 255)) $(($1 >> 8 & 255)) \
    $(($1 >> 16 & 255)) $(($1 >> 24 & 255)))"
}
# A length-prefixed piece: le32 of the file's size, then the file.
sized_file() { le32 "$(stat -c %s "$1")"; cat "$1"; }
sized_text() { le32 "${#1}"; printf '%s' "$1"; }
# Writes stdin to <folder>/<name> unless a seed with those bytes exists.
seed() {
  local dir=$corpus/$1 name=$2 tmp=$work/seed f
  mkdir -p "$dir"; cat >"$tmp"
  for f in "$dir"/*; do [ -f "$f" ] && cmp -s "$f" "$tmp" && return; done
  mv "$tmp" "$dir/$name"
}

# Fresh seeds; regression inputs stay.
for d in "$corpus"/*/; do [ -d "$d" ] && find "$d" -type f ! -name 'regression-*' -delete; done

# 1. Request frames: the three requests of each query.
"$bin/tools/qmdevmgr/qmdevmgr" --dvrid 1 --user operator --password demo-pass >/dev/null
mkdir -p "$work/requests"
start_sim --record "$work/requests"
for q in "12 05.07.2013" "12 05.08.2013" "99 05.07.2013"; do
  set -- $q
  "$bin/cmdline/qmrecinfo" -dvrid=1 -ipa=127.0.0.1 -port=4011 -camid="$1" -sdate="$2" \
    -filepath="$work/result.txt" >/dev/null
done
stop_sim
requests=$(ls "$work/requests" | sort -t- -k2 -n)
dates=(05.07.2013 05.07.2013 05.07.2013 05.08.2013 05.08.2013 05.08.2013 05.07.2013 05.07.2013 05.07.2013)

# 2. Replies: every request replayed under each content fault.
mkdir -p "$work/replies"
for fault in none malformed truncated login-refused nul trailing-nul pad; do
  start_sim --fault "$fault"
  n=0
  for r in $requests; do
    exec 3<>/dev/tcp/127.0.0.1/4011
    cat "$work/requests/$r" >&3
    cat <&3 >"$work/replies/$fault-$n.bin"
    exec 3<&-
    n=$((n + 1))
  done
  stop_sim
done

# 3. Reply seeds. Requests come in threes: tracker (324), files (715), motions (716).
for fault in none malformed truncated login-refused nul trailing-nul pad; do
  for q in 0 1 2; do
    t=$work/replies/$fault-$((3 * q)).bin f=$work/replies/$fault-$((3 * q + 1)).bin
    m=$work/replies/$fault-$((3 * q + 2)).bin date=${dates[$((3 * q))]}
    seed recinfo_fuzz "$fault-$q" <"$f"
    seed motioninfo_fuzz "$fault-$q" <"$m"
    { printf '\x00'; sized_text "$date"; printf '\xff'; cat "$t"; } | seed day_tracker_fuzz "$fault-$q"
    { printf '\x0c\x00\x00\x00\x00'; sized_text "$date"
      for r in "$t" "$f" "$m"; do printf '\x01'; sized_file "$r"; done; } | seed day_query_fuzz "$fault-$q"
  done
done
# Files exchange failing: no motion request.
{ printf '\x0c\x00\x00\x00\x00'; sized_text 05.07.2013; printf '\x01'; sized_file "$work/replies/none-0.bin"
  printf '\x00'; } | seed day_query_fuzz files-exchange-fails

# 4. Interval assembly: tracker rows from the tracker reply, files and motions
# from the replies of the sample day.
rows() {  # rows <tracker reply> <day text>: "R N,START,END" per run of minutes
  od -An -v -tu1 "$1" | tr -s ' ' '\n' | grep -v '^$' | awk -v day="$2" '
    { byte[NR - 1] = $1 }
    END {
      n = 0; inside = 0
      for (m = 0; m <= 1440; m++) {
        set = 0
        if (m < 1440) { b = byte[int(m / 60) * 8 + int((m % 60) / 8)]; set = int(b / 2 ^ ((m % 60) % 8)) % 2 }
        if (set && !inside) { start = m; inside = 1 }
        if (!set && inside) {
          inside = 0; n++; end = m - 1
          printf "R %d,%sT%02d:%02d:00,%sT%02d:%02d:59\n", n, day, start / 60, start % 60, day, end / 60, end % 60
        }
      }
    }'
}
periods() {  # periods <reply> <tag>: "<tag> START END" per row
  { grep -o '<StartTime>[^<]*</StartTime><EndTime>[^<]*' "$1" || true; } |
    sed -e "s/<StartTime>/$2 /" -e 's/<\/StartTime><EndTime>/ /'
}
for q in 0 1; do
  day=$([ $q = 0 ] && echo 2013-05-07 || echo 2013-05-08)
  { printf '\x00'; rows "$work/replies/none-$((3 * q)).bin" "$day"
    periods "$work/replies/none-$((3 * q + 1)).bin" F
    periods "$work/replies/none-$((3 * q + 2)).bin" M; } | seed make_rec_times_fuzz "sample-$day"
done
# The worked examples of two intervals and two files.
two="R 1,2013-05-07T08:00:00,2013-05-07T08:59:59
R 2,2013-05-07T10:00:00,2013-05-07T10:29:59
F 2013-05-07T08:00:12-04:00 2013-05-07T08:59:40-04:00
F 2013-05-07T10:00:05-04:00 2013-05-07T10:29:30-04:00"
i=0
for m in "" "M 2013-05-07T08:10:00-04:00 2013-05-07T08:20:00-04:00" \
         "M 2013-05-07T08:50:00-04:00 2013-05-07T10:10:00-04:00" \
         "M 2013-05-07T09:30:00-04:00 2013-05-07T10:05:00-04:00"; do
  { printf '\x00%s\n%s\n' "$two" "$m"; } | seed make_rec_times_fuzz "two-intervals-$i"
  i=$((i + 1))
done

# 5. Date-time texts: those of the replies and the other accepted forms.
{ grep -ho '<\(StartTime\|EndTime\)>[^<]*' "$work"/replies/none-*.bin | sed 's/<[^>]*>//'
  printf '%s\n' "2013-05-07 08:09:10" 20130507T080910 20130507080910 \
    "2013-05-07T08:09:10.1234567-04:00" 2013-05-0708:09:10 20130507080000-0400 \
    "2013-05-07 08:00:00-04:00" 2013-05-07T08:00:00Z 2012-05-10T08:30:15.250Z; } | sort -u |
  while IFS= read -r text; do
    name=$(printf '%s' "$text" | cksum | cut -d' ' -f1)
    { printf '\x00\x00'; le32 2013; printf '\x84%s' "$text"; } | seed datetime_fuzz "text-$name"
    # Ticks of 2012-05-10T08:30:15.250 and its fields, then the text.
    { printf '\x20\x6b\x42\x42\x9e\xfc\xce\x08'
      for v in 2012 5 10 8 30 15 250; do le32 $v; done; printf '%s' "$text"; } | seed ticks_fuzz "text-$name"
  done

# 6. Command lines: arguments separated by zero bytes.
nul_join() { local first=1; for a in "$@"; do [ $first = 1 ] || printf '\x00'; printf '%s' "$a"; first=0; done; }
long=$(printf 'a%.0s' $(seq 1 4096))
i=0
while IFS= read -r line; do
  eval "set -- $line"
  nul_join "$@" | seed cmdline_fuzz "args-$i"; i=$((i + 1))
done <<EOF
-dvrid=1 -ipa=127.0.0.1 -port=4011 -camid=12 -sdate=05.07.2013 -filepath=/tmp/result.txt
-dvrid=64 -ipa=dvr.example -camid=4294967295 -sdate=5.7.2013 -filepath=out.txt
-filepath=out.txt -sdate=05.07.2013 -camid=12 -ipa=10.0.0.1 -dvrid=1 -port=70000
-dvrid=65 -ipa=127.0.0.1 -camid=12 -sdate=05.07.2013 -filepath=out.txt
-dvrid=1 -ipa= -camid=12
-dvrid=1 -dvrid=2
-port=0 -camid=0
-? -dvrid=1
word -dvrid=1 -ipa=x -camid=1 -sdate=1 -filepath=$long
-dvrid=1 -ipa=x -camid=1 -sdate=1 -filepath=${long}b
EOF

# 7. Segment images: a new segment, then records filled by the device manager.
cat >"$work/dump.cc" <<'EOF'
#include <sys/shm.h>
#include <cstdio>
int main() {
  int id = shmget(4145, 0, 0);
  void* at = id < 0 ? (void*)-1 : shmat(id, nullptr, SHM_RDONLY);
  if (at == (void*)-1) return 1;
  fwrite(at, 1, 36100, stdout);
  return 0;
}
EOF
g++ -O1 -o "$work/dump" "$work/dump.cc"
"$work/dump" | seed devmgr_fuzz filled-dvr1
"$bin/tools/qmdevmgr/qmdevmgr" --remove >/dev/null
"$bin/tools/qmdevmgr/qmdevmgr" --dvrid 2 --uid 5 >/dev/null
"$work/dump" | seed devmgr_fuzz new-segment
"$bin/tools/qmdevmgr/qmdevmgr" --dvrid 1 --user operator --password demo-pass --pid 4242 \
  --camid 1=101 --camid 128=128128 >/dev/null
"$bin/tools/qmdevmgr/qmdevmgr" --dvrid 64 --user "$(printf 'u%.0s' $(seq 1 20))" \
  --password "$(printf 'p%.0s' $(seq 1 20))" --uid -7 >/dev/null
"$work/dump" >"$work/image"
seed devmgr_fuzz filled-dvr1-dvr64 <"$work/image"
# DVR 64's texts with no zero byte in all 21 bytes of either field.
printf '%s' "$(printf 'u%.0s' $(seq 1 21))$(printf 'p%.0s' $(seq 1 21))" |
  dd of="$work/image" bs=1 seek=36056 conv=notrunc status=none
seed devmgr_fuzz unterminated-texts <"$work/image"
head -c 36100 /dev/zero | tr '\0' '\377' | seed devmgr_fuzz all-ff
# 8. Service replies and streams: corpus_client against the sample server,
# under each fault that changes what is sent.
scenario=scenarios/sample_server.xml
faults="none malformed truncated login-refused nul trailing-nul pad cut-frame oversized"
for fault in $faults; do
  mkdir -p "$work/svc-$fault"
  if [ "$fault" = none ]; then start_sim; else start_sim --fault "$fault"; fi
  "$fuzz_bin/fuzz/corpus_client" 4011 "$work/svc-$fault" >/dev/null 2>&1 || true
  stop_sim
done
# sel <selector hex> <file> <name>: an XML reply seed of service_replies_fuzz.
# A reply the client never asked for (a fault spoilt what led to it) is
# skipped, here and below.
sel() { [ -f "$2" ] || return 0; { printf "\\x$1"; cat "$2"; } | seed service_replies_fuzz "$fault-$3"; }
for fault in $faults; do
  r=$work/svc-$fault
  sel 00 "$r/server-metadata" server-metadata
  sel 01 "$r/server-table" server-table
  sel 02 "$r/status" status
  sel 03 "$r/cameras-array" cameras-array
  sel 03 "$r/cameras-table" cameras-table
  # The other spelling of the camera table, as the newer table query has it.
  rm -f "$work/upper"
  [ -f "$r/cameras-table" ] && sed -e 's/cameraID>/CameraID>/g' -e 's/cameraName>/CameraName>/g' \
    -e 's|</IPAddress>|</IPAddress><IPUserName>viewer</IPUserName>|' "$r/cameras-table" \
    >"$work/upper"
  sel 03 "$work/upper" cameras-table-upper
  for c in 5 7 99; do
    sel 04 "$r/camera-$c" "camera-$c"
    sel 06 "$r/span-$c" "span-$c"
    sel 07 "$r/presets-$c" "presets-$c"
  done
  for c in 5 7; do
    sel 05 "$r/files-$c" "files-$c"
    sel 05 "$r/file-range-$c" "file-range-$c"
    [ -f "$r/media-$c" ] && { printf '\x01'; cat "$r/media-$c"; } | seed binary_replies_fuzz "$fault-media-$c"
    [ -f "$r/directory-$c" ] && { printf '\x02'; cat "$r/directory-$c"; } |
      seed binary_replies_fuzz "$fault-directory-$c"
  done
  # File headers read under the sample server's version (3) and under none
  # (0), at frames 0, 1, the last and one past it.
  for h in "$r"/header-*; do
    [ -f "$h" ] || continue
    frames=$({ od -An -tu4 -j12 -N4 "$h" 2>/dev/null || true; } | tr -d ' ')
    frames=${frames:-0}
    for v in 3 0; do
      { printf "\\x00\\x0$v"; le32 "$frames"; printf '\x04'
        le32 0; le32 1; le32 $((frames > 0 ? frames - 1 : 0)); le32 "$frames"; cat "$h"; } |
        seed binary_replies_fuzz "$fault-$(basename "$h")-v$v"
    done
  done
  # Live streams: the reassembler with its own buffer read whole, in pieces
  # of 7 and 200 bytes, and with a 256-byte buffer (larger frames dropped);
  # the live loop with a hook that goes on to the end.
  for c in 5 7; do
    s=$r/live-$c
    [ -f "$s" ] || continue
    { printf '\x00\x00\x01\x00'; cat "$s"; } | seed frame_stream_fuzz "$fault-live-$c"
    { printf '\x00\x00\x03\x07\xc8\x00'; cat "$s"; } | seed frame_stream_fuzz "$fault-live-$c-pieces"
    { printf '\x00\x01\x00\x01\x01\x00'; cat "$s"; } | seed frame_stream_fuzz "$fault-live-$c-small"
    { printf '\x00'; le32 0; le32 0; le32 0; cat "$s"; } | seed stream_loops_fuzz "$fault-live-$c"
  done
  # Playback up to the stop at frame 5 of file 502.
  [ -f "$r/playback-5" ] && { printf '\x01'; le32 0; le32 502; le32 5; cat "$r/playback-5"; } |
    seed stream_loops_fuzz "$fault-playback-5"
done

# 9. Version texts, up to three per seed: the server's, the gates' and edge
# forms (short, signed, blanks, out of the int range).
i=0
while IFS= read -r line; do
  printf '%b' "$line" | seed version_fuzz "versions-$i"; i=$((i + 1))
done <<'EOF'
6.2.18.2\n6.2.18.2\n6.2.9.0
6.2.18.10\n6.2.18.2\n7.0.0.0
6.10.0.0\n6.9.99.99\n5.5.24.3
5.5.24.2\n\n5
1.2\n1.2.0.0\n-1.2.3.4
 6. 2.+18.2x\n2147483648.1\n99999999999.0.0.0
EOF

echo "seeds: $(find "$corpus" -type f | wc -l) files in $(ls "$corpus" | wc -l) folders"
