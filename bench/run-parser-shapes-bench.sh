#!/usr/bin/env bash
# Parser benchmark on the shapes where a grammar that follows every path at
# once is at its weakest, side by side with libpg_query on the same text:
#   - brackets around nested sub-queries: L levels of 10 brackets, each level
#     holding the next SELECT (and the same text cut off before its end);
#   - a comparison wrapped in d brackets;
#   - IN lists of 1 MB and 4 MB (ns per byte);
#   - the same 1 MB statement parsed 20 times in a row (first run against the 20th);
#   - peak memory (max RSS of one parse + print, less that of a one-line
#     statement) per input byte, on 4 MB and 10 MB statements (an IN list, and
#     a WHERE of ANDed comparisons).
#
#   bench/run-parser-shapes-bench.sh [build-dir] [max-levels]
#       (defaults: build, 10; lower max-levels where a level takes seconds)
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
build="${1:-$here/../build}"
levels="${2:-10}"
nvqb="$build/bench/nvqb-roundtrip"
pg="$build/bench/nvqb-pg-roundtrip"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

[ -x "$nvqb" ] || { echo "missing $nvqb (build target nvqb-roundtrip)" >&2; exit 1; }
[ -x "$pg" ] || { echo "missing $pg (install libpg-query-dev, build target nvqb-pg-roundtrip)" >&2; exit 1; }

python3 - "$work" "$levels" <<'PY'
import random, sys
out, levels = sys.argv[1], int(sys.argv[2])
def write(name, text):
    with open(f"{out}/{name}.sql", "w") as f:
        f.write(text + "\n")
def nested(k):
    if k == 0:
        return "SELECT a FROM t WHERE x = 1"
    return "SELECT a FROM t WHERE " + "(" * 10 + nested(k - 1) + ") = 1" + ")" * 9
for k in range(1, levels + 1):
    write(f"nested{k}", nested(k))
    write(f"nested{k}-cut", nested(k)[:-1])
for d in (10, 100, 199):
    write(f"depth{d}", "SELECT a FROM t WHERE " + "(" * d + "a = 1" + ")" * d)
rnd = random.Random(7)
def in_list(size):
    parts, n = [], 0
    while n < size:
        v = str(rnd.randint(0, 9999999))
        parts.append(v)
        n += len(v) + 2
    return "SELECT a FROM t WHERE a IN (" + ", ".join(parts) + ")"
for name, size in (("in1MB", 1 << 20), ("in4MB", 4 << 20), ("in10MB", 10 << 20)):
    write(name, in_list(size))
# The WHERE of ANDed comparisons of run-parser-bench.sh, at 4 and 10 MB.
def and_chain(size):
    parts, n = [], 0
    while n < size:
        p = f"t.c{len(parts) % 50} {rnd.choice(['=', '<', '>', '<>'])} {rnd.randint(0, 99999)}"
        parts.append(p)
        n += len(p) + 5
    return "SELECT t.a FROM t WHERE " + " AND ".join(parts)
for name, size in (("and4MB", 4 << 20), ("and10MB", 10 << 20)):
    write(name, and_chain(size))
write("tiny", "SELECT a FROM t")
PY

# Microseconds per statement from "N stmts/s X MB/s".
per_stmt() { awk -v l="$1" 'BEGIN { split(l, x, " "); printf "%.1f us", 1e6 / x[1] }'; }
# Nanoseconds per byte from "N stmts/s X MB/s".
per_byte() { awk -v l="$1" 'BEGIN { split(l, x, " "); printf "%.1f ns/byte", 1000 / x[3] }'; }

echo "brackets around nested sub-queries (10 brackets a level; parse + print of one statement):"
for k in $(seq 1 "$levels"); do
  for form in "" "-cut"; do
    file="$work/nested$k$form.sql"
    ours="$("$nvqb" --time "$file")"
    theirs="$("$pg" --time "$file")"
    printf "  %2d levels%-4s %5d bytes  nvqb %-12s libpg_query %s\n" "$k" "$form" "$(($(wc -c < "$file") - 1))" \
      "$(per_stmt "$ours")" "$(per_stmt "$theirs")"
  done
done

echo "a comparison in d brackets:"
for d in 10 100 199; do
  file="$work/depth$d.sql"
  printf "  depth %3d  nvqb %-12s libpg_query %s\n" "$d" "$(per_stmt "$("$nvqb" --time "$file")")" \
    "$(per_stmt "$("$pg" --time "$file")")"
done

echo "IN lists:"
for name in in1MB in4MB; do
  file="$work/$name.sql"
  printf "  %-6s %8d bytes  nvqb %-16s libpg_query %s\n" "$name" "$(wc -c < "$file")" \
    "$(per_byte "$("$nvqb" --time "$file")")" "$(per_byte "$("$pg" --time "$file")")"
done

echo "the 1 MB IN list 20 times in a row (ms per run):"
echo "  nvqb:        $("$nvqb" --repeat 20 "$work/in1MB.sql" | tail -1)"
echo "  libpg_query: $("$pg" --repeat 20 "$work/in1MB.sql" | tail -1)"

echo "peak memory of one parse + print (max RSS less that of a one-line statement):"
rss() { /usr/bin/time -f %M "$@" 2>&1 >/dev/null | tail -1; }
base_ours="$(rss "$nvqb" --repeat 1 "$work/tiny.sql")"
base_theirs="$(rss "$pg" --repeat 1 "$work/tiny.sql")"
for name in in4MB in10MB and4MB and10MB; do
  file="$work/$name.sql"
  bytes="$(wc -c < "$file")"
  ours="$(rss "$nvqb" --repeat 1 "$file")"
  theirs="$(rss "$pg" --repeat 1 "$file")"
  awk -v n="$name" -v b="$bytes" -v o="$ours" -v ob="$base_ours" -v t="$theirs" -v tb="$base_theirs" 'BEGIN {
    printf "  %-6s nvqb %7.1f MB (%5.1f bytes per input byte)  libpg_query %7.1f MB (%5.1f)  ratio %.2fx\n",
      n, o / 1024, (o - ob) * 1024 / b, t / 1024, (t - tb) * 1024 / b, (o - ob) / (t - tb) }'
done
