#!/usr/bin/env python3
"""Measures the test suite's strength.

Plants realistic one-line faults (a comparison flipped, a bound off by one, a condition inverted,
a check dropped, min and max swapped, a failure reported as success) one at a time in the
libraries' sources, rebuilds, runs the unit tests and counts the faults some test catches. Faults
are spread over the libraries in proportion to their lines of code; a fault that does not compile
is replaced by another. Each fault first meets the tests of its own library, which catch most
faults within seconds, and then all the rest.

    scripts/plant-faults.py [--count N] [--seed S] [--build DIR] [--report FILE] [--replay FILE]

Run it in a clean checkout of its own (a git worktree): it edits the sources and puts each file
back with `git checkout` (also when interrupted). The build directory must be configured already
(scripts/build.sh; -DQUOR_BUILD_BENCH=OFF saves links). The report (default plant-faults.tsv) has
one line per fault: library, file:line, the change, "caught", "missed" or "no-build", and the line
as it was. The missed ones are the places where a test that catches a real fault is missing.

--replay plants exactly the faults of an earlier report again, found by their line's text so that
edits elsewhere in a file do not move them, to score a changed suite against the same faults.
Changes listed in scripts/plant-faults-equivalent.tsv cannot change any result (a clamp at 0
written with <= instead of <, say): they are never planted, so the score counts real faults only.
"""
import argparse, json, os, random, re, subprocess, sys

LIBRARIES = ["toolkit/math", "toolkit/core", "toolkit/imaging", "toolkit/framework",
             "toolkit/widgets", "app/core", "app/ui", "app/cli"]
# The ctest name prefixes of each library's own test programs.
OWN_TESTS = {
    "toolkit/math": "math_", "toolkit/core": "core_",
    "toolkit/imaging": "(imaging_|formats_|raster_|graphics_|fonts_)",
    "toolkit/framework": "framework_", "toolkit/widgets": "(widgets_|quor_)",
    "app/core": "(app_core_|app_fault_)", "app/ui": "(app_ui_|app_canvas_)", "app/cli": "app_cli_",
}
# The libraries whose test programs cannot see a fault in a library because they do not link it:
# the layers below it, and the editor and the command line for each other.
BELOW = {
    "toolkit/math": [], "toolkit/core": ["toolkit/math"],
    "toolkit/imaging": ["toolkit/math", "toolkit/core"],
    "toolkit/framework": ["toolkit/math", "toolkit/core", "toolkit/imaging"],
    "toolkit/widgets": ["toolkit/math", "toolkit/core", "toolkit/imaging", "toolkit/framework"],
    "app/core": ["toolkit/math", "toolkit/core", "toolkit/imaging", "toolkit/framework", "toolkit/widgets"],
    "app/ui": ["toolkit/math", "toolkit/core", "toolkit/imaging", "toolkit/framework", "toolkit/widgets",
               "app/core", "app/cli"],
    "app/cli": ["toolkit/math", "toolkit/core", "toolkit/imaging", "toolkit/framework", "toolkit/widgets",
                "app/core", "app/ui"],
}
CHANGES = [(" <= ", " < "), (" < ", " <= "), (" >= ", " > "), (" > ", " >= "),
           (" == ", " != "), (" != ", " == "), (" && ", " || "), (" || ", " && "),
           ("if (!", "if ("), (" + 1", " + 0"), (" - 1", " - 0"),
           ("std::min(", "std::max("), ("std::max(", "std::min("), ("return false;", "return true;")]
EQUIVALENT = "scripts/plant-faults-equivalent.tsv"


def sources(lib):
    for root, _, files in os.walk(lib):
        for name in sorted(files):
            if name.endswith(".cpp"):
                yield os.path.join(root, name)


def read_lines(path):
    with open(path, encoding="utf-8", errors="replace") as f:
        return f.read().split("\n")


def equivalents():
    """(file, line number, stripped line, from, to) of the changes known to change nothing. An
    entry whose line has moved or changed no longer matches, so its fault is planted again."""
    known = set()
    if os.path.exists(EQUIVALENT):
        for row in read_lines(EQUIVALENT):
            if row and not row.startswith("#"):
                where, text, a, b = row.split("\t")[:4]
                path, number = where.rsplit(":", 1)
                known.add((path, int(number), text.strip(), a, b))
    return known


def candidates(seed, count):
    """Faults per library in proportion to its lines, in an order the seed fixes, with spares."""
    random.seed(seed)
    known = equivalents()
    pools, sizes = {}, {}
    for lib in LIBRARIES:
        pool, lines = [], 0
        for path in sources(lib):
            text = read_lines(path)
            lines += len(text)
            for number, line in enumerate(text, 1):
                code = line.strip()
                if not code or code.startswith(("//", "*", "#")) or "static_assert" in code:
                    continue
                for a, b in CHANGES:
                    # "<" inside a template or an include is not a comparison.
                    if a in line and not (a.strip() in "<>" and ("template" in line or "std::" in line)):
                        if (path, number, code, a, b) not in known:
                            pool.append((lib, path, number, a, b))
                        break
        random.shuffle(pool)
        pools[lib], sizes[lib] = pool, lines
    total = sum(sizes.values())
    shares = {lib: max(1, round(count * sizes[lib] / total)) for lib in LIBRARIES}
    return shares, [c for lib in LIBRARIES for c in pools[lib][: shares[lib] * 3]]


def replayed(report):
    """The faults of an earlier report, at their line's current place, but for known equivalents."""
    faults, shares, known = [], {}, equivalents()
    for row in read_lines(report):
        cols = row.split("\t")
        if len(cols) < 5 or cols[3] == "no-build":
            continue
        lib, where, change, _, text = cols[:5]
        path, number = where.rsplit(":", 1)
        a, b = (part.strip("'") for part in change.split(" -> "))
        lines = read_lines(path)
        found = [i + 1 for i, line in enumerate(lines) if line == text]
        if not found:
            print(f"{where}: its line is gone; not planted", file=sys.stderr)
            continue
        number = min(found, key=lambda n: abs(n - int(number)))
        if (path, number, text.strip(), a, b) in known:
            continue
        faults.append((lib, path, number, a, b))
        shares[lib] = shares.get(lib, 0) + 1
    return shares, faults


def run(*command):
    return subprocess.run(command, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL).returncode == 0


def own_targets(build):
    """Per library, the build targets of its own test programs (the executables ctest runs)."""
    listing = subprocess.run(["ctest", "--test-dir", build, "--show-only=json-v1"],
                             capture_output=True, text=True, check=True).stdout
    targets = {lib: set() for lib in LIBRARIES}
    for test in json.loads(listing)["tests"]:
        program = (test.get("command") or [""])[0]
        if not program.startswith(build):
            continue  # a script or a program outside the build
        for lib, prefix in OWN_TESTS.items():
            if re.match(prefix, test["name"]):
                targets[lib].add(os.path.basename(program))
    return targets


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--count", type=int, default=60)
    parser.add_argument("--seed", type=int, default=1)
    parser.add_argument("--build", default="build")
    parser.add_argument("--report", default="plant-faults.tsv")
    parser.add_argument("--replay")
    parser.add_argument("--resume", action="store_true", help="keep the report's faults and go on")
    args = parser.parse_args()
    replay = os.path.abspath(args.replay) if args.replay else None
    report = os.path.abspath(args.report)
    os.chdir(os.path.join(os.path.dirname(os.path.abspath(__file__)), ".."))
    build = os.path.abspath(args.build)
    if not os.path.isdir(build):
        sys.exit(f"configure {build} first (scripts/build.sh)")
    if not run("git", "diff", "--quiet", "--", "toolkit", "app"):
        sys.exit("the sources under toolkit/ and app/ have changes; run this in a clean checkout")

    shares, faults = replayed(replay) if replay else candidates(args.seed, args.count)
    jobs = str(os.cpu_count() or 1)
    targets = own_targets(build)
    done = {lib: 0 for lib in LIBRARIES}
    outcomes, tried = [], set()
    if args.resume and os.path.exists(report):
        for row in read_lines(report):
            cols = row.split("\t")
            if len(cols) >= 4:
                tried.add((cols[1], cols[2]))
                if cols[3] != "no-build":
                    done[cols[0]] += 1
                    outcomes.append((cols[0], cols[3]))
    with open(report, "a" if args.resume else "w", encoding="utf-8") as out:
        for lib, path, number, a, b in faults:
            if done[lib] >= shares.get(lib, 0) or (f"{path}:{number}", f"'{a}' -> '{b}'") in tried:
                continue
            lines = read_lines(path)
            original = lines[number - 1]
            lines[number - 1] = original.replace(a, b, 1)
            try:
                with open(path, "w", encoding="utf-8") as f:
                    f.write("\n".join(lines))
                # The library's own tests first: building only them is quick, and they catch most.
                ctest = ["ctest", "--test-dir", build, "-j", jobs, "--stop-on-failure", "--timeout", "120"]
                own = "^" + OWN_TESTS[lib]
                if not run("cmake", "--build", build, "-j", jobs, "--target", *sorted(targets[lib])):
                    outcome = "no-build"
                elif not run(*ctest, "-R", own):
                    outcome = "caught"
                elif not run("cmake", "--build", build, "-j", jobs):
                    outcome = "no-build"
                else:
                    skip = "^(" + "|".join([OWN_TESTS[lib]] + [OWN_TESTS[b] for b in BELOW[lib]]) + ")"
                    outcome = "missed" if run(*ctest, "-E", skip) else "caught"
                if outcome != "no-build":
                    done[lib] += 1
                    outcomes.append((lib, outcome))
            finally:
                run("git", "checkout", "-q", "--", path)
            row = f"{lib}\t{path}:{number}\t'{a}' -> '{b}'\t{outcome}\t{original}"
            out.write(row + "\n")
            out.flush()
            if outcome != "no-build":
                print(row.rsplit("\t", 1)[0], flush=True)
    # The last fault's rebuild is undone too, so the build matches the sources again.
    run("cmake", "--build", build, "-j", jobs)

    if not outcomes:
        sys.exit("no fault could be planted")
    caught = sum(1 for _, o in outcomes if o == "caught")
    print(f"planted {len(outcomes)} faults: {caught} caught, {len(outcomes) - caught} missed "
          f"({100 * caught // len(outcomes)}%)")
    for lib in LIBRARIES:
        n = [o for l, o in outcomes if l == lib]
        if n:
            print(f"  {lib:18} {n.count('caught')} of {len(n)} caught")


if __name__ == "__main__":
    main()
