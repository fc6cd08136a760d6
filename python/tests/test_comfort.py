"""humitrax.comfort: the numbers and failures of humitrax-cli comfort, arrays, arguments."""

import json
import math
import subprocess

import numpy as np
import pytest

import humitrax

PREFIX = "humitrax-cli: comfort: "
CONDITION_KEYS = {"wet_bulb": "wb", "dew_point": "dp", "relative_humidity": "rh", "humidity_ratio": "w"}


def cli_line(dry_bulb, condition, value, *, met, clo, units, model, saturation="ice", pressure=None,
             altitude=None, air_speed=None, radiant=None):
    """The command's arguments for the same inputs, every number as its shortest text."""
    line = [f"{dry_bulb!r},{CONDITION_KEYS[condition]}={value!r}", "--met", repr(met), "--clo", repr(clo),
            "--units", units, "--model", model, "--format", "json"]
    if saturation != "ice":
        line += ["--saturation", saturation]
    line += ["--pressure", repr(pressure)] if pressure is not None else ["--altitude", repr(altitude)]
    if air_speed is not None:
        line += ["--air-speed", repr(air_speed)]
    if radiant is not None:
        line += ["--radiant", repr(radiant)]
    return line


def run_cli(cli, line):
    """The command's values, or its failure text; the exit status checked."""
    done = subprocess.run([cli, "comfort", *line], capture_output=True, text=True, check=False)
    if done.returncode == 0:
        values = json.loads(done.stdout)
        # The command names its relations; the module's caller chose them.
        values.pop("model")
        values.pop("saturation", None)
        return values, ""
    assert done.returncode == 1 and done.stderr.startswith(PREFIX), done.stderr
    return None, done.stderr[len(PREFIX):].rstrip("\n")


def same(a, b):
    """Bit for bit, the sign of a zero too."""
    return float(a).hex() == float(b).hex()


def element(result, index):
    """The values of one element of an array result, as a scalar call gives them."""
    return {name: values[index].item() if isinstance(values[index], np.generic) else values[index]
            for name, values in result.items()}


def assert_equals_cli(result, expected, status):
    assert result["status"] == status
    if expected is None:
        assert all(math.isnan(result[name]) for name in result if name not in ("status", "in_applicable_range"))
        assert result["in_applicable_range"] is False
        return
    assert list(result)[:-1] == list(expected)
    assert [name for name in expected if name != "in_applicable_range" and not same(result[name], expected[name])] == []
    assert result["in_applicable_range"] is expected["in_applicable_range"]


# (name, dry bulb, condition, value, the other arguments)
SI = dict(units="si", pressure=101.325)
CASES = [
    ("office si", 22.0, "relative_humidity", 60.0, dict(met=1.2, clo=0.5, **SI)),
    ("warm still air", 27.5, "wet_bulb", 21.0, dict(met=1.0, clo=0.5, air_speed=0.0, **SI)),
    ("sunlit window", 21.0, "dew_point", 9.0, dict(met=1.4, clo=1.0, radiant=35.5, **SI)),
    ("humidity ratio at altitude 2017", 24.0, "humidity_ratio", 0.008,
     dict(met=1.1, clo=0.6, units="si", altitude=1600.0, model="ashrae2017")),
    ("frost point below freezing 2017", -10.0, "dew_point", -20.0, dict(met=2.0, clo=2.0, model="ashrae2017", **SI)),
    ("hot and humid beyond the ranges", 36.0, "relative_humidity", 80.0, dict(met=4.5, clo=0.0, air_speed=1.5, **SI)),
    ("ip with air speed and radiant", 75.0, "wet_bulb", 62.0,
     dict(met=1.1, clo=0.5, air_speed=40.0, radiant=80.0, units="ip", pressure=14.696)),
    ("ip altitude", 68.0, "relative_humidity", 35.0, dict(met=1.0, clo=0.9, units="ip", altitude=5280.0)),
    # Failures: the text the command writes after "humitrax-cli: comfort: ".
    ("no metabolic rate", 22.0, "relative_humidity", 50.0, dict(met=0.0, clo=0.5, **SI)),
    ("clothing below zero", 22.0, "relative_humidity", 50.0, dict(met=1.0, clo=-0.5, **SI)),
    ("air speed below zero ip", 72.0, "relative_humidity", 50.0,
     dict(met=1.0, clo=0.5, air_speed=-20.0, units="ip", pressure=14.696)),
    ("radiant below absolute zero", 22.0, "relative_humidity", 50.0, dict(met=1.0, clo=0.5, radiant=-300.0, **SI)),
    ("air that cannot exist", 22.0, "relative_humidity", 120.0, dict(met=1.0, clo=0.5, **SI)),
    ("wet bulb above the dry bulb ip", 70.0, "wet_bulb", 75.0, dict(met=1.0, clo=0.5, units="ip", pressure=14.696)),
    ("altitude beyond the atmosphere", 22.0, "relative_humidity", 50.0,
     dict(met=1.0, clo=0.5, units="si", altitude=20000.0)),
    ("radiant of a star", 22.0, "humidity_ratio", 0.0, dict(met=1.0, clo=0.5, radiant=5e8, **SI)),
]


@pytest.mark.parametrize("dry_bulb, condition, value, arguments", [case[1:] for case in CASES],
                         ids=[case[0] for case in CASES])
@pytest.mark.parametrize("model, saturation", [("calculator", "ice"), ("ashrae2017", "ice"), ("ashrae2017", "water")])
def test_scalar_equals_cli(cli, dry_bulb, condition, value, arguments, model, saturation):
    if "model" in arguments and arguments["model"] != model:
        pytest.skip("the case is for one model")
    arguments = {**arguments, "model": model, "saturation": saturation}
    expected, status = run_cli(cli, cli_line(dry_bulb, condition, value, **arguments))
    result = humitrax.comfort(dry_bulb, **{condition: value}, **arguments)
    assert_equals_cli(result, expected, status)


@pytest.mark.parametrize("units, model", [("si", "calculator"), ("si", "ashrae2017"), ("ip", "calculator"),
                                          ("ip", "ashrae2017")])
def test_random_arrays_equal_cli_row_by_row(cli, units, model):
    rng = np.random.default_rng(["si", "ip"].index(units) * 2 + ["calculator", "ashrae2017"].index(model))
    count = 24
    dry = rng.uniform(5, 38, count)
    rh = rng.uniform(0, 100, count)
    met = rng.uniform(0.6, 3.0, count)
    clo = rng.uniform(0.0, 1.6, count)
    speed = rng.uniform(0.0, 1.2, count)
    radiant = dry + rng.uniform(-5, 15, count)
    rh[3], met[5] = 105.0, 0.0  # refused by the state layer and by the model
    place = {"si": 101.325, "ip": 14.696}[units]
    if units == "ip":
        dry, radiant, speed = dry * 1.8 + 32, radiant * 1.8 + 32, speed * 196.85
    result = humitrax.comfort(dry, pressure=place, relative_humidity=rh, met=met, clo=clo, air_speed=speed,
                              radiant=radiant, units=units, model=model, threads=3)
    for i in range(count):
        expected, status = run_cli(cli, cli_line(float(dry[i]), "relative_humidity", float(rh[i]), met=float(met[i]),
                                                 clo=float(clo[i]), units=units, model=model, pressure=place,
                                                 air_speed=float(speed[i]), radiant=float(radiant[i])))
        assert_equals_cli(element(result, i), expected, status)
    assert sum(result["status"] != "") == 2


def test_arrays_broadcast_and_each_element_is_its_scalar():
    result = humitrax.comfort([[20.0], [26.0]], altitude=[0.0, 1500.0, 3000.0], dew_point=10.0, met=1.2,
                              clo=[0.5, 1.0, 0.0], model="calculator")
    assert result["pmv"].shape == (2, 3) and result["in_applicable_range"].dtype == bool
    for i, j in np.ndindex(2, 3):
        one = humitrax.comfort([20.0, 26.0][i], altitude=[0.0, 1500.0, 3000.0][j], dew_point=10.0, met=1.2,
                               clo=[0.5, 1.0, 0.0][j], model="calculator")
        assert element(result, (i, j)) == one


def test_not_a_number_and_masked_values_name_their_argument():
    met = np.ma.masked_array([1.0, 1.0, 1.0, 1.0], mask=[False, True, False, False])
    result = humitrax.comfort([22.0, 22.0, np.nan, 22.0], pressure=101.325, relative_humidity=50.0, met=met,
                              clo=[0.5, 0.5, 0.5, np.inf], model="ashrae2017")
    assert list(result["status"]) == ["", "met: missing", "dry_bulb: not a number", "clo: not a finite number"]
    assert np.isnan(result["pmv"][1:]).all() and list(result["in_applicable_range"]) == [True, False, False, False]


GOOD = dict(dry_bulb=22.0, pressure=101.325, relative_humidity=50.0, met=1.0, clo=0.5, model="calculator")


@pytest.mark.parametrize("change, error, message", [
    (dict(met=None), ValueError, "give met"),
    (dict(clo=None), ValueError, "give clo"),
    (dict(wet_bulb=15.0), ValueError, "give one condition, .* not 'wet_bulb' and 'relative_humidity'"),
    (dict(relative_humidity=None), ValueError, "give one condition, .* not none"),
    (dict(altitude=0.0), ValueError, "give pressure or altitude, exactly one"),
    (dict(units="metric"), ValueError, "units must be 'si' or 'ip', not 'metric'"),
    (dict(model="iso"), ValueError, "model must be .* not 'iso'"),
    (dict(clo=[0.5, 1.0], met=[1.0, 1.2, 1.4]), ValueError, "do not broadcast together: .*met \\(3,\\), clo \\(2,\\)"),
    (dict(air_speed="fast"), TypeError, "air_speed must be numeric, not str"),
    (dict(radiant=[20.0, True]), TypeError, "radiant must be numeric, not bool"),
    (dict(threads=0), ValueError, "threads must be from 1 to 256"),
], ids=["no_met", "no_clo", "two_conditions", "no_condition", "pressure_and_altitude", "unknown_units",
        "unknown_model", "shapes", "text", "bool", "threads"])
def test_arguments_that_cannot_be_used_raise(change, error, message):
    arguments = {**GOOD, **change}
    with pytest.raises(error, match=message):
        humitrax.comfort(arguments.pop("dry_bulb"), **{k: v for k, v in arguments.items() if v is not None})


@pytest.mark.parametrize("model", ["calculator", "ashrae2017"])
def test_a_state_by_two_other_properties_equals_cli(cli, model):
    result = humitrax.comfort(enthalpy=45.0, relative_humidity=50.0, pressure=101.325, met=1.2, clo=0.5,
                              air_speed=0.2, model=model)
    expected, status = run_cli(cli, ["h=45.0,rh=50.0", "--met", "1.2", "--clo", "0.5", "--air-speed", "0.2",
                                     "--pressure", "101.325", "--model", model, "--format", "json"])
    assert_equals_cli(result, expected, status)
