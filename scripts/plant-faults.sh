#!/usr/bin/env bash
# Measures the test suite's strength: plants realistic one-line faults (a comparison flipped, a
# bound off by one, a condition inverted, a check dropped, min and max swapped, a failure
# reported as success) one at a time in the libraries' sources, rebuilds, runs the unit tests and
# counts the faults some test catches. Faults are spread over the libraries in proportion to
# their lines of code; a fault that does not compile is replaced by another.
#
#   scripts/plant-faults.sh [--count N] [--seed S] [--build DIR] [--report FILE]
#
# Run it in a clean checkout of its own (a git worktree): it edits the sources and puts each line
# back with `git checkout` (also when interrupted). The build directory must be configured
# already (scripts/build.sh). The report (default plant-faults.tsv) has one line per fault:
# library, file:line, the change, and "caught", "missed" or "no-build"; the survivors are the
# places where a test that catches a real fault is missing.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
cd "$here"
count=60 seed=1 build=build report=plant-faults.tsv
while (($#)); do
  case $1 in
    --count) count=$2; shift 2 ;;
    --seed) seed=$2; shift 2 ;;
    --build) build=$2; shift 2 ;;
    --report) report=$2; shift 2 ;;
    *) echo "usage: $0 [--count N] [--seed S] [--build DIR] [--report FILE]" >&2; exit 2 ;;
  esac
done
[[ -d "$build" ]] || { echo "configure $build first (scripts/build.sh)" >&2; exit 2; }
if ! git diff --quiet -- toolkit app; then
  echo "the sources under toolkit/ and app/ have changes; run this in a clean checkout" >&2
  exit 2
fi

planted=""
restore() { [[ -n "$planted" ]] && git checkout -q -- "$planted"; planted=""; }
trap restore EXIT INT TERM

# The candidates, in a random order that the seed fixes, drawn per library in proportion to its
# lines: "library<TAB>file<TAB>line<TAB>from<TAB>to".
candidates=$(python3 - "$seed" "$count" <<'EOF'
import os, random, sys
seed, count = int(sys.argv[1]), int(sys.argv[2])
libraries = ["toolkit/math", "toolkit/core", "toolkit/imaging", "toolkit/framework",
             "toolkit/widgets", "app/core", "app/ui", "app/cli"]
changes = [(" <= ", " < "), (" < ", " <= "), (" >= ", " > "), (" > ", " >= "),
           (" == ", " != "), (" != ", " == "), (" && ", " || "), (" || ", " && "),
           ("if (!", "if ("), (" + 1", " + 0"), (" - 1", " - 0"),
           ("std::min(", "std::max("), ("std::max(", "std::min("), ("return false;", "return true;")]
random.seed(seed)
pools, sizes = {}, {}
for lib in libraries:
    pool, lines = [], 0
    for root, _, files in os.walk(lib):
        for name in sorted(files):
            if not name.endswith(".cpp"):
                continue
            path = os.path.join(root, name)
            with open(path, encoding="utf-8", errors="replace") as f:
                text = f.read().split("\n")
            lines += len(text)
            for number, line in enumerate(text, 1):
                code = line.strip()
                if not code or code.startswith(("//", "*", "#")) or "static_assert" in code:
                    continue
                for a, b in changes:
                    # "<" inside a template or an include is not a comparison.
                    if a in line and not (a.strip() in "<>" and ("template" in line or "std::" in line)):
                        pool.append((lib, path, number, a, b))
                        break
    random.shuffle(pool)
    pools[lib], sizes[lib] = pool, lines
total = sum(sizes.values())
# Each library's share of the faults, at least one; spares after them replace faults that do
# not compile.
for lib in libraries:
    share = max(1, round(count * sizes[lib] / total))
    for c in pools[lib][: share * 3]:
        print("\t".join(map(str, c)))
EOF
)

declare -A wanted done_count
for lib in toolkit/math toolkit/core toolkit/imaging toolkit/framework toolkit/widgets app/core app/ui app/cli; do
  done_count[$lib]=0
done
# Shares again, as the generator computed them (its first `share` lines per library).
while IFS=$'\t' read -r lib share; do wanted[$lib]=$share; done < <(python3 - "$count" <<'EOF'
import os, sys
count = int(sys.argv[1])
libraries = ["toolkit/math", "toolkit/core", "toolkit/imaging", "toolkit/framework",
             "toolkit/widgets", "app/core", "app/ui", "app/cli"]
sizes = {}
for lib in libraries:
    n = 0
    for root, _, files in os.walk(lib):
        for name in files:
            if name.endswith(".cpp"):
                with open(os.path.join(root, name), encoding="utf-8", errors="replace") as f:
                    n += f.read().count("\n")
    sizes[lib] = n
total = sum(sizes.values())
for lib in libraries:
    print(f"{lib}\t{max(1, round(count * sizes[lib] / total))}")
EOF
)

: >"$report"
caught=0 missed=0
while IFS=$'\t' read -r lib file line from to; do
  ((done_count[$lib] < wanted[$lib])) || continue
  planted=$file
  python3 - "$file" "$line" "$from" "$to" <<'EOF'
import sys
path, number, a, b = sys.argv[1], int(sys.argv[2]), sys.argv[3], sys.argv[4]
lines = open(path, encoding="utf-8").read().split("\n")
lines[number - 1] = lines[number - 1].replace(a, b, 1)
open(path, "w", encoding="utf-8").write("\n".join(lines))
EOF
  change="'${from}' -> '${to}'"
  if ! cmake --build "$build" -j"$(nproc)" >/dev/null 2>&1; then
    printf '%s\t%s:%s\t%s\tno-build\n' "$lib" "$file" "$line" "$change" >>"$report"
    restore
    continue
  fi
  if ctest --test-dir "$build" -j"$(nproc)" --stop-on-failure --timeout 120 >/dev/null 2>&1; then
    outcome=missed; missed=$((missed + 1))
  else
    outcome=caught; caught=$((caught + 1))
  fi
  done_count[$lib]=$((done_count[$lib] + 1))
  printf '%s\t%s:%s\t%s\t%s\n' "$lib" "$file" "$line" "$change" "$outcome" | tee -a "$report"
  restore
done <<<"$candidates"
# The last fault's rebuild is undone too, so the build matches the sources again.
cmake --build "$build" -j"$(nproc)" >/dev/null 2>&1 || true

total=$((caught + missed))
((total > 0)) || { echo "no fault could be planted" >&2; exit 1; }
echo "planted $total faults: $caught caught, $missed missed ($((100 * caught / total))%)"
awk -F'\t' '$4 != "no-build" { n[$1]++; if ($4 == "caught") c[$1]++ }
  END { for (l in n) printf "  %-18s %d of %d caught\n", l, c[l], n[l] }' "$report" | sort
