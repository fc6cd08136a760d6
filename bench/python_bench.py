#!/usr/bin/python3
"""The Python module's speed, each figure beside its aim: humitrax.state on
1,000,000 relative-humidity states with one thread and with two, and one state
or one process from plain numbers, as code calls it row by row (from
DataFrame.apply, from a loop). Not part of the tests: run it on a Release
build, PYTHONPATH=build/default/python /usr/bin/python3 bench/python_bench.py
"""
import time
import timeit

import numpy as np

import humitrax

ROWS = 1_000_000
CALLS = 20_000

# (name, call, aim in µs)
SCALAR = [
    ("state(25.0, pressure=101.325, relative_humidity=50.0)",
     lambda: humitrax.state(25.0, pressure=101.325, relative_humidity=50.0), 5.0),
    ("state(enthalpy=50.0, humidity_ratio=0.008, pressure=101.325)",
     lambda: humitrax.state(enthalpy=50.0, humidity_ratio=0.008, pressure=101.325), 5.0),
    ("heat(dry_bulb=25.0, relative_humidity=50.0, flow=1.0, to=30.0, ...)",
     lambda: humitrax.heat(dry_bulb=25.0, relative_humidity=50.0, flow=1.0, to=30.0, pressure=101.325), 15.0),
    ("coil(dry_bulb=28.0, wet_bulb=21.0, flow=1.0, adp=10.0, bypass=0.1, ...)",
     lambda: humitrax.coil(dry_bulb=28.0, wet_bulb=21.0, flow=1.0, adp=10.0, bypass=0.1, pressure=101.325), 15.0),
    ("mix(a_dry_bulb=30.0, a_wet_bulb=24.0, ..., b_relative_humidity=50.0, ...)",
     lambda: humitrax.mix(a_dry_bulb=30.0, a_wet_bulb=24.0, a_flow=1.0, b_dry_bulb=24.0,
                          b_relative_humidity=50.0, b_flow=3.0, pressure=101.325), 15.0),
    ("humidify(dry_bulb=22.0, relative_humidity=20.0, steam=100.0, ...)",
     lambda: humitrax.humidify(dry_bulb=22.0, relative_humidity=20.0, flow=1.0, steam=100.0,
                               to_relative_humidity=50.0, pressure=101.325), 15.0),
]


def main():
    print("One call from plain numbers (best of 3 x 20,000 calls):")
    for name, call, aim in SCALAR:
        best = min(timeit.repeat(call, number=CALLS, repeat=3)) / CALLS * 1e6
        print(f"  {name:<75} {best:6.2f} µs   aim ≤ {aim:g} µs: {'met' if best <= aim else 'NOT met'}")

    rng = np.random.default_rng(1)
    dry_bulb = rng.uniform(-10.0, 45.0, ROWS).round(1)
    pressure = rng.uniform(85.0, 105.0, ROWS).round(2)
    relative_humidity = rng.uniform(5.0, 100.0, ROWS).round(1)
    print(f"Arrays of {ROWS:,} states (best of 3):")
    for model in ("ashrae2017", "calculator"):
        for threads in (1, 2):
            best = float("inf")
            for _ in range(3):
                start = time.perf_counter()
                humitrax.state(dry_bulb, pressure=pressure, relative_humidity=relative_humidity,
                               model=model, threads=threads)
                best = min(best, time.perf_counter() - start)
            print(f"  {model:<10} threads={threads}: {best:.3f} s, {ROWS / best:,.0f} states/s")


if __name__ == "__main__":
    main()
