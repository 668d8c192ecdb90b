#!/usr/bin/env python3
"""Prints one table of a bench run: each tool's median time (and CPU time and peak memory
when known), its ratio to the limit, and how many times faster the program is than it.

    ratios.py TITLE LIMIT OURS FILE...
    ratios.py --side TITLE OURS HEADING=LIMIT=FILE...

FILE: hyperfine's --export-json, or lines "NAME<TAB>SECONDS[<TAB>KIB[<TAB>CPU SECONDS]]"
(one per run). LIMIT, OURS: names of rows ("-" for none). --side puts the tables of several
files side by side, one column of medians and one of ratios to OURS for each.
"""
import json
import statistics
import sys


def load(files):
    runs, cpu, memory, order = {}, {}, {}, []
    for path in files:
        text = open(path).read()
        if text.lstrip().startswith("{"):
            for result in json.loads(text)["results"]:
                name = result["command"]
                order.append(name)
                runs[name] = result["times"]
                cpu[name] = result["user"] + result["system"]
            continue
        for line in text.splitlines():
            fields = line.split("\t")
            name = fields[0]
            if name not in runs:
                order.append(name)
                runs[name] = []
            runs[name].append(float(fields[1]))
            if len(fields) > 2:
                memory[name] = max(memory.get(name, 0), int(fields[2]))
            if len(fields) > 3:
                cpu.setdefault(name, []).append(float(fields[3]))
    cpu = {name: statistics.median(v) if isinstance(v, list) else v for name, v in cpu.items()}
    return order, runs, cpu, memory


def side_by_side(title, ours, columns):
    tables, order = [], []
    for column in columns:
        heading, limit, path = column.split("=", 2)
        names, runs, _, _ = load([path])
        median = {name: statistics.median(times) for name, times in runs.items()}
        tables.append((heading, limit, median))
        order += [name for name in names if name not in order]
    print()
    print(title)
    print("  %-32s" % "" + "".join(" %24s" % heading[:24] for heading, _, _ in tables))
    print("  %-32s" % "" + " %9s %7s %6s" % ("median", "x limit", "x ours") * len(tables))
    for name in order:
        line = "  %-32s" % name[:32]
        for _, limit, median in tables:
            if name not in median:
                line += " %9s %7s %6s" % ("-", "", "")
                continue
            line += " %8.3fs" % median[name]
            line += " %6.2fx" % (median[name] / median[limit]) if limit in median else " %7s" % ""
            line += " %5.2fx" % (median[name] / median[ours]) if ours in median else " %6s" % ""
        print(line)


def main():
    if sys.argv[1] == "--side":
        side_by_side(sys.argv[2], sys.argv[3], sys.argv[4:])
        return
    title, limit, ours = sys.argv[1:4]
    order, runs, cpu, memory = load(sys.argv[4:])
    median = {name: statistics.median(times) for name, times in runs.items()}
    print()
    print(title)
    header = "  %-40s %9s %5s" % ("", "median", "runs")
    header += " %9s" % "CPU" if cpu else ""
    header += " %10s" % "peak KiB" if memory else ""
    header += " %9s" % ("x limit" if limit != "-" else "")
    header += " %11s" % "ours faster" if ours in median else ""
    print(header)
    for name in order:
        line = "  %-40s %8.3fs %5d" % (name, median[name], len(runs[name]))
        if cpu:
            line += " %8.3fs" % cpu.get(name, float("nan"))
        if memory:
            line += " %10s" % memory.get(name, "")
        if limit != "-" and limit in median:
            line += " %8.2fx" % (median[name] / median[limit])
        elif limit != "-":
            line += " %9s" % ""
        if ours in median:
            line += " %10.2fx" % (median[name] / median[ours])
        print(line)


if __name__ == "__main__":
    main()
