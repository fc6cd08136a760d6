#!/usr/bin/python3
"""States per second of humitrax.state on 1,000,000 relative-humidity states,
with one thread and with two. Not part of the tests: run it on a Release
build, PYTHONPATH=build/default/python /usr/bin/python3 bench/python_bench.py
"""
import time

import numpy as np

import humitrax

ROWS = 1_000_000


def main():
    rng = np.random.default_rng(1)
    dry_bulb = rng.uniform(-10.0, 45.0, ROWS).round(1)
    pressure = rng.uniform(85.0, 105.0, ROWS).round(2)
    relative_humidity = rng.uniform(5.0, 100.0, ROWS).round(1)
    for threads in (1, 2):
        best = float("inf")
        for _ in range(3):
            start = time.perf_counter()
            humitrax.state(dry_bulb, pressure=pressure, relative_humidity=relative_humidity,
                           threads=threads)
            best = min(best, time.perf_counter() - start)
        print(f"threads={threads}: {best:.3f} s, {ROWS / best:,.0f} states/s")


if __name__ == "__main__":
    main()
