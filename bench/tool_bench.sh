#!/usr/bin/env bash
# Times the kestrava tool end to end (read, group, write CSV) on a generated
# file of one million varied records, on one thread and on every core.
#   bench/tool_bench.sh            # uses ${BUILD_DIR:-build}/cli/kestrava
# Environment: RECORDS (default 1000000), RUNS (best of, default 3),
# BENCH_DIR (where the data and outputs go, default /tmp/kestrava-bench).
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$top/build}
tool=$build/cli/kestrava
records=${RECORDS:-1000000}
runs=${RUNS:-3}
dir=${BENCH_DIR:-${TMPDIR:-/tmp}/kestrava-bench}
data=$dir/records-$records.txt
[ -x "$tool" ] || "$top/scripts/build.sh" >/dev/null
mkdir -p "$dir"

if [ ! -s "$data" ]; then
  echo "generating $records records in $data" >&2
  python3 - "$data" "$records" "$top/tables/data" <<'PY'
# Synthetic records (no real patient): both scoring schemes, every rule
# version, comorbidity codes drawn from the bundled lists and codes in none,
# and some rejected records.  1000 distinct records, repeated.
import glob, random, re, sys
out, count, data = sys.argv[1], int(sys.argv[2]), sys.argv[3]
rnd = random.Random(401)
text = " ".join(open(f).read() for f in glob.glob(data + "/**/*.tsv", recursive=True))
icd10 = sorted(set(re.findall(r"\b[A-Z][0-9][0-9A-Z]\.[0-9A-Z^]{4}\b", text))) or ["Z99.2^^^"]
icd9 = sorted(set(re.findall(r"\b[0-9V]\d\d\.\d{0,2}\b", text))) or ["V44.0"]
groups = ["01.2", "02.1", "04.110", "05.1", "06.1", "08.51", "09", "14.1", "16", "17.1"]
dates = ["20100815", "20101115", "20120301", "20150105", "20160210", "20170305", "20180606", "20190505",
         "20191201", "20200510", "20240101"]
def rec():
    r = [" "] * 1615
    def put(pos, s): r[pos - 1:pos - 1 + len(s)] = s
    discharge = rnd.choice(dates)
    put(1, "IRF-PAI" if rnd.random() > 0.02 else "IRF PAX")
    put(11, "1")
    put(657, "%04d%02d%02d" % (rnd.randint(1925, 1995), rnd.randint(1, 12), rnd.randint(1, 28)))
    put(688, discharge[:4] + "0101")
    put(996, discharge)
    put(722, rnd.choice(groups) if rnd.random() > 0.02 else "99.9")
    gg = discharge >= "20191001"
    if gg:
        for k in range(16):
            put([1462, 1468, 1474, 1480, 1486, 1492, 1498, 1510, 1516, 1522, 1528, 1534, 1548, 1554, 1560, 1572][k],
                "%02d" % rnd.choice([1, 2, 3, 4, 5, 6, 7, 9, 88]))
        put(1614, str(rnd.randint(0, 9)))
        put(1615, str(rnd.randint(0, 9)))
    else:
        for k, pos in enumerate([882, 888, 894, 900, 906, 912, 918, 924, 930, 936, 948, 956, 962, 970, 978, 984, 990]):
            put(pos, "%02d" % rnd.randint(0, 7))
    pool = icd10 if discharge >= "20151001" else icd9
    positions = [754 + 8 * k for k in range(10)] + [1132 + 8 * k for k in range(15)]
    for pos in positions[:rnd.randint(0, 12)]:
        put(pos, rnd.choice(pool) if rnd.random() > 0.3 else "Q99.9XYZ")
    return "".join(r).rstrip() + "\n"
distinct = [rec() for _ in range(1000)]
with open(out, "w") as f:
    for i in range(count):
        f.write(distinct[i % 1000])
PY
fi

cat "$data" > /dev/null  # into the page cache
bytes=$(stat -c %s "$data")
cores=$(nproc)
echo "input: $records records, $((bytes / 1000000)) MB; output: CSV; best of $runs runs"
for threads in 1 "$cores"; do
  best=
  for _ in $(seq "$runs"); do
    start=$(date +%s%N)
    "$tool" group --threads "$threads" --no-progress "$data" > "$dir/out-$threads.csv" 2>/dev/null
    ns=$(( $(date +%s%N) - start ))
    if [ -z "$best" ] || [ "$ns" -lt "$best" ]; then best=$ns; fi
  done
  lines=$(wc -l < "$dir/out-$threads.csv")
  [ "$lines" -eq $((records + 1)) ] || { echo "expected $((records + 1)) output lines, got $lines" >&2; exit 1; }
  awk -v n="$records" -v ns="$best" -v t="$threads" \
    'BEGIN { printf "threads %-3d %8.3f s  %10.0f records/s\n", t, ns / 1e9, n / (ns / 1e9) }'
done
cmp -s "$dir/out-1.csv" "$dir/out-$cores.csv" && echo "outputs of 1 and $cores threads are byte-identical"
