"""humitrax.read_epw and read_tmy3: the files' fields, times and missing values; frame takes the result as batch reads the file."""

import csv
import datetime
import io
import math
import pathlib
import subprocess

import numpy as np
import pandas as pd
import pytest

import humitrax

DATA = pathlib.Path(__file__).parent / "data"
EPW = DATA / "testville.epw"
TMY3 = DATA / "testville-tmy3.csv"
ZONE = datetime.timezone(datetime.timedelta(hours=-7))


def raw_lines(path, skip):
    """The file's data lines as lists of fields."""
    return [line.split(",") for line in path.read_text().splitlines()[skip:]]


def time(text):
    return pd.Timestamp(text).tz_localize(ZONE)


def test_epw_fields_times_and_place():
    weather = humitrax.read_epw(EPW)
    assert len(weather.columns) == 35 and len(weather) == 72
    assert list(weather.columns[:10]) == ["year", "month", "day", "hour", "minute", "data_source_flags", "dry_bulb [C]",
                                          "dew_point [C]", "relative_humidity [%]", "pressure [Pa]"]
    assert weather.attrs == {"name": "Testville", "state": "CO", "country": "USA", "source": "Synthetic",
                             "wmo": "999001", "latitude": 39.75, "longitude": -104.87, "time_zone": -7.0,
                             "elevation": 1650.0, "given": "dew_point"}
    # Hour 1 ends at 01:00, hour 24 at the next midnight, of the next year after 31 December.
    assert weather.index.name == "time" and str(weather.index.tz) == "UTC-07:00"
    assert list(weather.index[[0, 23, 24, 48, 71]]) == [time("1997-01-01 01:00"), time("1997-01-02 00:00"),
                                                       time("1997-01-02 01:00"), time("2001-12-31 01:00"),
                                                       time("2002-01-01 00:00")]
    # Every numeric field is the file's text read as a number, but for the missing codes.
    raw = raw_lines(EPW, 8)
    for position, (name, dtype) in enumerate(weather.dtypes.items()):
        written = [fields[position] for fields in raw]
        if dtype == object:
            assert weather[name].tolist() == written, name
        else:
            read = weather[name].to_numpy()
            assert all(math.isnan(x) or x == float(text) for x, text in zip(read, written)), name


# (name, column, row, value): the missing codes of the data dictionary, and values kept as written.
EPW_VALUES = [
    ("dry bulb 99.9 missing", "dry_bulb [C]", 4, math.nan),
    ("dew point 99.9 missing", "dew_point [C]", 5, math.nan),
    ("relative humidity 999 missing", "relative_humidity [%]", 26, math.nan),
    ("pressure 999999 missing", "pressure [Pa]", 33, math.nan),
    ("wind speed 999 missing", "wind_speed [m/s]", 54, math.nan),
    ("visibility 9999 missing", "visibility [km]", 55, math.nan),
    ("ceiling 99999 missing", "ceiling_height [m]", 55, math.nan),
    ("aerosol optical depth .999 missing", "aerosol_optical_depth [thousandths]", 55, math.nan),
    ("albedo 999 missing", "albedo", 0, math.nan),
    ("precipitation quantity 99 missing", "liquid_precipitation_quantity [hr]", 0, math.nan),
    ("sub-zero dry bulb as written", "dry_bulb [C]", 0, -10.2),
    ("pressure in pascals as written", "pressure [Pa]", 0, 83440.0),
    ("unlimited ceiling 77777 kept", "ceiling_height [m]", 0, 77777.0),
    ("present weather codes as text", "present_weather_codes", 0, "999999999"),
    ("hour 24 as written", "hour", 23, 24),
]


@pytest.mark.parametrize("column, row, value", [case[1:] for case in EPW_VALUES], ids=[case[0] for case in EPW_VALUES])
def test_epw_values(column, row, value):
    read = humitrax.read_epw(EPW)[column].iloc[row]
    assert (math.isnan(read) if isinstance(value, float) and math.isnan(value) else read == value)


def batch_rows(cli, path, model, *options):
    done = subprocess.run([cli, "batch", "--model", model, "--jobs", "1", *options, str(path)],
                          capture_output=True, text=True, check=False)
    assert done.returncode == 1, done.stderr  # some rows fail
    return list(csv.DictReader(io.StringIO(done.stdout)))


def assert_frame_is_batch(states, rows, read=None):
    """Every property of batch's rows bit for bit; the statuses of the rows `read` (default all), where batch's
    "missing" code is the frame's NaN."""
    assert len(states) == len(rows)
    for name in rows[0]:
        if name in ("year", "month", "day", "hour", "minute", "status"):
            continue
        assert [x.hex() for x in states[name].tolist()] == [float(row[name] or "nan").hex() for row in rows], name
    expected = [row["status"].replace(": missing", ": not a number").replace("--model ashrae2017", 'model="ashrae2017"')
                for row in rows]
    read = np.ones(len(rows), dtype=bool) if read is None else read
    assert [s for s, r in zip(states["status"], read) if r] == [s for s, r in zip(expected, read) if r]
    assert any(expected) and not all(expected)


@pytest.mark.parametrize("model", ["calculator", "ashrae2017"])
def test_frame_of_an_epw_is_batch_of_the_file(cli, model):
    states = humitrax.frame(humitrax.read_epw(EPW), model=model, threads=1)
    assert_frame_is_batch(states, batch_rows(cli, EPW, model))
    given_rh = humitrax.frame(humitrax.read_epw(EPW), given="relative_humidity", model=model, threads=1)
    assert_frame_is_batch(given_rh, batch_rows(cli, EPW, model, "--given", "relative_humidity"))


def test_tmy3_fields_times_and_station():
    weather = humitrax.read_tmy3(TMY3)
    assert len(weather) == 48 and len(weather.columns) == 66 + 5
    assert weather.attrs == {"usaf": "999001", "name": "TESTVILLE MUNI AP", "state": "CO", "time_zone": -7.0,
                             "latitude": 39.75, "longitude": -104.867, "elevation": 1650.0, "given": "dew_point"}
    assert list(weather.index[[0, 22, 23, 24, 47]]) == [time("1988-01-01 01:00"), time("1988-01-01 23:00"),
                                                       time("1988-01-02 00:00"), time("1988-01-02 01:00"),
                                                       time("1988-01-03 00:00")]
    assert weather[["year", "month", "day", "hour", "minute"]].iloc[23].tolist() == [1988, 1, 1, 24, 0]
    expected = {"dry_bulb [C]": "float64", "dry_bulb_source": "object", "dry_bulb_uncertainty": "float64",
                "global_horizontal_radiation [W/m^2]": "float64", "global_horizontal_illuminance_uncertainty [%]": "float64",
                "relative_humidity [%]": "float64", "pressure [mbar]": "float64", "aerosol_optical_depth": "float64",
                "liquid_precipitation_quantity [hr]": "float64", "liquid_precipitation_source": "object"}
    assert {name: str(weather[name].dtype) for name in expected} == expected
    # -9900 is missing, with its source "?"; every other number as written.
    raw = raw_lines(TMY3, 2)
    for position, name in enumerate(weather.columns[5:], start=2):
        written = [fields[position] for fields in raw]
        read = weather[name].tolist()
        if weather[name].dtype == object:
            assert read == written, name
        else:
            assert [math.isnan(x) for x in read] == [text == "-9900" for text in written], name
            assert all(x == float(text) for x, text in zip(read, written) if text != "-9900"), name
    assert weather["dry_bulb_source"].iloc[4] == "?" and math.isnan(weather["dry_bulb [C]"].iloc[4])


@pytest.mark.parametrize("model", ["calculator", "ashrae2017"])
def test_frame_of_a_tmy3_is_batch_of_its_columns(cli, tmp_path, model):
    weather = humitrax.read_tmy3(TMY3)
    # The same columns as a batch table; a missing value is an empty field.
    raw = raw_lines(TMY3, 2)
    table = tmp_path / "tmy3.csv"
    table.write_text("dry_bulb [C],dew_point [C],pressure [mbar]\n" + "".join(
        ",".join("" if fields[i] == "-9900" else fields[i] for i in (31, 34, 40)) + "\n" for fields in raw))
    rows = batch_rows(cli, table, model)
    read = np.array([all(fields[i] != "-9900" for i in (31, 34, 40)) for fields in raw])
    assert_frame_is_batch(humitrax.frame(weather, model=model, threads=1), rows, read)


EPW_HEADER = ["LOCATION,Here,,XX,Test,1,10.0,20.0,1.0,5.0", "DESIGN CONDITIONS,0", "TYPICAL/EXTREME PERIODS,0",
              "GROUND TEMPERATURES,0", "HOLIDAYS/DAYLIGHT SAVINGS,No,0,0,0", "COMMENTS 1,", "COMMENTS 2,",
              "DATA PERIODS,1,1,Data,Sunday, 1/ 1,12/31"]
LINE = "2020,3,1,{hour},{minute},flags,{dry},-2.0,80,100000" + ",0" * 16 + ",9,999999999" + ",0" * 7


def epw_line(hour=1, minute=60, dry="1.5"):
    return LINE.format(hour=hour, minute=minute, dry=dry)


def test_epw_minutes_extra_fields_and_latin1(tmp_path):
    path = tmp_path / "x.epw"
    lines = [EPW_HEADER[0].replace("Here", "Z\u00fcrich")] + EPW_HEADER[1:] + \
        [epw_line(1, 15), epw_line(1, 0) + ",extra,fields", epw_line(24, 30), ""]
    path.write_bytes("\n".join(lines).encode("latin-1"))
    weather = humitrax.read_epw(path)
    hour = datetime.timezone(datetime.timedelta(hours=1))
    assert weather.attrs["name"] == "Z\u00fcrich" and len(weather.columns) == 35
    assert list(weather.index) == [pd.Timestamp(t).tz_localize(hour)
                                   for t in ("2020-03-01 00:15", "2020-03-01 01:00", "2020-03-01 23:30")]


@pytest.mark.parametrize("lines, message", [
    (["LOCATIONS,x"] + EPW_HEADER[1:], "line 1: an EnergyPlus weather file has its LOCATION line here"),
    (EPW_HEADER[:3] + EPW_HEADER[4:] + [epw_line()], "line 4: .* GROUND TEMPERATURES line here"),
    (EPW_HEADER[:5], "ends before its eight header lines \\(5 lines\\)"),
    ([EPW_HEADER[0].replace(",1.0,5.0", ",15.0,5.0")] + EPW_HEADER[1:], "line 1: the time zone 15 h lies outside"),
    ([EPW_HEADER[0].replace("10.0", "north")] + EPW_HEADER[1:], "line 1, the latitude: 'north' is not a number"),
    (EPW_HEADER + [epw_line(), epw_line().rsplit(",", 1)[0]], "line 10: 34 fields; .* has 35"),
    (EPW_HEADER + [epw_line(dry="warm")], "line 9: dry_bulb \\[C\\] 'warm' is not a number"),
    (EPW_HEADER + [epw_line(dry="nan")], "line 9: dry_bulb \\[C\\] 'nan' is not a number"),
    (EPW_HEADER + [epw_line(hour=25)], "line 9: the hour '25' is not a whole number from 1 to 24"),
    (EPW_HEADER + [epw_line(minute=61)], "line 9: the minute '61' is not a whole number from 0 to 60"),
    (EPW_HEADER + [epw_line().replace("2020,3,1", "2019,2,29")], "line 9: 2019-02-29 is no date"),
], ids=["not_location", "header_line_missing", "header_cut_short", "time_zone_beyond_the_earth",
        "latitude_not_a_number", "data_line_short", "text_for_a_number", "nan_for_a_number", "hour_25",
        "minute_61", "february_29_of_a_common_year"])
def test_epw_that_cannot_be_read(tmp_path, lines, message):
    path = tmp_path / "bad.epw"
    path.write_text("\n".join(lines) + "\n")
    with pytest.raises(ValueError, match=message):
        humitrax.read_epw(path)


TMY3_START = ['1,"A",XX,-5.0,40.0,-75.0,10', "Date (MM/DD/YYYY),Time (HH:MM),Dry-bulb (C),Dry-bulb source"]


def test_tmy3_columns_beyond_the_manuals_keep_their_words(tmp_path):
    path = tmp_path / "x.csv"
    path.write_text("\n".join([TMY3_START[0], "Time (HH:MM),Date (MM/DD/YYYY),Dry-bulb (C),Dry-bulb (C),Snow Depth (cm),"
                                "PresWth (METAR code)", "24:00,12/31/1999,1.0,2.0,,71"]))
    weather = humitrax.read_tmy3(path)
    assert list(weather.columns[5:]) == ["dry_bulb [C]", "dry_bulb_4 [C]", "snow_depth [cm]", "present_weather"]
    assert weather.iloc[0, 5:].tolist()[:2] == [1.0, 2.0] and math.isnan(weather["snow_depth [cm]"].iloc[0])
    assert weather.index[0] == pd.Timestamp("2000-01-01 00:00").tz_localize(datetime.timezone(datetime.timedelta(hours=-5)))


@pytest.mark.parametrize("lines, message", [
    (['1,"A",XX,-5.0,40.0'] + TMY3_START[1:], "line 1: the station line has 5 fields, not 7"),
    ([TMY3_START[0], "Day,Time (HH:MM),Dry-bulb (C)"], "line 2: the header has no Date column"),
    (TMY3_START + ["01/01/1999,01:00,5.0"], "line 3: 3 fields; the header, line 2, has 4"),
    (TMY3_START + ["1999-01-01,01:00,5.0,A"], "line 3: the date '1999-01-01' is not MM/DD/YYYY"),
    (TMY3_START + ["02/30/1999,01:00,5.0,A"], "line 3: 1999-02-30 is no date"),
    (TMY3_START + ["01/01/1999,24:30,5.0,A"], "line 3: the time '24:30' is not HH:MM from 00:00 to 24:00"),
    (TMY3_START + ["01/01/1999,1 pm,5.0,A"], "line 3: the time '1 pm' is not HH:MM"),
    (TMY3_START + ["01/01/1999,01:00,five,A"], "line 3: 'Dry-bulb \\(C\\)' 'five' is not a number"),
    (TMY3_START[:1], "a TMY3 file has a station line and a header line; this one has 1 lines"),
], ids=["station_short", "no_date_column", "line_short", "date_not_mm_dd_yyyy", "february_30", "after_24_00",
        "time_in_words", "text_for_a_number", "no_header"])
def test_tmy3_that_cannot_be_read(tmp_path, lines, message):
    path = tmp_path / "bad.csv"
    path.write_text("\n".join(lines) + "\n")
    with pytest.raises(ValueError, match=message):
        humitrax.read_tmy3(path)


def test_a_file_that_is_not_there_raises_oserror(tmp_path):
    for read in (humitrax.read_epw, humitrax.read_tmy3):
        with pytest.raises(FileNotFoundError):
            read(tmp_path / "nowhere")
