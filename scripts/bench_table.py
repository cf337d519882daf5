#!/usr/bin/python3
"""Prints a Google Benchmark JSON result with repetitions as a table of medians and spreads, and the
whole frame's median as a share of the straightforward frame's, against the 0.45 target."""
import json
import platform
import sys

FRAME_TARGET = 0.45
# Table order: the loop's frame and its parts, then the straightforward frame and its parts.
ORDER = ["generateMap", "drawQuarterView", "viewCopyOpaque", "panelBlit", "wholeFrame",
         "drawQuarterViewRgb24", "viewCopyBlended", "baselineFrame"]


def system():
    """The distribution and kernel, e.g. "Debian GNU/Linux 12 (bookworm), Linux 6.1"."""
    try:
        with open("/etc/os-release") as stream:
            fields = dict(line.rstrip("\n").split("=", 1) for line in stream if "=" in line)
        name = fields.get("PRETTY_NAME", "").strip('"')
    except OSError:
        name = ""
    return f"{name}, Linux {platform.release()}".lstrip(", ")


def aggregates(benchmarks):
    """{run name: {aggregate name: benchmark record}} for the aggregate records."""
    table = {}
    for record in benchmarks:
        if record.get("run_type") == "aggregate":
            table.setdefault(record["run_name"], {})[record["aggregate_name"]] = record
    return table


def main(path):
    with open(path) as stream:
        result = json.load(stream)
    context = result["context"]
    table = aggregates(result["benchmarks"])
    repetitions = next(iter(table.values()))["median"]["repetitions"] if table else 0
    print(f"machine: {context['num_cpus']} cores at {context['mhz_per_cpu']} MHz, {system()}, "
          f"load {', '.join(f'{x:.2f}' for x in context.get('load_avg', []))}")
    print(f"{repetitions} repetitions, interleaved; CPU time per iteration in microseconds\n")
    print(f"| {'benchmark':<28} | {'median':>9} | {'min':>9} | {'max':>9} | {'cv':>6} | {'wall median':>11} | note")
    print(f"|{'-' * 30}|{'-' * 11}|{'-' * 11}|{'-' * 11}|{'-' * 8}|{'-' * 13}|------")
    for name, rows in sorted(table.items(), key=lambda item: (ORDER.index(item[0].split("/")[0]), item[0])):
        median = rows["median"]
        label = median.get("label", "")
        cv = rows["cv"]["cpu_time"] * 100 if "cv" in rows else float("nan")
        print(f"| {name:<28} | {median['cpu_time']:9.1f} | {rows['min']['cpu_time']:9.1f} | "
              f"{rows['max']['cpu_time']:9.1f} | {cv:5.1f}% | {median['real_time']:11.1f} | {label}")

    print()
    failed = False
    for size in ("320/240", "640/480"):
        frame = table.get(f"wholeFrame/{size}")
        baseline = table.get(f"baselineFrame/{size}")
        if not frame or not baseline:
            continue
        share = frame["median"]["cpu_time"] / baseline["median"]["cpu_time"]
        wall = frame["median"]["real_time"] / baseline["median"]["real_time"]
        # The fastest repetitions are the ones least disturbed by other work on the machine.
        fastest = frame["min"]["cpu_time"] / baseline["min"]["cpu_time"]
        verdict = "holds" if share <= FRAME_TARGET else "MISSED"
        failed = failed or share > FRAME_TARGET
        print(f"whole frame {size}: {share:.3f} x the straightforward frame (CPU medians; wall medians "
              f"{wall:.3f}, CPU minima {fastest:.3f}); target <= {FRAME_TARGET}: {verdict}")
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1]))
