"""humitrax.PlausibilityWarning: given values that look like a slip of unit, one warning per call, batch's texts."""

import subprocess
import warnings

import numpy as np
import pandas as pd
import pytest

import humitrax

# (name, units, dry bulbs, pressures, condition, its values, the warning's lines)
CAUSES = [
    ("pressure in pascals in si", "si", [20.0, 25.0], [101325.0, 99000.0], "relative_humidity", [50.0, 60.0],
     ["pressure: 2 of 2 rows lie outside 30 to 120 kPa; in Pa?"]),
    ("pressure in hectopascals in si", "si", [20.0, 25.0, 30.0], [1013.25, 101.3, 990.0], "relative_humidity",
     [50.0, 60.0, 40.0], ["pressure: 2 of 3 rows lie outside 30 to 120 kPa; in hPa or mbar?"]),
    ("pressure in psia in si", "si", [20.0], [14.696], "relative_humidity", [50.0],
     ["pressure: the value lies outside 30 to 120 kPa; in psia?"]),
    ("pressure in kilopascals in ip", "ip", [68.0, 77.0], [101.325, 97.0], "relative_humidity", [50.0, 60.0],
     ["pressure: 2 of 2 rows lie outside 4.4 to 17.4 psia; in kPa?"]),
    ("relative humidity as fractions", "si", [20.0, 25.0], [101.325, 101.325], "relative_humidity", [0.5, 0.65],
     ["relative_humidity: 2 of 2 rows lie within 0 to 1 %; a fraction? relative humidity is in percent "
      "(50 for 50 %)"]),
    ("humidity ratio in grams per kilogram", "si", [30.0, 35.0], [101.325, 101.325], "humidity_ratio", [0.008, 12.0],
     ["humidity_ratio: 1 of 2 rows lies above 0.1 kg/kg; in g/kg, or a dry bulb in °F?"]),
    ("dry bulb in fahrenheit in si", "si", [77.0, 86.0, 20.0], [101.325, 101.325, 101.325], "dew_point",
     [10.0, 12.0, 5.0], ["dry_bulb: 2 of 3 rows lie above 60 °C; in °F?"]),
    ("two causes in one warning", "si", [77.0, 86.0], [1013.0, 1002.0], "relative_humidity", [50.0, 60.0],
     ["dry_bulb: 2 of 2 rows lie above 60 °C; in °F?", "pressure: 2 of 2 rows lie outside 30 to 120 kPa; "
      "in hPa or mbar?"]),
]
IDS = [case[0] for case in CAUSES]


def caught(call):
    """The call's result and the PlausibilityWarnings it issued."""
    with warnings.catch_warnings(record=True) as issued:
        warnings.simplefilter("always")
        result = call()
    return result, [w for w in issued if issubclass(w.category, humitrax.PlausibilityWarning)]


def same(a, b):
    """Two results alike, NaN where NaN and the statuses equal."""
    assert list(a) == list(b)
    for name in a:
        if name == "status" or isinstance(a[name], str):
            assert np.array_equal(np.asarray(a[name], dtype=object), np.asarray(b[name], dtype=object)), name
        else:
            np.testing.assert_array_equal(a[name], b[name], err_msg=name)


@pytest.mark.parametrize("units, dry, pressure, condition, values, lines", [case[1:] for case in CAUSES], ids=IDS)
def test_state_warns_once_with_a_line_per_column(units, dry, pressure, condition, values, lines):
    result, issued = caught(lambda: humitrax.state(dry, pressure=pressure, **{condition: values}, units=units))
    assert len(issued) == 1
    assert str(issued[0].message).split("\n") == lines
    assert issued[0].filename == __file__  # the caller's line, not the package's
    with warnings.catch_warnings():
        warnings.simplefilter("ignore")
        quiet = humitrax.state(dry, pressure=pressure, **{condition: values}, units=units)
    same(result, quiet)


@pytest.mark.parametrize("units, dry, pressure, condition, values, lines", [case[1:] for case in CAUSES], ids=IDS)
def test_batch_prints_the_same_texts_for_the_same_table(cli, batch_warnings, tmp_path, units, dry, pressure,
                                                        condition, values, lines):
    path = tmp_path / "table.csv"
    rows = [f"{t!r},{p!r},{v!r}" for t, p, v in zip(dry, pressure, values)]
    path.write_text("\n".join([f"dry_bulb,pressure,{condition}"] + rows) + "\n", "utf-8")
    done = subprocess.run([cli, "batch", "--units", units, "--jobs", "1", str(path)], capture_output=True, text=True,
                          check=False)
    assert done.returncode in (0, 1), done.stderr
    assert batch_warnings(done.stderr) == lines
    # frame reads the same table, and says the same.
    _, issued = caught(lambda: humitrax.frame(pd.read_csv(path), units=units))
    assert [str(w.message).split("\n") for w in issued] == [lines]
    assert issued[0].filename == __file__


ORDINARY = dict(dry_bulb=[-25.0, 5.0, 21.0, 38.0, 49.0], pressure=[54.0, 84.0, 101.325, 104.0, 108.0],
                relative_humidity=[0.0, 3.0, 50.0, 97.0, 100.0])


@pytest.mark.parametrize("call", [
    lambda: humitrax.state(ORDINARY["dry_bulb"], pressure=ORDINARY["pressure"],
                           relative_humidity=ORDINARY["relative_humidity"]),
    lambda: humitrax.state(-40.0, altitude=5000.0, humidity_ratio=0.0001),
    lambda: humitrax.state([30.0, 55.0], pressure=[101.325, 101.325], humidity_ratio=[0.0, 0.09],
                           model="calculator"),
    lambda: humitrax.state([95.0, 120.0], pressure=14.696, relative_humidity=[40.0, 10.0], units="ip"),
    lambda: humitrax.frame(pd.DataFrame(ORDINARY)),
    lambda: humitrax.comfort(24.0, pressure=101.325, relative_humidity=50.0, met=1.2, clo=0.5),
    lambda: humitrax.mix(a_dry_bulb=32, a_wet_bulb=24, a_flow=1.0, b_dry_bulb=24, b_relative_humidity=50,
                         b_flow=3.0, pressure=101.325),
    lambda: humitrax.heat(dry_bulb=5, relative_humidity=80, flow=2, to=35, altitude=400),
], ids=["weather_from_summit_to_desert", "altitude_and_dry_air_in_the_cold", "dry_and_hot_humid_air",
        "inch_pound_weather", "frame_of_weather", "comfort", "mix", "heat_at_an_altitude"])
def test_ordinary_values_give_no_warning(call):
    with warnings.catch_warnings():
        warnings.simplefilter("error", humitrax.PlausibilityWarning)
        call()


# (name, the call, the warning's lines): comfort and the processes tally their given states.
STATES = [
    ("comfort pressure in hectopascals",
     lambda: humitrax.comfort([24.0, 26.0], pressure=1013.25, relative_humidity=50.0, met=1.2, clo=0.5),
     ["pressure: 2 of 2 rows lie outside 30 to 120 kPa; in hPa or mbar?"]),
    ("comfort fraction at an altitude",
     lambda: humitrax.comfort(24.0, altitude=1013.25, relative_humidity=0.5, met=1.2, clo=0.5),
     ["relative_humidity: the value lies within 0 to 1 %; a fraction? relative humidity is in percent "
      "(50 for 50 %)"]),
    ("mix names the second stream's argument",
     lambda: humitrax.mix(a_dry_bulb=32, a_wet_bulb=24, a_flow=1.0, b_dry_bulb=75, b_relative_humidity=0.5,
                          b_flow=3.0, pressure=101.325),
     ["b_dry_bulb: the value lies above 60 °C; in °F?",
      "b_relative_humidity: the value lies within 0 to 1 %; a fraction? relative humidity is in percent "
      "(50 for 50 %)"]),
    ("mix names the first stream's and the pressure",
     lambda: humitrax.mix(a_dry_bulb=32, a_humidity_ratio=9.0, a_flow=1.0, b_dry_bulb=24, b_relative_humidity=50,
                          b_flow=3.0, pressure=14.7),
     ["pressure: the value lies outside 30 to 120 kPa; in psia?",
      "a_humidity_ratio: the value lies above 0.1 kg/kg; in g/kg, or a dry bulb in °F?"]),
    ("coil names the leaving state's argument",
     lambda: humitrax.coil(dry_bulb=30, relative_humidity=50, flow=1.2, leaving_dry_bulb=[14, 15],
                           leaving_relative_humidity=[0.9, 0.92], pressure=101.325),
     ["leaving_relative_humidity: 2 of 2 rows lie within 0 to 1 %; a fraction? relative humidity is in percent "
      "(50 for 50 %)"]),
    ("heat in inch-pound units",
     lambda: humitrax.heat(dry_bulb=[60, 70], relative_humidity=50, flow=2, to=90, pressure=101.3, units="ip"),
     ["pressure: 2 of 2 rows lie outside 4.4 to 17.4 psia; in kPa?"]),
]


@pytest.mark.parametrize("call, lines", [case[1:] for case in STATES], ids=[case[0] for case in STATES])
def test_comfort_and_processes_warn_once_for_their_states(call, lines):
    result, issued = caught(call)
    assert [str(w.message).split("\n") for w in issued] == [lines]
    assert issued[0].filename == __file__
    with warnings.catch_warnings():
        warnings.simplefilter("ignore")
        same(result, call())


def test_many_rows_on_several_threads_are_counted_once_each():
    rows = 200_000  # several blocks of rows on every thread
    pressure = np.full(rows, 101.325)
    pressure[::4] = 1013.25
    results = {}
    for threads in (1, 4):
        results[threads], issued = caught(lambda: humitrax.state(20.0, pressure=pressure, relative_humidity=50.0,
                                                                 threads=threads))
        assert [str(w.message) for w in issued] == \
            ["pressure: 50000 of 200000 rows lie outside 30 to 120 kPa; in hPa or mbar?"], threads
    same(results[1], results[4])


def test_missing_values_are_not_counted():
    dry = np.ma.masked_array([20.0, 90.0, 95.0, np.nan], mask=[False, False, True, False])
    _, issued = caught(lambda: humitrax.state(dry, pressure=101.325, relative_humidity=50.0))
    assert [str(w.message) for w in issued] == ["dry_bulb: 1 of 2 rows lies above 60 °C; in °F?"]


def test_an_error_filter_raises_it_and_the_ignored_call_gives_the_same_results():
    call = lambda: humitrax.state([20.0, 25.0], pressure=1013.25, relative_humidity=[50.0, 130.0])  # noqa: E731
    with warnings.catch_warnings():
        warnings.simplefilter("error")
        with pytest.raises(humitrax.PlausibilityWarning, match=r"^pressure: 2 of 2 rows lie outside"):
            call()
    with warnings.catch_warnings():
        warnings.simplefilter("ignore")
        quiet = call()
    assert list(quiet["status"]) == ["", "relative_humidity: above 100 %"]
    assert quiet["pressure"].tolist() == [1013.25, 1013.25]
    # Arguments a call cannot use raise as they did, with no warning first.
    with warnings.catch_warnings():
        warnings.simplefilter("error")
        with pytest.raises(ValueError, match="give one condition"):
            humitrax.state(20.0, pressure=1013.25)


def test_the_warning_is_a_user_warning_the_package_exports():
    assert issubclass(humitrax.PlausibilityWarning, UserWarning)
    assert "PlausibilityWarning" in humitrax.__all__
    assert humitrax.PlausibilityWarning.__module__ == "humitrax"
