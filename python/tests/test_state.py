"""humitrax.state: the numbers of humitrax-cli batch, shapes, failures, threads."""

import csv
import io
import json
import math
import subprocess
import warnings

import numpy as np
import pytest

import humitrax

NAN = math.nan
SI_COLUMNS = [name for name in humitrax.state(25, pressure=101.325, relative_humidity=50) if name != "status"]


# Per condition, (dry bulb, value) at the edges: saturated, dry, freezing, far below it, at and beyond
# the saturation range's upper end (in °C; in °F the same numbers are ordinary states).
EDGES = {"wet_bulb": [(25, 25), (25, 0), (0, 0), (-50, -50), (150, 20), (201, 20)],
         "dew_point": [(25, 25), (25, 0), (0, 0), (-50, -50), (150, 20), (201, 20)],
         "relative_humidity": [(25, 0), (25, 100), (0, 100), (-50, 50), (150, 20), (201, 20)],
         "humidity_ratio": [(25, 0), (25, 0.02), (0, 0.003), (-50, 0), (150, 0.1), (201, 0)]}
SECOND_RANGES = {("si", "pressure"): (50, 110), ("si", "altitude"): (-500, 6000),
                 ("ip", "pressure"): (7, 16), ("ip", "altitude"): (-1500, 20000)}


def random_states(units, place, condition, count=300):
    """Wide ranges (some states refused or failing, some given values NaN or infinite);
    then the edges at the standard atmosphere, and two at an altitude beyond any
    atmosphere or at a pressure below 0, one of them with a NaN dry bulb."""
    rng = np.random.default_rng([["si", "ip"].index(units), ["pressure", "altitude"].index(place),
                                 list(EDGES).index(condition)])
    scale = 1.0 if units == "si" else 1.8  # °C to °F differences
    dry = rng.uniform(-40, 60, count) * scale + (0 if units == "si" else 32)
    second = rng.uniform(*SECOND_RANGES[units, place], count)
    if condition in ("wet_bulb", "dew_point"):
        value = dry - rng.uniform(-3, 12 if condition == "wet_bulb" else 40, count) * scale
    elif condition == "relative_humidity":
        value = rng.uniform(-5, 110, count)
    else:
        value = rng.uniform(-0.001, 0.03, count)
    dry[7::50] = NAN
    second[13::100] = NAN
    value[11::50] = math.inf
    edges = EDGES[condition]
    standard = {"pressure": 101.325 if units == "si" else 14.696, "altitude": 0.0}[place]
    beyond = 1e200 if place == "altitude" else -1.0
    return (np.append(dry, [d for d, _ in edges] + [20, NAN]),
            np.append(second, [standard] * len(edges) + [beyond, beyond]),
            np.append(value, [v for _, v in edges] + [edges[0][1]] * 2))


def run_batch(cli, tmp_path, units, model, header, columns):
    path = tmp_path / "states.csv"
    lines = [",".join(header)] + [",".join(repr(float(x)) for x in row) for row in zip(*columns)]
    path.write_text("\n".join(lines) + "\n")
    done = subprocess.run([cli, "batch", "--units", units, "--model", model, "--jobs", "1", str(path)],
                          capture_output=True, text=True, timeout=120)
    assert done.returncode in (0, 1), done.stderr
    return list(csv.DictReader(io.StringIO(done.stdout))), done.stderr


def bits(values):
    """Each value's bits (the sign of a zero too); any NaN alike."""
    return ["nan" if math.isnan(v) else v.hex() for v in np.ravel(np.asarray(values, dtype=float)).tolist()]


@pytest.mark.parametrize("model", ["calculator", "ashrae2017"])
@pytest.mark.parametrize("units", ["si", "ip"])
@pytest.mark.parametrize("place", ["pressure", "altitude"])
@pytest.mark.parametrize("condition", ["wet_bulb", "dew_point", "relative_humidity", "humidity_ratio"])
def test_values_and_status_are_batchs_bit_for_bit(cli, batch_warnings, tmp_path, units, place, condition, model):
    dry, second, value = random_states(units, place, condition)
    rows, stderr = run_batch(cli, tmp_path, units, model, ["dry_bulb", place, condition], [dry, second, value])
    with warnings.catch_warnings(record=True) as issued:
        warnings.simplefilter("always")
        result = humitrax.state(dry, **{place: second, condition: value}, units=units, model=model)
    # The values beyond weather's, tallied as batch tallies its rows.
    assert len(issued) <= 1
    assert [line for w in issued for line in str(w.message).split("\n")] == batch_warnings(stderr)
    assert len(rows) == len(dry)
    # The same columns in the same order: grains in inch-pound only.
    assert list(result) == list(rows[0])
    for name in (name for name in rows[0] if name != "status"):
        assert bits(result[name]) == bits([float(row[name]) if row[name] else NAN for row in rows]), name
    # Batch names the line of a cell it cannot read ("line 9: dry_bulb is not a finite number"),
    # and the 2017 model by its option where the module names it by its argument.
    read = np.isfinite(dry) & np.isfinite(second) & np.isfinite(value)
    as_module = [row["status"].replace("--model ashrae2017", 'model="ashrae2017"') for row in rows]
    assert list(result["status"][read]) == [status for status, whole in zip(as_module, read) if whole]
    assert any(row["status"] for row in rows) and not all(row["status"] for row in rows)


def test_broadcast_arrays_give_each_state_its_scalar_result():
    dry = np.array([[10.0], [20.0], [30.0]])
    humidity = np.arange(0.0, 120.0, 15.0)[::2]  # strided: 0, 30, 60, 90
    result = humitrax.state(dry, pressure=101.325, relative_humidity=humidity)
    assert all(values.shape == (3, 4) for values in result.values())
    assert all(result[name].dtype == np.float64 for name in SI_COLUMNS) and result["status"].dtype == object
    for i, j in np.ndindex(3, 4):
        one = humitrax.state(float(dry[i, 0]), pressure=101.325, relative_humidity=float(humidity[j]))
        assert all(bits(result[name][i, j]) == bits(one[name]) for name in SI_COLUMNS)
        assert result["status"][i, j] == one["status"]
    # Arrays stay arrays whatever their size.
    for shape in [(0,), (1,), (2, 0, 3)]:
        result = humitrax.state(np.full(shape, 20.0), pressure=101.325, relative_humidity=[50.0])
        assert all(values.shape == shape for values in result.values())


@pytest.mark.parametrize("dry_bulb", [25, 25.0, np.float64(25), np.array(25.0)], ids=repr)
def test_scalars_give_floats_and_a_str(dry_bulb):
    result = humitrax.state(dry_bulb, pressure=np.array(101.325), relative_humidity=50)
    assert all(type(result[name]) is float for name in SI_COLUMNS)
    assert result["status"] == "" and type(result["status"]) is str


# name, arguments (the dry bulb 25 unless given), status, the columns that have a value (the others NaN)
GIVEN = {"dry_bulb", "pressure", "relative_humidity"}
FAILING = [
    ("relative_humidity_above_100", dict(pressure=101.325, relative_humidity=150), "relative_humidity: above 100 %", GIVEN),
    ("dry_air_has_no_dew_point", dict(pressure=101.325, humidity_ratio=0),
     "dew_point: undefined for dry air (humidity ratio 0)", set(SI_COLUMNS) - {"dew_point"}),
    ("altitude_beyond_the_troposphere", dict(altitude=11000.1, relative_humidity=50),
     "pressure: the altitude lies above 11000 m, the highest the relations cover",
     {"dry_bulb", "relative_humidity"}),
    ("missing_condition", dict(pressure=101.325, relative_humidity=NAN), "relative_humidity: not a number",
     {"dry_bulb", "pressure"}),
    ("several_invalid_inputs_all_named", dict(dry_bulb=NAN, pressure=-math.inf, dew_point=5),
     "dry_bulb: not a number; pressure: not a finite number", {"dew_point"}),
    ("missing_dry_bulb_beyond_the_troposphere", dict(dry_bulb=NAN, altitude=1e200, relative_humidity=50),
     "dry_bulb: not a number; pressure: the altitude lies above 11000 m, the highest the relations cover",
     {"relative_humidity"}),
]


@pytest.mark.parametrize("arguments, status, present", [row[1:] for row in FAILING],
                         ids=[row[0] for row in FAILING])
def test_failing_and_refused_states_give_nan_and_their_status(arguments, status, present):
    arguments = dict(arguments)
    dry_bulb = arguments.pop("dry_bulb", 25)
    for result in (humitrax.state(dry_bulb, **arguments),
                   {k: v[0] for k, v in humitrax.state([dry_bulb], **arguments).items()}):
        assert result["status"] == status
        assert {name for name in SI_COLUMNS if not math.isnan(result[name])} == present


# A masked cell is a missing value, whatever lies under the mask (a value that would give a
# whole state, an int, text).
MASK = [False, True, False]
MASKED = [
    ("dry_bulb", "dry_bulb", dict(dry_bulb=np.ma.masked_array([20.0, 25.0, 30.0], MASK), pressure=101.325,
                                  relative_humidity=50)),
    ("pressure_of_ints", "pressure", dict(dry_bulb=25.0, pressure=np.ma.masked_array([100, 101, 102], MASK),
                                          relative_humidity=50)),
    ("condition_over_text", "relative_humidity",
     dict(dry_bulb=25.0, pressure=101.325, relative_humidity=np.ma.masked_array([50, "x", 60], MASK, dtype=object))),
    ("masked_constant_broadcast", "relative_humidity",
     dict(dry_bulb=[20.0, 25.0], pressure=101.325, relative_humidity=np.ma.masked)),
]


@pytest.mark.parametrize("masked, arguments", [row[1:] for row in MASKED], ids=[row[0] for row in MASKED])
def test_a_masked_cell_is_a_missing_value(masked, arguments):
    result = humitrax.state(**arguments)
    shape = result["status"].shape
    mask = np.broadcast_to(np.ma.getmaskarray(arguments[masked]), shape)
    assert list(result["status"]) == [f"{masked}: missing" if m else "" for m in mask]
    given = {"dry_bulb", "pressure", "relative_humidity"} - {masked}
    for row in np.flatnonzero(mask):
        assert {name for name in SI_COLUMNS if not math.isnan(result[name][row])} == given
    for row in np.flatnonzero(~mask):
        one = humitrax.state(**{name: np.broadcast_to(np.ma.getdata(value), shape)[row]
                                for name, value in arguments.items()})
        assert all(bits(result[name][row]) == bits(one[name]) for name in SI_COLUMNS)


def test_results_do_not_depend_on_the_thread_count():
    rng = np.random.default_rng(7)
    count = 30_000
    dry = rng.uniform(-40, 60, count)
    dry[::997] = NAN
    arguments = dict(altitude=rng.uniform(-500, 5000, count), relative_humidity=rng.uniform(-5, 110, count))
    one = humitrax.state(dry, **arguments, threads=1)
    assert any(one["status"]) and not all(one["status"])
    for threads in (2, 7):
        other = humitrax.state(dry, **arguments, threads=threads)
        assert all(bits(one[name]) == bits(other[name]) for name in SI_COLUMNS)
        assert list(one["status"]) == list(other["status"])


@pytest.mark.parametrize("saturation", ["ice", "water"])
def test_saturation_is_the_commands(cli, saturation):
    """Below freezing the two saturations differ, and each is humitrax-cli state's, bit for bit."""
    args = ["state", "--dry-bulb", "-12", "--pressure", "90", "--relative-humidity", "85",
            "--saturation", saturation, "--format", "json"]
    done = subprocess.run([cli, *args], capture_output=True, text=True, check=True)
    expected = json.loads(done.stdout)
    result = humitrax.state(-12.0, pressure=90.0, relative_humidity=85.0, saturation=saturation)
    assert expected["saturation"] == saturation
    assert all(result[name] == expected[name] for name in SI_COLUMNS)


PAIRS = [("humidity_ratio", "enthalpy"), ("wet_bulb", "relative_humidity"), ("dew_point", "relative_humidity"),
         ("specific_volume", "vapour_pressure"), ("dry_bulb", "enthalpy"), ("dew_point", "humidity_ratio")]


@pytest.mark.parametrize("model", ["calculator", "ashrae2017"])
@pytest.mark.parametrize("units", ["si", "ip"])
@pytest.mark.parametrize("pair", PAIRS, ids="+".join)
def test_any_two_properties_give_batchs_state_and_the_state_back(cli, tmp_path, units, model, pair):
    rng = np.random.default_rng([PAIRS.index(pair), ["si", "ip"].index(units)])
    dry = rng.uniform(1, 45, 40)  # where the calculator's relations give every property
    if units == "ip":
        dry = dry * 1.8 + 32
    place = 101.325 if units == "si" else 14.696
    origin = humitrax.state(dry, pressure=place, relative_humidity=rng.uniform(5, 95, 40), units=units, model=model)
    given = {name: origin[name] for name in pair}
    result = humitrax.state(**given, pressure=place, units=units, model=model)
    rows, _ = run_batch(cli, tmp_path, units, model, [pair[0], "pressure", pair[1]],
                        [given[pair[0]], np.full(40, place), given[pair[1]]])
    for name in (name for name in rows[0] if name != "status"):
        assert bits(result[name]) == bits([float(row[name]) if row[name] else NAN for row in rows]), name
    assert list(result["status"]) == [row["status"].replace("--model ashrae2017", 'model="ashrae2017"')
                                      for row in rows]
    if pair == ("dew_point", "humidity_ratio"):
        assert all(status.startswith("dew_point and humidity_ratio fix the same moisture")
                   for status in result["status"])
        return
    # A pair of the state's own properties gives it back (the calculator's dew point is its correlation's,
    # and the wet bulb its secant's: the pair is solved on them).
    assert (result["status"] == "").all()
    np.testing.assert_allclose(result["dry_bulb"], origin["dry_bulb"], rtol=0, atol=1e-9)
    for name in ("humidity_ratio", "enthalpy", "specific_volume", "relative_humidity"):
        np.testing.assert_allclose(result[name], origin[name], rtol=1e-9, atol=1e-12)


def test_a_pair_without_the_dry_bulb_by_keywords():
    s = humitrax.state(enthalpy=50.0, relative_humidity=60.0, pressure=101.325)
    assert round(s["dry_bulb"], 2) == 23.03 and s["status"] == ""


# Plain numbers take a path of their own (no NumPy): the same values, status and warnings as a one-element array.
ONE_STATE = [
    ("ordinary", dict(dry_bulb=25.0, pressure=101.325, relative_humidity=50.0)),
    ("ints ip calculator", dict(dry_bulb=77, altitude=5280, wet_bulb=64, units="ip", model="calculator")),
    ("pair over water", dict(enthalpy=-2.0, vapour_pressure=0.3, pressure=90.0, saturation="water")),
    ("refused", dict(dry_bulb=20.0, pressure=101.325, dew_point=25.0)),
    ("not a number", dict(dry_bulb=NAN, pressure=101.325, humidity_ratio=0.01)),
    ("beyond the atmosphere", dict(dry_bulb=20.0, altitude=1e200, relative_humidity=50.0)),
    ("pressure in pascals", dict(dry_bulb=20.0, pressure=101325.0, relative_humidity=0.5)),
    ("numpy scalars", dict(dry_bulb=np.float64(30.0), pressure=np.float64(95.0), dew_point=12.0, threads=2)),
]


@pytest.mark.parametrize("arguments", [row[1] for row in ONE_STATE], ids=[row[0] for row in ONE_STATE])
def test_plain_numbers_give_a_one_element_arrays_state(arguments):
    def call(**given):
        with warnings.catch_warnings(record=True) as issued:
            warnings.simplefilter("always")
            return humitrax.state(**given), [str(w.message) for w in issued]
    one, one_warnings = call(**arguments)
    numeric = ("units", "model", "saturation", "threads")
    array, array_warnings = call(**{k: v if k in numeric else np.array([v]) for k, v in arguments.items()})
    assert list(one) == list(array)
    assert all(isinstance(one[name], float) for name in one if name != "status")
    assert [bits([one[name]]) for name in one if name != "status"] == \
        [bits(array[name]) for name in array if name != "status"]
    assert one["status"] == array["status"][0] and one_warnings == array_warnings
