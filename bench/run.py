#!/usr/bin/env python3
"""Runs the tovr benchmarks and prints one table of results, goals and ratios.

    bench/run.py [--build DIR] [--large] [--quick] [--stages] [--json DIR] [--only LIST]

--build   build directory (default $TOVR_BENCH_BUILD, else build-bench in the checkout);
          configured as a Release build with -DTOVR_BUILD_BENCHMARKS=ON when it holds no
          configuration yet, and the four benchmark programs are built first.
--large   also the disk index at 1e7 pointers (minutes: each 1e7 load runs once).
--quick   shorter runs (a smoke test; figures are rougher).
--stages  standardizer cost per stage from an instruction count (needs valgrind).
--json    keep the raw Google Benchmark output there.
--only    run only these programs (comma-separated: matcher,standardizer,tables,index).

Rates of one thread are taken from CPU time, those of two threads from wall time (so
other work on the machine lowers them); the bulk loads are timed by the wall clock. The
PostgreSQL address standardizer is not run: see RESULTS.md.
"""
import argparse
import json
import os
import re
import subprocess
import sys
import tempfile

PROGRAMS = ["matcher", "standardizer", "tables", "index"]
ANCHOR_POSTGIS = 112000.0  # addresses per second per backend, published figure
ANCHOR_SQLITE_LOAD = 300000.0
ANCHOR_SQLITE_LOOKUP_NS = 4000.0


def run(build, name, bench_filter, min_time, json_dir):
    exe = os.path.join(build, "bench", "tovr_%s_bench" % name)
    out = os.path.join(json_dir, name + ".json")
    cmd = [exe, "--benchmark_filter=" + bench_filter, "--benchmark_format=json",
           "--benchmark_out=" + out, "--benchmark_out_format=json"]
    if min_time:
        cmd.append("--benchmark_min_time=%g" % min_time)
    print("running", " ".join(cmd[:2]), file=sys.stderr, flush=True)
    subprocess.run(cmd, check=True, stdout=subprocess.DEVNULL)
    with open(out) as f:
        data = json.load(f)
    return {b["name"]: b for b in data["benchmarks"]}, data["context"]


def ns(b, wall=False):
    """Time per iteration in nanoseconds."""
    scale = {"ns": 1.0, "us": 1e3, "ms": 1e6, "s": 1e9}[b["time_unit"]]
    return b["real_time" if wall else "cpu_time"] * scale


def rate(b, cpu=False):
    """Items per second; with cpu, of the CPU time (a benchmark timed by the wall clock
    reports its rate over wall time, which other work on the machine stretches)."""
    r = b.get("items_per_second", 0.0)
    if cpu and b.get("cpu_time", 0) > 0:
        r *= b["real_time"] / b["cpu_time"]
    return r


def fmt_rate(x):
    if x >= 1e6:
        return "%.2f M/s" % (x / 1e6)
    if x >= 1e3:
        return "%.1f k/s" % (x / 1e3)
    return "%.0f /s" % x


def fmt_ns(x):
    if x >= 1e6:
        return "%.1f ms" % (x / 1e6)
    if x >= 1e3:
        return "%.2f us" % (x / 1e3)
    return "%.0f ns" % x


def table(title, header, rows):
    print("\n" + title)
    widths = [max(len(str(r[i])) for r in [header] + rows) for i in range(len(header))]
    line = lambda r: "  " + " | ".join(str(c).ljust(w) for c, w in zip(r, widths))
    print(line(header))
    print("  " + "-+-".join("-" * w for w in widths))
    for r in rows:
        print(line(r))


def find(results, pattern):
    rx = re.compile(pattern)
    for name, b in results.items():
        if rx.search(name) and b.get("run_type", "iteration") == "iteration":
            return b
    return None


def matcher_tables(r):
    rows = []
    for k in [10, 100, 1000, 10000]:
        one = find(r, r"^BM_MatchCase/%d/real_time/threads:1$" % k)
        two = find(r, r"^BM_MatchCase/%d/real_time/threads:2$" % k)
        if one:
            rows.append([k, fmt_rate(rate(one, cpu=True)), fmt_rate(rate(two)) if two else "-",
                         "%.2f" % (rate(two) / rate(one)) if two else "-"])
    table("Matcher: candidate scorings per second, nine comparisons each (goal 5 M/s on one core)",
          ["candidates/case", "1 thread (CPU time)", "2 threads (total, wall)",
           "2 / 1 (wall)"], rows)
    rows = []
    for name, label in [("BM_UncertPreparedComparison$",
                         "UNCERT comparison as in a case, 16-char fields (goal 30 M/s)"),
                        ("BM_UncertComparison$", "UNCERT comparison alone, 16-char fields"),
                        ("BM_SimilarityScore$", "similarity score, bit-parallel"),
                        ("BM_SimilarityScorePlain$", "similarity score, plain walk"),
                        ("BM_MatchAndRankAll/1000$", "score and rank 1000 candidates (per cand.)"),
                        ("BM_NewCand/1000$", "append a candidate")]:
        b = find(r, "^" + name)
        if b:
            rows.append([label, fmt_rate(rate(b)), fmt_ns(1e9 / rate(b))])
    for b in sorted((b for n, b in r.items() if n.startswith("BM_FieldWeight/")),
                    key=lambda b: b["name"]):
        rows.append(["field weight, %s (%s)" % (b.get("label", ""), b["name"].split("/")[1]),
                     fmt_rate(rate(b)), fmt_ns(1e9 / rate(b))])
    table("Matcher: single operations", ["operation", "rate", "time each"], rows)


def standardizer_tables(r, stages):
    one = find(r, r"^BM_Standardize/real_time/threads:1$")
    two = find(r, r"^BM_Standardize/real_time/threads:2$")
    whole = find(r, r"^BM_StandardizeFile/100000")
    tok = find(r, r"^BM_TokenizeAndClassify$")
    comp = find(r, r"^BM_Compile$")
    rows = []
    if whole:
        rows.append(["100,000 addresses, one pass, 1 thread", fmt_rate(rate(whole)),
                     "%.1fx" % (rate(whole) / ANCHOR_POSTGIS)])
    if one:
        rows.append(["record by record, 1 thread (CPU time)", fmt_rate(rate(one, cpu=True)),
                     "%.1fx" % (rate(one, cpu=True) / ANCHOR_POSTGIS)])
        rows.append(["record by record, 1 thread (wall)", fmt_rate(rate(one)),
                     "%.1fx" % (rate(one) / ANCHOR_POSTGIS)])
    if two:
        rows.append(["record by record, 2 threads (total, wall)", fmt_rate(rate(two)),
                     "%.1fx" % (rate(two) / ANCHOR_POSTGIS)])
    if tok:
        rows.append(["stage: tokenize and classify alone", fmt_rate(rate(tok)), "-"])
    table("Standardizer, us-address example (goal 500 k/s on one core; PostGIS anchor 112 k/s "
          "per backend, published, not run here)", ["run", "addresses/s", "vs anchor"], rows)
    if comp:
        table("Standardizer: compile and memory (goals: under 50 ms, under 20 MB)",
              ["measure", "value"],
              [["compile of usaddr.spc with its tables, patterns, dictionary", fmt_ns(ns(comp))],
               ["heap held by the compiled standardizer",
                "%.1f KB" % (comp.get("heap_bytes", 0) / 1e3)],
               ["heap peak during the compile", "%.1f KB" % (comp.get("peak_bytes", 0) / 1e3)]])
    if stages:
        table("Standardizer: share of instructions per stage (callgrind, 10,000 addresses)",
              ["stage", "instructions per address", "share"], stages)


def tables_tables(r):
    rows = []
    for n in [100, 300, 1000, 3000]:
        lk = find(r, r"^BM_TableLookup/%d$" % n)
        px = find(r, r"^BM_TableProx/%d$" % n)
        if lk and px:
            rows.append([n, fmt_ns(1e9 / rate(lk)), fmt_ns(1e9 / rate(px))])
    table("Table files: exact lookup and proximity search by table size",
          ["rows", "exact lookup", "proximity search"], rows)


def index_tables(r, sizes):
    rows = []
    for n in sizes:
        b = [find(r, r"^BM_BulkLoad/%d/%d/" % (s, n)) for s in range(3)]
        if not all(b):
            continue
        p = [x["pairs_per_s"] for x in b]
        rows.append(["%.0e" % n, fmt_rate(p[0]), fmt_rate(p[1]), fmt_rate(p[2]),
                     "%.2f" % (p[0] / p[2]), "%.2f" % (p[1] / p[2]),
                     "%.0f / %.0f MB" % (b[1]["file_MB"], b[2]["file_MB"])])
    table("Disk index vs SQLite: bulk load of N (key, record) pairs, wall time (goal 2x SQLite)",
          ["N", "index", "index+cache", "SQLite", "ratio", "ratio cache", "file index/SQLite"],
          rows)
    rows = []
    for n in sizes:
        for bench, label in [("BM_ExactLookup", "exact key (8 pointers)"),
                             ("BM_HeadLookup", "every key of a head (80 pointers)")]:
            a = find(r, r"^%s/0/%d$" % (bench, n))
            s = find(r, r"^%s/2/%d$" % (bench, n))
            if a and s:
                rows.append(["%.0e" % n, label, fmt_ns(ns(a)), fmt_ns(ns(s)),
                             "%.2f" % (ns(s) / ns(a))])
        sim = find(r, r"^BM_SimilarLookup/%d$" % n)
        if sim:
            rows.append(["%.0e" % n, "similar head (sound code)", fmt_ns(ns(sim)), "n/a", "-"])
    table("Disk index vs SQLite: lookups with warm pools, time each (goal: exact under 1 us, "
          "4x SQLite)", ["N", "lookup", "index", "SQLite", "SQLite/index"], rows)
    rows = []
    for n in sizes:
        for op, label in enumerate(["AND", "OR", "NOT"]):
            a = find(r, r"^BM_SetAlgebra/0/%d/%d$" % (n, op))
            s = find(r, r"^BM_SetAlgebra/2/%d/%d$" % (n, op))
            if a and s:
                inputs = n // 2 + n // 3
                rows.append(["%.0e" % n, label, "%.2f ns" % (ns(a) / inputs),
                             "%.1f ns" % (ns(s) / inputs), "%.0f" % (ns(s) / ns(a))])
    table("Disk index vs SQLite: set algebra over two large sets (n/2 and n/3 pointers), time "
          "per input record (goal under 5 ns)", ["N", "operation", "index", "SQLite",
                                                  "SQLite/index"], rows)


def standardizer_stages(build, tmp):
    """Instructions per stage from callgrind over 10,000 addresses."""
    exe = os.path.join(build, "bench", "tovr_standardizer_bench")
    out = os.path.join(tmp, "callgrind.out")
    subprocess.run(["valgrind", "--tool=callgrind", "--toggle-collect=tovr::proc_stan*",
                    "--callgrind-out-file=" + out, exe,
                    "--benchmark_filter=BM_StandardizeFile/10000/"],
                   check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    text = subprocess.run(["callgrind_annotate", "--inclusive=yes", "--threshold=100", out],
                          check=True, capture_output=True, text=True).stdout
    def cost(function):
        # The largest inclusive count of a line naming the function (inlined copies of a
        # function show up under other files with smaller counts).
        best = 0
        for line in text.splitlines():
            if "::%s(" % function in line or " %s(" % function in line or ":%s " % function in line:
                m = re.match(r"\s*([\d,]+) ", line)
                if m:
                    best = max(best, int(m.group(1).replace(",", "")))
        return best

    total = cost("proc_stan")
    if total == 0:
        return []
    tokens = cost("tkTokenize") + cost("tkClassify")
    actions = cost("perform_action") + cost("run_post_actions")
    run_process = cost("run_process")
    rows = [("tokenize and classify", tokens), ("pattern matching", run_process - tokens - actions),
            ("actions", actions), ("record input, output and keys", total - run_process)]
    return [[name, "%.0f" % (c / 10000.0), "%.0f%%" % (100.0 * c / total)] for name, c in rows]


def main():
    ap = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    source = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
    ap.add_argument("--build", default=os.environ.get("TOVR_BENCH_BUILD",
                                                      os.path.join(source, "build-bench")))
    ap.add_argument("--large", action="store_true")
    ap.add_argument("--quick", action="store_true")
    ap.add_argument("--stages", action="store_true")
    ap.add_argument("--json")
    ap.add_argument("--only", help="comma-separated programs to run: " + ",".join(PROGRAMS))
    args = ap.parse_args()
    chosen = args.only.split(",") if args.only else PROGRAMS

    cache = os.path.join(args.build, "CMakeCache.txt")
    if not os.path.exists(cache):
        subprocess.run(["cmake", "-S", source, "-B", args.build, "-DCMAKE_BUILD_TYPE=Release",
                        "-DTOVR_BUILD_BENCHMARKS=ON"], check=True, stdout=subprocess.DEVNULL)
    elif "TOVR_BUILD_BENCHMARKS:BOOL=ON" not in open(cache).read():
        subprocess.run(["cmake", "-B", args.build, "-DTOVR_BUILD_BENCHMARKS=ON"], check=True,
                       stdout=subprocess.DEVNULL)
    subprocess.run(["cmake", "--build", args.build, "-j2", "--target"] +
                   ["tovr_%s_bench" % p for p in PROGRAMS], check=True, stdout=subprocess.DEVNULL)
    json_dir = args.json or tempfile.mkdtemp(prefix="tovr_bench_")
    os.makedirs(json_dir, exist_ok=True)
    min_time = 0.1 if args.quick else None
    sizes = [100000, 1000000] + ([10000000] if args.large else [])
    size_rx = "(" + "|".join(str(n) for n in sizes) + ")"

    filters = {"matcher": ".", "standardizer": ".", "tables": ".",
               "index": "^BM_[A-Za-z]+/([0-9]+/)?%s(/|$)" % size_rx}
    results = {}
    for name in PROGRAMS:
        if name in chosen:
            results[name], context = run(args.build, name, filters[name], min_time, json_dir)
    stages = standardizer_stages(args.build, json_dir) if args.stages else []

    print("tovr benchmarks  %s  %d CPUs at %.0f MHz  load average %s" % (
        context.get("date", ""), context.get("num_cpus", 0), context.get("mhz_per_cpu", 0),
        " ".join("%.1f" % x for x in context.get("load_avg", []))))
    if "matcher" in results:
        matcher_tables(results["matcher"])
    if "standardizer" in results:
        standardizer_tables(results["standardizer"], stages)
    if "tables" in results:
        tables_tables(results["tables"])
    if "index" in results:
        index_tables(results["index"], sizes)
    print("\nraw results:", json_dir)


if __name__ == "__main__":
    main()
