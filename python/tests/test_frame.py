"""humitrax.frame: the properties added to a copy of a pandas DataFrame."""

import csv
import io
import subprocess

import numpy as np
import pandas as pd
import pytest

import humitrax


def weather():
    return pd.DataFrame({
        "station": ["roof", "roof", "yard", "yard"],
        "dry_bulb": [17.2, 29.5, 31.0, 12.0],
        "pressure": [97.8, 97.6, 97.5, 97.9],
        "relative_humidity": [88.0, 41.0, np.nan, 130.0],
    }, index=pd.Index(["06:00", "12:00", "18:00", "24:00"], name="time"))


@pytest.mark.parametrize("model", ["calculator", "ashrae2017"])
def test_frame_adds_the_properties_after_its_own_columns(model):
    df = weather()
    out = humitrax.frame(df, threads=1, model=model)
    pd.testing.assert_frame_equal(df, weather())  # left unchanged
    expected = humitrax.state(df["dry_bulb"], pressure=df["pressure"], relative_humidity=df["relative_humidity"],
                              model=model)
    assert list(out.columns) == list(df.columns) + [name for name in expected if name not in df.columns]
    assert out.index.equals(df.index)
    for name, values in expected.items():
        np.testing.assert_array_equal(out[name].to_numpy(), values)
    assert list(out["status"]) == ["", "", "relative_humidity: not a number", "relative_humidity: above 100 %"]
    # An empty frame gets the columns and dtypes of a full one.
    assert humitrax.frame(df.iloc[:0], model=model).dtypes.equals(out.dtypes)


# given names the property or its column.
@pytest.mark.parametrize("given", ["dew_point", "dp"])
def test_given_columns_are_kept_and_columns_named_like_properties_recomputed(given):
    df = pd.DataFrame({"T": [20.0, 25.0], "alt": [0, 1500], "dp": pd.array([10.0, None], dtype="Float64"),
                       "relative_humidity": [1.0, 2.0], "wet_bulb": 99.0})
    out = humitrax.frame(df, dry_bulb="T", altitude="alt", dew_point="dp", given=given, units="si")
    expected = humitrax.state([20.0, 25.0], altitude=[0, 1500], dew_point=[10.0, np.nan])
    assert list(out.columns[:6]) == ["T", "alt", "dp", "relative_humidity", "wet_bulb", "dry_bulb"]
    assert out["dp"].equals(df["dp"])
    # The stale columns named like properties hold the computed ones, as batch --given writes them.
    for name in ["relative_humidity", "wet_bulb", "pressure", "enthalpy"]:
        np.testing.assert_array_equal(out[name], expected[name])
    assert list(out["status"]) == ["", "dew_point: missing"]  # NA of a nullable column


BASE = {"dry_bulb": [20.0], "pressure": [100.0], "relative_humidity": [50.0]}


@pytest.mark.parametrize("columns, arguments, error, message", [
    ({"pressure": [100.0], "relative_humidity": [50.0]}, {}, ValueError, "no dry bulb column 'dry_bulb'"),
    ({**BASE, "altitude": [0.0]}, {}, ValueError, "pressure column 'pressure' and an altitude column"),
    ({"dry_bulb": [20.0], "relative_humidity": [50.0]}, {}, ValueError, "neither a pressure column"),
    ({"dry_bulb": [20.0], "pressure": [100.0]}, {}, ValueError, "no condition column"),
    ({**BASE, "dew_point": [5.0]}, {}, ValueError, "several condition columns .*say which with given="),
    (BASE, {"given": "rh"}, ValueError, "given must be .* not 'rh'"),
    (BASE, {"given": "wet_bulb"}, ValueError, "no column 'wet_bulb'"),
    ({**BASE, "status": ["x"]}, {}, ValueError, "column 'status'"),
    ({**BASE, "dry_bulb": ["20"]}, {}, TypeError, "column 'dry_bulb' \\(dry_bulb\\) must be numeric"),
    ({**BASE, "pressure": np.array([10**400], dtype=object)}, {}, ValueError,
     "column 'pressure' \\(pressure\\) has a number beyond the range of a float"),
    ({**BASE, "relative_humidity": [50 + 1j]}, {}, TypeError,
     "column 'relative_humidity' \\(relative_humidity\\) must be numeric, not of dtype complex128"),
    ({**BASE, "pressure": np.array([100.0, True], dtype=object), "dry_bulb": [20.0, 21.0],
      "relative_humidity": [50.0, 60.0]}, {}, TypeError, "column 'pressure' \\(pressure\\) must be numeric, not bool"),
    ({"pressure": [100.0], "enthalpy": [50.0], "wet_bulb": [18.0], "relative_humidity": [50.0]}, {}, ValueError,
     "no dry bulb column .*nor two other properties .*say which two with given="),
    (BASE, {"given": "dry_bulb"}, ValueError, "given must be .* not 'dry_bulb'"),
], ids=["no_dry_bulb", "pressure_and_altitude", "no_pressure", "no_condition", "several_conditions",
        "unknown_given", "given_missing", "status_column", "text_column", "int_beyond_float",
        "complex_column", "boolean_in_an_object_column", "three_properties_without_a_dry_bulb",
        "the_dry_bulb_alone_given"])
def test_bad_frames_name_the_problem(columns, arguments, error, message):
    with pytest.raises(error, match=message):
        humitrax.frame(pd.DataFrame(columns), **arguments)


def test_frame_needs_a_data_frame():
    with pytest.raises(TypeError, match="df must be a pandas DataFrame, not dict"):
        humitrax.frame(BASE)


# The header rules: the same table read by batch and by frame gives the same numbers and statuses.
# (name, header, rows, units, model, batch's options and frame's arguments for them)
UNIT_TABLES = [
    ("fahrenheit and hectopascals in si", ["Dry Bulb [°F]", "pressure [hPa]", "RELATIVE_HUMIDITY"],
     [[77.0, 1013.25, 50.0], [14.0, 990.0, 80.0], [95.0, 1005.5, 101.0]], "si", "calculator", [], {}),
    ("celsius and kilopascals in ip", ["dry_bulb [C]", "Pressure [kPa]", "dew point [degC]"],
     [[25.0, 101.325, 12.5], [-8.0, 84.0, -12.0], [30.0, 95.0, 31.0]], "ip", "ashrae2017", [], {}),
    ("feet and grams per kilogram", ["dry_bulb", "altitude [ft]", "humidity_ratio [g/kg]"],
     [[21.0, 5280.0, 7.5], [3.0, -300.0, 2.0], [35.0, 12000.0, 40.0]], "si", "ashrae2017", [], {}),
    ("inches of mercury and grains in ip", ["dry bulb", "pressure [inHg]", "humidity ratio [gr/lb]"],
     [[80.0, 29.92, 70.0], [20.0, 24.5, 8.0]], "ip", "calculator", [], {}),
    ("wet bulb in fahrenheit and pascals", ["Dry_Bulb [degF]", "Pressure [Pa]", "wet_bulb [°F]"],
     [[86.0, 101325.0, 70.0], [23.0, 80000.0, 21.5]], "si", "ashrae2017", [], {}),
    ("pressure unit of a bare column", ["dry_bulb", "pressure", "relative_humidity"],
     [[22.0, 1013.0, 45.0], [-5.0, 850.0, 90.0]], "si", "ashrae2017", ["--pressure-unit", "mbar"],
     {"pressure_unit": "mbar"}),
    ("units in parentheses in ip", ["Dry-bulb (C)", "Pressure (Pa)", "Humidity-ratio (g/kg)"],
     [[25.0, 101325.0, 9.5], [-3.0, 84000.0, 1.0]], "ip", "ashrae2017", [], {}),
    ("units in parentheses in si", ["dry bulb (°F)", "altitude (ft)", "Dew-point (degF)"],
     [[77.0, 1500.0, 55.0], [20.0, -200.0, 8.0]], "si", "calculator", [], {}),
    # A state by any two of its properties.
    ("enthalpy and humidity ratio", ["enthalpy", "pressure", "humidity_ratio [g/kg]"],
     [[50.0, 101.325, 8.0], [20.0, 90.0, 3.5], [50.0, 101.325, 200.0]], "si", "ashrae2017", [], {}),
    ("wet bulb and relative humidity in ip", ["wet_bulb", "altitude", "relative_humidity"],
     [[64.0, 5000.0, 60.0], [40.0, 0.0, 90.0]], "ip", "calculator", [], {}),
    ("two chosen from batch's own output", ["dry_bulb", "pressure", "dew_point", "relative_humidity", "enthalpy"],
     [[30.0, 101.325, 12.0, 40.0, 55.0], [10.0, 95.0, 2.0, 70.0, 20.0]], "si", "ashrae2017",
     ["--given", "dew_point,enthalpy"], {"given": "dew_point,enthalpy"}),
    ("the same moisture twice", ["dew_point", "pressure", "vapour_pressure [hPa]"],
     [[10.0, 101.325, 12.3]], "si", "ashrae2017", [], {}),
]


@pytest.mark.parametrize("header, rows, units, model, options, arguments", [case[1:] for case in UNIT_TABLES],
                         ids=[case[0] for case in UNIT_TABLES])
def test_units_in_the_names_give_batchs_numbers(cli, tmp_path, header, rows, units, model, options, arguments):
    path = tmp_path / "table.csv"
    path.write_text("\n".join([",".join(header)] + [",".join(map(repr, row)) for row in rows]) + "\n", "utf-8")
    done = subprocess.run([cli, "batch", "--units", units, "--model", model, "--jobs", "1", *options, str(path)],
                          capture_output=True, text=True, check=False)
    assert done.returncode in (0, 1), done.stderr
    expected = list(csv.DictReader(io.StringIO(done.stdout)))
    out = humitrax.frame(pd.read_csv(path, float_precision="round_trip"), units=units, model=model, **arguments)
    for name in expected[0]:
        got = out[name].tolist()
        if name == "status":
            assert got == [row[name].replace("--model ashrae2017", 'model="ashrae2017"') for row in expected]
        else:
            assert [float(x).hex() for x in got] == [float(row[name] or "nan").hex() for row in expected], name


# (name, header, rows, units, the column passed through): a name read only by a
# hyphen or parentheses yields to one read strictly for the same place (the
# dry bulb, the pressure or altitude, the condition) and passes through.
YIELDING = [
    ("strict dry bulb over a parenthesised one", ["Dry-bulb (F)", "dry_bulb", "pressure", "relative_humidity"],
     [[68.0, 20.0, 101.325, 50.0], [95.0, 35.0, 99.0, 30.0]], "si", "Dry-bulb (F)"),
    ("strict dry bulb in brackets over a hyphenated one",
     ["dry-bulb", "Dry Bulb [°F]", "pressure [hPa]", "Relative Humidity"],
     [[20.0, 68.0, 1013.0, 50.0], [35.0, 95.0, 990.0, 30.0]], "si", "dry-bulb"),
    ("strict pressure over a parenthesised altitude", ["dry_bulb", "Altitude (ft)", "pressure", "dew_point"],
     [[77.0, 5280.0, 14.696, 50.0], [50.0, 0.0, 12.2, 40.0]], "ip", "Altitude (ft)"),
    ("strict condition over a parenthesised one of its own",
     ["dry_bulb", "pressure", "Relative-humidity (%)", "relative_humidity"],
     [[25.0, 101.325, 99.0, 50.0], [30.0, 95.0, 1.0, 20.0]], "si", "Relative-humidity (%)"),
    # frame replaces a column named like a property of another condition by
    # the computed values, where batch passes it through beside its own.
    ("strict condition over a hyphenated one of another", ["dry_bulb", "pressure", "Dew-point (C)", "wet_bulb"],
     [[25.0, 101.325, 30.0, 18.0], [30.0, 95.0, 5.0, 20.0]], "si", None),
]


@pytest.mark.parametrize("header, rows, units, kept", [case[1:] for case in YIELDING],
                         ids=[case[0] for case in YIELDING])
def test_loose_names_yield_to_strict_ones_as_in_batch(cli, tmp_path, header, rows, units, kept):
    path = tmp_path / "table.csv"
    path.write_text("\n".join([",".join(header)] + [",".join(map(repr, row)) for row in rows]) + "\n", "utf-8")
    done = subprocess.run([cli, "batch", "--units", units, "--jobs", "1", str(path)],
                          capture_output=True, text=True, check=False)
    assert done.returncode in (0, 1), done.stderr
    expected = list(csv.DictReader(io.StringIO(done.stdout)))
    df = pd.read_csv(path, float_precision="round_trip")
    out = humitrax.frame(df, units=units)
    computed = list(humitrax.state(20.0, altitude=0.0, dew_point=10.0, units=units))
    assert set(computed) <= set(expected[0]) and set(computed) <= set(out.columns)
    # The same numbers and statuses.
    for name in computed:
        got = out[name].tolist()
        if name == "status":
            assert got == [row[name] for row in expected]
        else:
            assert [float(x).hex() for x in got] == [float(row[name] or "nan").hex() for row in expected], name
    # The loose name of the place read passes through unchanged, as batch passes it.
    if kept is not None:
        assert kept in expected[0] and [float(row[kept]) for row in expected] == df[kept].tolist()
        assert out[kept].equals(df[kept])
    else:
        assert "Dew-point (C)" in expected[0] and "Dew-point (C)" not in out.columns


# Parentheses and hyphens name what brackets and underscores do.
@pytest.mark.parametrize("header", [
    ["Dry-bulb (°F)", "Pressure (mbar)", "Dew-point (F)"],
    ["DRY-BULB [°F]", "pressure (MBAR)", "dew - point [f]"],
    [" dry bulb\t(degF) ", "Pressure[mbar]", "dew_point (°F)"],
], ids=["tmy3_style", "mixed_case", "blanks_and_tabs"])
def test_parentheses_and_hyphens_read_as_brackets_and_underscores(header):
    values = {"dry": [68.0, 23.0], "pressure": [1013.2, 870.0], "dew": [50.0, 10.0]}
    bracketed = pd.DataFrame(dict(zip(["dry_bulb [°F]", "pressure [mbar]", "dew_point [°F]"], values.values())))
    expected = humitrax.frame(bracketed, model="ashrae2017")
    out = humitrax.frame(pd.DataFrame(dict(zip(header, values.values()))), model="ashrae2017")
    pd.testing.assert_frame_equal(out.iloc[:, 3:], expected.iloc[:, 3:])


def test_columns_named_like_properties_hold_them_in_the_unit_systems_units():
    df = pd.DataFrame({"Enthalpy [Btu/lb]": [1.0], "Dry Bulb [°F]": [77.0], "pressure": [1013.25],
                       "rh": [50.0], "wet-bulb": [0.0]})
    df.attrs["site"] = "roof"
    out = humitrax.frame(df, relative_humidity="RH", given="rh", pressure_unit="hPa", model="calculator")
    expected = humitrax.state(25.0, pressure=101.325, relative_humidity=50.0, model="calculator")
    assert list(out.columns[:5]) == ["enthalpy", "Dry Bulb [°F]", "pressure", "rh", "wet_bulb"]
    assert out["Dry Bulb [°F]"].tolist() == [77.0] and out["rh"].tolist() == [50.0]
    assert all(out[name].tolist() == [expected[name]] for name in ["enthalpy", "pressure", "wet_bulb", "dry_bulb"])
    assert out.attrs == {"site": "roof"}


def test_attrs_given_chooses_among_several_conditions_and_given_overrides_it():
    df = pd.DataFrame({"dry_bulb": [20.0], "pressure": [101.325], "dew_point": [5.0], "relative_humidity": [90.0]})
    df.attrs["given"] = "relative_humidity"
    assert humitrax.frame(df, model="calculator")["dew_point"][0] == \
        humitrax.state(20.0, pressure=101.325, relative_humidity=90.0, model="calculator")["dew_point"]
    assert humitrax.frame(df, given="dew_point", model="calculator")["relative_humidity"][0] == \
        humitrax.state(20.0, pressure=101.325, dew_point=5.0, model="calculator")["relative_humidity"]
    df.attrs["given"] = "wet_bulb"
    with pytest.raises(ValueError, match=r"the frame's attrs\['given'\], but the frame has no column 'wet_bulb'"):
        humitrax.frame(df, model="calculator")


@pytest.mark.parametrize("columns, arguments, error, message", [
    ({**BASE, "Dry Bulb [F]": [68.0]}, {}, ValueError, "two dry bulb columns, 'dry_bulb' and 'Dry Bulb \\[F\\]'"),
    ({**BASE, "dry_bulb": None, "dry_bulb [kPa]": [20.0]}, {}, ValueError,
     "the column 'dry_bulb \\[kPa\\]' gives the unit 'kPa', which is not one of C, °C, F or °F"),
    ({**BASE, "dry_bulb": None, "dry_bulb [C": [20.0]}, {}, ValueError,
     "the column 'dry_bulb \\[C' opens a unit bracket and never closes it \\('dry_bulb \\[C\\]' would\\)"),
    ({**BASE, "dry_bulb": None, "dry_bulb (C": [20.0]}, {}, ValueError, "no dry bulb column 'dry_bulb'"),
    ({**BASE, "dry_bulb": None, "Dry-bulb (K)": [20.0]}, {}, ValueError,
     "no dry bulb column 'dry_bulb' \\(dry_bulb=\\); 'Dry-bulb \\(K\\)' is dry_bulb only with a unit of "
     "C, °C, F or °F"),
    ({**BASE, "dry_bulb": None, "Dry-bulb (C)": [20.0], "dry-bulb [F]": [68.0]}, {}, ValueError,
     "two dry bulb columns, 'Dry-bulb \\(C\\)' and 'dry-bulb \\[F\\]'"),
    ({**BASE, "pressure": None, "altitude": [0.0]}, {"pressure_unit": "hPa"}, ValueError,
     "pressure_unit is for a pressure column, and the frame has an altitude column 'altitude'"),
    (BASE, {"pressure_unit": "psig"}, ValueError, "pressure_unit gives the unit 'psig', which is not one of kPa"),
    (BASE, {"pressure_unit": 1000}, TypeError, "pressure_unit must be a str, not int"),
    (BASE, {"dry_bulb": 0}, TypeError, "dry_bulb must be a column name \\(str\\), not int"),
    ({**BASE, "Status": [""]}, {}, ValueError, "column 'status'"),
    ({**BASE, "T": [1.0]}, {"dry_bulb": "t", "wet_bulb": "T"}, ValueError, "'T' is named for both dry_bulb and wet_bulb"),
], ids=["two_dry_bulbs", "unit_that_does_not_fit", "unclosed_bracket", "unclosed_parenthesis_names_nothing",
        "unit_in_parentheses_not_of_the_role", "two_loose_dry_bulbs_and_no_strict_one", "pressure_unit_with_altitude",
        "unknown_pressure_unit", "pressure_unit_not_text", "column_name_not_text", "status_in_any_case",
        "one_column_for_two"])
def test_header_rules_refuse_what_batch_refuses(columns, arguments, error, message):
    with pytest.raises(error, match=message):
        humitrax.frame(pd.DataFrame({k: v for k, v in columns.items() if v is not None}), **arguments)
