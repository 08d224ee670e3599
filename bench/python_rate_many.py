#!/usr/bin/python3
"""Throughput of zmk.rate_many, the Python module's batch, on the jobs bench/compare_python.sh
makes as project files: the default job of each kind and three variants of it, with the fin
height and the finned length stepped, given here as inputs instead of files.

    PYTHONPATH=build-rel/python bench/python_rate_many.py [JOBS] [THREADS]

JOBS defaults to 100,000, THREADS to 2. Prints the jobs per second of three runs and their median
(the data frame of the results built included, the interpreter start and the import left out).
"""
import statistics
import sys
import time

import zmk

VARIANTS = [{}, {"edRows": 6, "edFinDensity": 14}, {"edFluidFlow": 2.5}, {"edAirMassflow": 1.6}]
HEIGHT, LENGTH = 0.5334, 1.2  # every kind's default face, m


def jobs(n):
    seeds = [(kind, variant) for kind in zmk.KINDS for variant in VARIANTS]
    out = []
    for j in range(n):
        kind, variant = seeds[j % len(seeds)]
        k = j // len(seeds)
        job = {"kind": kind, **variant}
        job["edFinHeight"] = round(HEIGHT * (0.8 + 0.4 * (k % 20) / 20), 4)
        job["edFinnedLength"] = round(LENGTH * (0.8 + 0.4 * (k // 20 % 10) / 10), 4)
        out.append(job)
    return out


def main():
    n = int(sys.argv[1]) if len(sys.argv) > 1 else 100_000
    threads = int(sys.argv[2]) if len(sys.argv) > 2 else 2
    batch = jobs(n)
    rates = []
    for _ in range(3):
        t0 = time.perf_counter()
        frame = zmk.rate_many(batch, threads=threads)
        rates.append(n / (time.perf_counter() - t0))
    solved = int(frame["solved"].sum())
    print(f"jobs {n} ({solved} solved), threads {threads}: "
          + ", ".join(f"{r:.0f}" for r in rates) + f" jobs/s, median {statistics.median(rates):.0f}")


if __name__ == "__main__":
    main()
