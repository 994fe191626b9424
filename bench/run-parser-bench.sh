#!/usr/bin/env bash
# Parser benchmark: parse + print throughput of the SQL-92 parser against
# libpg_query (parse, then deparse) on the same statements in one run, time
# per byte from ~100-byte statements to a 1 MB statement, and the way-point
# pool sizes across repeated parses.
#
#   bench/run-parser-bench.sh [build-dir]     (default: build)
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
build="${1:-$here/../build}"
nvqb="$build/bench/nvqb-roundtrip"
pg="$build/bench/nvqb-pg-roundtrip"
corpus="$here/corpus/selects.sql"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

[ -x "$nvqb" ] || { echo "missing $nvqb (build target nvqb-roundtrip)" >&2; exit 1; }
[ -x "$pg" ] || { echo "missing $pg (install libpg-query-dev, build target nvqb-pg-roundtrip)" >&2; exit 1; }

echo "corpus: $(wc -l < "$corpus") statements, $(wc -c < "$corpus") bytes"
echo "check:   nvqb $("$nvqb" --check "$corpus")"
ours="$("$nvqb" --time "$corpus")"
theirs="$("$pg" --time "$corpus")"
echo "nvqb-roundtrip:     $ours"
echo "libpg_query:        $theirs"
awk -v a="$ours" -v b="$theirs" 'BEGIN { split(a, x, " "); split(b, y, " "); printf "ratio (nvqb / libpg_query): %.2fx\n", x[1] / y[1] }'

echo "time per byte (one statement of a WHERE with N ANDed comparisons):"
python3 - "$work" <<'PY'
import random, sys
rnd = random.Random(7)
for name, n in [("100B", 3), ("1KB", 40), ("10KB", 450), ("100KB", 4700), ("1MB", 50000)]:
    terms = " AND ".join(f"t.c{i % 50} {rnd.choice(['=', '<', '>', '<>'])} {rnd.randint(0, 99999)}" for i in range(n))
    with open(f"{sys.argv[1]}/{name}.sql", "w") as f:
        f.write(f"SELECT t.a FROM t WHERE {terms}\n")
PY
for name in 100B 1KB 10KB 100KB 1MB; do
  file="$work/$name.sql"
  line="$("$nvqb" --time "$file")"
  awk -v l="$line" -v n="$name" -v bytes="$(wc -c < "$file")" \
    'BEGIN { split(l, x, " "); printf "  %-6s %8d bytes  %s  %.1f ns/byte\n", n, bytes, l, 1000 / x[3] }'
done

echo "way-point pools after one run of the corpus -> after ten more:"
echo "  corpus: $("$nvqb" --pools "$corpus")"
echo "  1MB:    $("$nvqb" --pools "$work/1MB.sql")"
