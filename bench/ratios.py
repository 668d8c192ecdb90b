#!/usr/bin/env python3
"""Prints one table of a bench run: each tool's median time (and CPU time and peak memory
when known), its ratio to the limit, and how many times faster the program is than it.

    ratios.py TITLE LIMIT OURS FILE...

FILE: hyperfine's --export-json, or lines "NAME<TAB>SECONDS[<TAB>KIB]" (one per run).
LIMIT, OURS: names of rows ("-" for none).
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
    return order, runs, cpu, memory


def main():
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
