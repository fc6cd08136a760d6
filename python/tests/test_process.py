"""humitrax.mix/heat/cool/coil/humidify: the numbers of humitrax-cli process, arrays, refusals."""

import csv
import io
import math
import subprocess

import numpy as np
import pytest

import humitrax

SI = dict(pressure=101.325, units="si")
# (name, function, arguments, the same process on the command line)
CASES = [
    ("mix", humitrax.mix,
     dict(a_dry_bulb=32, a_wet_bulb=24, a_flow=1.0, b_dry_bulb=24, b_relative_humidity=50,
          b_flow=3.0, b_flow_unit="m3/s", **SI),
     "mix 32,wb=24 --flow 1kg/s 24,rh=50 --flow 3m3/s --units si --pressure 101.325"),
    ("heat altitude", humitrax.heat,
     dict(dry_bulb=5, relative_humidity=80, flow=2, flow_unit="m3/s", to=35, altitude=400),
     "heat 5,rh=80 --flow 2m3/s --to 35 --units si --altitude 400"),
    ("cool ip", humitrax.cool,
     dict(dry_bulb=95, relative_humidity=30, flow=2000, flow_unit="cfm", to=75,
          pressure=14.696, units="ip"),
     "cool 95,rh=30 --flow 2000cfm --to 75 --units ip --pressure 14.696"),
    ("coil adp", humitrax.coil,
     dict(dry_bulb=28, wet_bulb=21, flow=2, adp=10, bypass=0.1, **SI),
     "coil 28,wb=21 --flow 2kg/s --adp 10 --bypass 0.1 --units si --pressure 101.325"),
    ("coil leaving ashrae", humitrax.coil,
     dict(dry_bulb=30, relative_humidity=50, flow=1.2, flow_unit="m3/s", leaving_dry_bulb=14,
          leaving_relative_humidity=92, model="ashrae2017", **SI),
     "coil 30,rh=50 --flow 1.2m3/s --leaving 14,rh=92 --units si --pressure 101.325 --model ashrae2017"),
    # Steam far hotter than the air: the target is met where the path first reaches it.
    ("humidify hot steam ip", humitrax.humidify,
     dict(dry_bulb=82.4, humidity_ratio=0.005873, flow=1, steam=338, to_relative_humidity=76.5,
          pressure=11.809, units="ip"),
     "humidify 82.4,w=0.005873 --flow 1kg/s --steam 338 --to rh=76.5 --units ip --pressure 11.809"),
    ("humidify adiabatic ip", humitrax.humidify,
     dict(dry_bulb=95, relative_humidity=20, flow=5000, flow_unit="cfm", adiabatic=True,
          effectiveness=0.8, altitude=3000, units="ip"),
     "humidify 95,rh=20 --flow 5000cfm --adiabatic --effectiveness 0.8 --units ip --altitude 3000"),
    # States by any two of their properties.
    ("mix by pairs", humitrax.mix,
     dict(a_enthalpy=60, a_humidity_ratio=0.012, a_flow=1.0, b_wet_bulb=17, b_relative_humidity=50, b_flow=2.0,
          model="calculator", **SI),
     "mix h=60,w=0.012 --flow 1kg/s wb=17,rh=50 --flow 2kg/s --units si --pressure 101.325 --model calculator"),
    ("coil leaving by its dew point and relative humidity", humitrax.coil,
     dict(enthalpy=65, relative_humidity=50, flow=1, leaving_dew_point=12, leaving_relative_humidity=92, **SI),
     "coil h=65,rh=50 --flow 1kg/s --leaving dp=12,rh=92 --units si --pressure 101.325"),
]


def run_cli(cli, line):
    return subprocess.run([cli, "process", *line.split(), "--format", "csv"],
                          capture_output=True, text=True, check=False)


def same(a, b):
    """Bit for bit (the sign of a zero too), or both without a value."""
    return (math.isnan(a) and math.isnan(b)) or float(a).hex() == float(b).hex()


def bits_differ(a, b):
    return not all(same(x, y) for x, y in zip(a, b, strict=True))


@pytest.mark.parametrize("function, arguments, line", [case[1:] for case in CASES],
                         ids=[case[0] for case in CASES])
def test_scalar_equals_cli(cli, function, arguments, line):
    done = run_cli(cli, line)
    assert done.returncode == 0, done.stderr
    expected = {f"{row['part']}.{row['quantity']}": float(row["value"]) if row["value"] else math.nan
                for row in csv.DictReader(io.StringIO(done.stdout))}
    result = function(**arguments)
    assert result.pop("status") == ""
    assert list(result) == list(expected)
    assert [name for name in expected if not same(result[name], expected[name])] == []
    assert all(isinstance(value, float) for value in result.values())


def test_outdoor_array_mixed_with_one_return_state():
    outdoor = dict(a_dry_bulb=[[30.0, 35.0, 38.0]], a_wet_bulb=[[22.0], [24.0]], a_flow=[1.0, 1.5, 40.0])
    common = dict(b_dry_bulb=24, b_relative_humidity=50, b_flow=3.0, b_flow_unit="m3/s", **SI)
    result = humitrax.mix(**outdoor, **common)
    assert result["mixed.dry_bulb"].shape == (2, 3) and result["status"].shape == (2, 3)
    for i, j in np.ndindex(2, 3):
        one = humitrax.mix(a_dry_bulb=outdoor["a_dry_bulb"][0][j], a_wet_bulb=outdoor["a_wet_bulb"][i][0],
                           a_flow=outdoor["a_flow"][j], **common)
        assert one.pop("status") == result["status"][i, j]
        assert [name for name, value in one.items() if not same(value, result[name][i, j])] == []


def test_refused_gives_nan_and_the_cli_message(cli):
    arguments = dict(dry_bulb=30, dew_point=15, flow=1, to=12, **SI)
    done = run_cli(cli, "cool 30,dp=15 --flow 1kg/s --to 12 --units si --pressure 101.325")
    assert done.returncode == 1
    result = humitrax.cool(**arguments)
    status = result.pop("status")
    assert status.startswith("refused") and done.stderr.endswith(f": {status}\n")
    assert all(math.isnan(value) for value in result.values())
    rows = humitrax.cool(**{**arguments, "flow": [1.0, math.nan, 2.0]})
    assert list(rows["status"]) == [status, "flow: not a number", status]


# A masked cell (numpy.ma) is a missing value: no values, whatever lies under the mask.
@pytest.mark.parametrize("function, arguments, masked", [
    (humitrax.heat, dict(dry_bulb=20, relative_humidity=50, flow=np.ma.masked_array([1.0, 2.0], [False, True]),
                         to=30, **SI), "flow"),
    (humitrax.heat, dict(dry_bulb=20, relative_humidity=50, flow=1, to=30,
                         altitude=np.ma.masked_array([0, 400], [True, False])), "altitude"),
    (humitrax.mix, dict(a_dry_bulb=30, a_wet_bulb=24, a_flow=1.0, b_dry_bulb=np.ma.masked_array([24.0, 26.0], [True, False]),
                        b_relative_humidity=50, b_flow=3.0, **SI), "b_dry_bulb"),
], ids=["heat_flow", "heat_altitude_of_ints", "mix_second_dry_bulb"])
def test_a_masked_cell_is_a_missing_value(function, arguments, masked):
    result = function(**arguments)
    plain = function(**{**arguments, masked: np.ma.getdata(arguments[masked])})
    mask = np.ma.getmaskarray(arguments[masked])
    assert list(result.pop("status")) == [f"{masked}: missing" if m else "" for m in mask]
    assert all(np.isnan(result[name][mask]).all() for name in result)
    assert [name for name in result if bits_differ(result[name][~mask], plain[name][~mask])] == []


@pytest.mark.parametrize("function, arguments, error, name", [
    (humitrax.heat, dict(relative_humidity=50, flow=1, to=30, **SI), ValueError, "dry_bulb"),
    (humitrax.heat, dict(dry_bulb=20, wet_bulb=15, flow=1, **SI), ValueError, "give to"),
    (humitrax.heat, dict(dry_bulb=20, wet_bulb=15, flow=1, flow_unit="l/s", to=30, **SI), ValueError, "flow_unit"),
    (humitrax.mix, dict(a_dry_bulb=20, a_wet_bulb=15, a_flow=1, b_dry_bulb=20, b_flow=1, **SI),
     ValueError, "b_wet_bulb"),
    (humitrax.coil, dict(dry_bulb=28, wet_bulb=21, flow=2, adp=10, **SI), ValueError, "bypass"),
    (humitrax.coil, dict(dry_bulb=28, wet_bulb=21, flow=2, adp=10, bypass=0.1, leaving_dry_bulb=15,
                         leaving_dew_point=10, **SI), ValueError, "leaving_dry_bulb"),
    (humitrax.humidify, dict(dry_bulb=20, wet_bulb=15, flow=1, to_relative_humidity=50, **SI),
     ValueError, "steam"),
    (humitrax.humidify, dict(dry_bulb=20, wet_bulb=15, flow=1, steam=100, adiabatic="yes",
                             to_relative_humidity=50, **SI), TypeError, "adiabatic"),
    (humitrax.heat, dict(dry_bulb=20, wet_bulb=15, flow=[1, 10**400], to=30, **SI), ValueError,
     "flow has a number beyond the range of a float"),
    (humitrax.heat, dict(dry_bulb=20, wet_bulb=15, flow=1, to=[30.0, True], **SI), TypeError,
     "to must be numeric, not bool"),
], ids=["no_dry_bulb", "no_to", "unknown_flow_unit", "no_second_condition", "no_bypass",
        "adp_and_leaving_air", "no_steam", "adiabatic_not_bool", "int_beyond_float_flow",
        "boolean_among_numbers"])
def test_bad_argument_is_named(function, arguments, error, name):
    with pytest.raises(error, match=name):
        function(**arguments)


@pytest.mark.parametrize("function, arguments", [case[1:3] for case in CASES], ids=[case[0] for case in CASES])
def test_plain_numbers_give_a_one_element_arrays_process(function, arguments):
    """Plain numbers take a path of their own (no NumPy): the values of a one-element array."""
    one = function(**arguments)
    numeric = {k: np.array([v]) if isinstance(v, (int, float)) and not isinstance(v, bool) else v
               for k, v in arguments.items()}
    array = function(**numeric)
    assert list(one) == list(array)
    assert not bits_differ([one[k] for k in one if k != "status"], [array[k][0] for k in array if k != "status"])
    assert one["status"] == array["status"][0]
