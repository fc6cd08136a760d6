"""humitrax.frame: the properties added to a copy of a pandas DataFrame."""

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
], ids=["no_dry_bulb", "pressure_and_altitude", "no_pressure", "no_condition", "several_conditions",
        "unknown_given", "given_missing", "status_column", "text_column", "int_beyond_float",
        "complex_column", "boolean_in_an_object_column"])
def test_bad_frames_name_the_problem(columns, arguments, error, message):
    with pytest.raises(error, match=message):
        humitrax.frame(pd.DataFrame(columns), **arguments)


def test_frame_needs_a_data_frame():
    with pytest.raises(TypeError, match="df must be a pandas DataFrame, not dict"):
        humitrax.frame(BASE)
