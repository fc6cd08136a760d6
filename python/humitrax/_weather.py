"""humitrax.read_epw, read_tmy3: weather files as pandas frames that frame takes as they are."""

import csv
import datetime
import io
import os
import re

import numpy as np

from . import _humitrax

_NUMBER = re.compile(r"[+-]?(?:\d+\.?\d*|\.\d+)(?:[eE][+-]?\d+)?")
_WHOLE = re.compile(r"[+-]?\d+")

# The hourly data fields of an EnergyPlus weather file, in order: the column
# name (with the field's unit as the data dictionary gives it, in brackets)
# and the value at and above which the field is missing (None: no code; str:
# a text field).
_EPW_FIELDS = [
    ("year", int), ("month", int), ("day", int), ("hour", int), ("minute", int),
    ("data_source_flags", str),
    ("dry_bulb [C]", 99.9),
    ("dew_point [C]", 99.9),
    ("relative_humidity [%]", 999.0),
    ("pressure [Pa]", 999999.0),
    ("extraterrestrial_horizontal_radiation [Wh/m2]", 9999.0),
    ("extraterrestrial_direct_normal_radiation [Wh/m2]", 9999.0),
    ("horizontal_infrared_radiation [Wh/m2]", 9999.0),
    ("global_horizontal_radiation [Wh/m2]", 9999.0),
    ("direct_normal_radiation [Wh/m2]", 9999.0),
    ("diffuse_horizontal_radiation [Wh/m2]", 9999.0),
    ("global_horizontal_illuminance [lux]", 999999.0),
    ("direct_normal_illuminance [lux]", 999999.0),
    ("diffuse_horizontal_illuminance [lux]", 999999.0),
    ("zenith_luminance [Cd/m2]", 9999.0),
    ("wind_direction [degrees]", 999.0),
    ("wind_speed [m/s]", 999.0),
    ("total_sky_cover [tenths]", 99.0),
    ("opaque_sky_cover [tenths]", 99.0),
    ("visibility [km]", 9999.0),
    ("ceiling_height [m]", 99999.0),
    ("present_weather_observation", None),
    ("present_weather_codes", str),
    ("precipitable_water [mm]", 999.0),
    ("aerosol_optical_depth [thousandths]", 0.999),
    ("snow_depth [cm]", 999.0),
    ("days_since_last_snowfall", 99.0),
    ("albedo", 999.0),
    ("liquid_precipitation_depth [mm]", 999.0),
    ("liquid_precipitation_quantity [hr]", 99.0),
]
_EPW_HEADER_LINES = ("LOCATION", "DESIGN CONDITIONS", "TYPICAL/EXTREME PERIODS", "GROUND TEMPERATURES",
                     "HOLIDAYS/DAYLIGHT SAVINGS", "COMMENTS 1", "COMMENTS 2", "DATA PERIODS")

# The TMY3 columns' short names (as the header rules read them) and the names given here.
_TMY3_NAMES = {
    "etr": "extraterrestrial_horizontal_radiation", "etrn": "extraterrestrial_direct_normal_radiation",
    "ghi": "global_horizontal_radiation", "dni": "direct_normal_radiation", "dhi": "diffuse_horizontal_radiation",
    "gh_illum": "global_horizontal_illuminance", "global_illum": "global_horizontal_illuminance",
    "dn_illum": "direct_normal_illuminance", "dh_illum": "diffuse_horizontal_illuminance",
    "zenith_lum": "zenith_luminance", "totcld": "total_sky_cover", "opqcld": "opaque_sky_cover",
    "dry_bulb": "dry_bulb", "dew_point": "dew_point", "rhum": "relative_humidity", "pressure": "pressure",
    "wdir": "wind_direction", "wspd": "wind_speed", "hvis": "visibility", "ceilhgt": "ceiling_height",
    "pwat": "precipitable_water", "aod": "aerosol_optical_depth", "alb": "albedo",
    "lprecip_depth": "liquid_precipitation_depth", "lprecip_quantity": "liquid_precipitation_quantity",
    "lprecip": "liquid_precipitation", "preswth": "present_weather",
}
_TMY3_MISSING = -9900.0
# The years a pandas index holds whole.
_YEARS = (1678, 2261)
_NO_UNIT = ("", "unitless", "code")


def _text(path):
    """The file's text: UTF-8 (a byte-order mark skipped), else Latin-1, in
    which older weather files write their place names."""
    with open(os.fspath(path), "rb") as file:
        data = file.read()
    try:
        return data.decode("utf-8-sig")
    except UnicodeDecodeError:
        return data.decode("latin-1")


def _records(text):
    """(line number, fields) of every line that is not blank."""
    for number, line in enumerate(io.StringIO(text, newline=None), start=1):
        if line.strip():
            yield number, next(csv.reader([line]))


def _number(text, where):
    text = text.strip()
    if not _NUMBER.fullmatch(text):
        raise ValueError(f"{where}: {text!r} is not a number")
    return float(text)


def _numbers(texts, lines, label, missing_at=None, missing=None):
    """The column's float64 values; NaN where empty, at or above `missing_at`
    or equal to `missing`."""
    values = np.empty(len(texts))
    for i, (text, line) in enumerate(zip(texts, lines)):
        text = text.strip()
        if not text:
            values[i] = np.nan
            continue
        if not _NUMBER.fullmatch(text):
            raise ValueError(f"line {line}: {label} {text!r} is not a number")
        values[i] = float(text)
    if missing_at is not None:
        values[values >= missing_at] = np.nan
    if missing is not None:
        values[values == missing] = np.nan
    return values


def _wholes(texts, lines, label, lowest, highest):
    values = np.empty(len(texts), dtype=np.int64)
    for i, (text, line) in enumerate(zip(texts, lines)):
        text = text.strip()
        if not _WHOLE.fullmatch(text) or not lowest <= int(text) <= highest:
            raise ValueError(f"line {line}: the {label} {text!r} is not a whole number from {lowest} to {highest}")
        values[i] = int(text)
    return values


def _time_zone(text, where):
    hours = _number(text, f"{where}, the time zone")
    if not -12.0 <= hours <= 14.0:
        raise ValueError(f"{where}: the time zone {hours:g} h lies outside -12 to +14 h from UTC")
    return datetime.timezone(datetime.timedelta(hours=hours)), hours


def _index(year, month, day, minutes, lines, zone):
    """The end of each row's interval: its date and `minutes` after its
    midnight, in the fixed zone."""
    import pandas as pd

    dates = pd.to_datetime(pd.DataFrame({"year": year, "month": month, "day": day}), errors="coerce")
    bad = np.flatnonzero(dates.isna().to_numpy())
    if bad.size:
        i = bad[0]
        raise ValueError(f"line {lines[i]}: {year[i]:04d}-{month[i]:02d}-{day[i]:02d} is no date")
    index = pd.DatetimeIndex(dates + pd.to_timedelta(minutes, unit="min"), name="time")
    return index.tz_localize(zone)


def _frame(columns, index, attrs):
    import pandas as pd

    df = pd.DataFrame(columns, index=index)
    df.attrs.update(attrs)
    return df


def read_epw(path):
    """An EnergyPlus weather file (EPW) as a pandas DataFrame.

    Every hourly data field under a readable name with its unit, missing
    values as NaN, the end of each row's interval as the index and the
    place in ``attrs``. The frame goes to ``humitrax.frame`` as it is:
    the names of the dry bulb, dew point, relative humidity and pressure
    columns give their units, and ``attrs["given"]`` says to read the dew
    point, as ``humitrax-cli batch`` reads a weather file.

    Parameters
    ----------
    path : str or os.PathLike
        The file: eight header lines (LOCATION, DESIGN CONDITIONS,
        TYPICAL/EXTREME PERIODS, GROUND TEMPERATURES, HOLIDAYS/DAYLIGHT
        SAVINGS, COMMENTS 1, COMMENTS 2, DATA PERIODS), then one line of at
        least 35 comma-separated fields per interval; further fields are
        left out. UTF-8, or Latin-1 where it is not UTF-8.

    Returns
    -------
    pandas.DataFrame
        One row per data line, in the file's order, with the index
        ``time``: the end of the row's interval (see Notes), in local
        standard time with the file's fixed offset from UTC. The columns,
        the 35 fields in order:

        - ``year``, ``month``, ``day``, ``hour`` (1 to 24), ``minute``
          (int64), as the file gives them
        - ``data_source_flags`` (str)
        - ``dry_bulb [C]``, ``dew_point [C]`` : [°C]
        - ``relative_humidity [%]`` : [%]
        - ``pressure [Pa]`` : atmospheric station pressure [Pa]
        - ``extraterrestrial_horizontal_radiation [Wh/m2]``,
          ``extraterrestrial_direct_normal_radiation [Wh/m2]``,
          ``horizontal_infrared_radiation [Wh/m2]``,
          ``global_horizontal_radiation [Wh/m2]``,
          ``direct_normal_radiation [Wh/m2]``,
          ``diffuse_horizontal_radiation [Wh/m2]`` : [Wh/m²]
        - ``global_horizontal_illuminance [lux]``,
          ``direct_normal_illuminance [lux]``,
          ``diffuse_horizontal_illuminance [lux]`` : [lx]
        - ``zenith_luminance [Cd/m2]`` : [cd/m²]
        - ``wind_direction [degrees]`` : [°], ``wind_speed [m/s]`` : [m/s]
        - ``total_sky_cover [tenths]``, ``opaque_sky_cover [tenths]`` :
          [tenths]
        - ``visibility [km]`` : [km], ``ceiling_height [m]`` : [m]
        - ``present_weather_observation`` (0 or 9),
          ``present_weather_codes`` (str, the nine digits as written)
        - ``precipitable_water [mm]`` : [mm]
        - ``aerosol_optical_depth [thousandths]`` : [thousandths]
        - ``snow_depth [cm]`` : [cm], ``days_since_last_snowfall`` : [d]
        - ``albedo`` : [1]
        - ``liquid_precipitation_depth [mm]`` : [mm],
          ``liquid_precipitation_quantity [hr]`` : [h]

        Each numeric field is float64, the file's values as written (no
        unit converted), NaN where the field is empty or holds its
        missing code. ``attrs`` holds the LOCATION line: ``name`` (the
        city), ``state``, ``country``, ``source``, ``wmo`` (str),
        ``latitude`` and ``longitude`` [°, north and east positive],
        ``time_zone`` [h from UTC], ``elevation`` [m]; and ``given``:
        ``"dew_point"``.

    Raises
    ------
    OSError
        The file cannot be read.
    ValueError
        A header line that is not the one its place requires, a data line
        with fewer than 35 fields, a field that is no number where one is
        needed, a date that does not exist, an hour outside 1 to 24 or a
        minute outside 0 to 60, a time zone outside -12 to +14 h; the
        message names the line.

    See Also
    --------
    read_tmy3 : The same for an NREL TMY3 file.
    frame : The properties of each row.

    Notes
    -----
    The fields and their missing codes are those of the EPW data
    dictionary [1]_: a value at or above the code is missing (dry bulb
    and dew point 99.9; relative humidity 999; pressure 999999; the
    radiation fields and zenith luminance 9999; the illuminances 999999;
    wind direction and speed 999; sky covers 99; visibility 9999; ceiling
    height 99999; precipitable water, snow depth, albedo and liquid
    precipitation depth 999; aerosol optical depth .999; days since the
    last snowfall and liquid precipitation quantity 99).

    The hour of a data line is the hour ending: hour 1 covers 00:00 to
    01:00 and hour 24 covers 23:00 to midnight. The index is the end of
    the interval, so hour 24 of a day is 00:00 of the next day (of the
    next year after 31 December), and a minute of 0 or 60 is the end of
    the hour; a minute from 1 to 59 (files of several intervals an hour)
    is that minute of the hour: hour 1, minute 15 ends at 00:15. A
    typical year's months come from different years, whose numbers the
    index keeps: it may step back between months.

    References
    ----------
    .. [1] U.S. Department of Energy. *EnergyPlus Auxiliary Programs*,
       "Weather Converter Program": "EnergyPlus Weather File (EPW) Data
       Dictionary" and "Data Field Descriptions".

    Examples
    --------
    Hour 24 ends at midnight; the frame's properties follow:

    >>> weather = humitrax.read_epw("testville.epw")
    >>> weather.attrs["name"], weather.attrs["time_zone"], len(weather)
    ('Testville', -7.0, 72)
    >>> weather.index[23], weather["hour"].iloc[23], weather["dry_bulb [C]"].iloc[23]
    (Timestamp('1997-01-02 00:00:00-0700', tz='UTC-07:00'), 24, -9.2)
    >>> states = humitrax.frame(weather, model="ashrae2017", threads=1)
    >>> states["wet_bulb"].iloc[3:6].round(3).tolist(), states["status"].iloc[3:6].tolist()
    ([-11.327, nan, nan], ['', 'dry_bulb: not a number', 'dew_point: not a number'])
    """
    records = list(_records(_text(path)))
    for (line, fields), keyword in zip(records, _EPW_HEADER_LINES):
        if fields[0].strip().upper() != keyword:
            raise ValueError(f"line {line}: an EnergyPlus weather file has its {keyword} line here, "
                             f"not {fields[0][:40]!r}")
    if len(records) < len(_EPW_HEADER_LINES):
        raise ValueError(f"the file ends before its eight header lines ({len(records)} lines)")
    line, location = records[0]
    if len(location) < 10:
        raise ValueError(f"line {line}: the LOCATION line has {len(location)} fields, not 10")
    where = f"line {line}"
    zone, hours = _time_zone(location[8], where)
    attrs = {"name": location[1].strip(), "state": location[2].strip(), "country": location[3].strip(),
             "source": location[4].strip(), "wmo": location[5].strip(),
             "latitude": _number(location[6], f"{where}, the latitude"),
             "longitude": _number(location[7], f"{where}, the longitude"),
             "time_zone": hours, "elevation": _number(location[9], f"{where}, the elevation"),
             "given": "dew_point"}

    data = records[len(_EPW_HEADER_LINES):]
    for line, fields in data:
        if len(fields) < len(_EPW_FIELDS):
            raise ValueError(f"line {line}: {len(fields)} fields; a data line of an EnergyPlus weather "
                             f"file has {len(_EPW_FIELDS)}")
    lines = [line for line, _ in data]
    texts = list(zip(*(fields[:len(_EPW_FIELDS)] for _, fields in data))) or [()] * len(_EPW_FIELDS)
    columns = {}
    limits = {"year": _YEARS, "month": (1, 12), "day": (1, 31), "hour": (1, 24), "minute": (0, 60)}
    for (name, kind), column in zip(_EPW_FIELDS, texts):
        if kind is int:
            columns[name] = _wholes(column, lines, name, *limits[name])
        elif kind is str:
            columns[name] = np.array([text.strip() for text in column], dtype=object)
        else:
            columns[name] = _numbers(column, lines, name, missing_at=kind)
    hour, minute = columns["hour"], columns["minute"]
    minutes = np.where((minute == 0) | (minute == 60), hour * 60, (hour - 1) * 60 + minute)
    index = _index(columns["year"], columns["month"], columns["day"], minutes, lines, zone)
    return _frame(columns, index, attrs)


def read_tmy3(path):
    """An NREL TMY3 file as a pandas DataFrame, shaped as ``read_epw``'s.

    Every column under a readable name with the unit its header gives,
    missing values as NaN, the end of each row's hour as the index and
    the station in ``attrs``. The frame goes to ``humitrax.frame`` as it
    is: the names of the dry bulb, dew point, relative humidity and
    pressure columns give their units, and ``attrs["given"]`` says to
    read the dew point.

    Parameters
    ----------
    path : str or os.PathLike
        The file, CSV: line 1 the station (USAF number, name, state, time
        zone, latitude, longitude, elevation), line 2 the column headers
        (``Date (MM/DD/YYYY)``, ``Time (HH:MM)``, ``ETR (W/m^2)`` ...
        ``Dry-bulb (C)``, ``Dry-bulb source``, ``Dry-bulb uncert
        (code)``, ``Dew-point (C)``, ``RHum (%)``, ``Pressure (mbar)``
        ...), then one line per hour. UTF-8, or Latin-1 where it is not
        UTF-8.

    Returns
    -------
    pandas.DataFrame
        One row per data line, in the file's order, with the index
        ``time``: the end of the row's hour (``24:00`` is midnight of the
        next day), in local standard time with the station's fixed offset
        from UTC. The columns:

        - ``year``, ``month``, ``day``, ``hour`` (1 to 24), ``minute``
          (int64), from the date and time as the file gives them
        - each further column of the file in its order, named by the
          quantity with the header's unit in brackets: ``dry_bulb [C]``,
          ``dew_point [C]``, ``relative_humidity [%]``, ``pressure
          [mbar]``, ``global_horizontal_radiation [W/m^2]``,
          ``wind_speed [m/s]``, ``total_sky_cover [tenths]``,
          ``aerosol_optical_depth`` (a unit "unitless" or a code is left
          out) ... (see Notes)
        - its source flag as ``<quantity>_source`` (str) and its
          uncertainty as ``<quantity>_uncertainty`` (``[%]`` for the
          radiation and illuminance, a code for the others)

        Each numeric column is float64, the file's values as written (no
        unit converted), NaN where the field is empty or -9900. ``attrs``
        holds line 1: ``usaf`` (str), ``name``, ``state``, ``time_zone``
        [h from UTC], ``latitude`` and ``longitude`` [°, north and east
        positive], ``elevation`` [m]; and ``given``: ``"dew_point"``.

    Raises
    ------
    OSError
        The file cannot be read.
    ValueError
        A station line of fewer than 7 fields; no date or time column; a
        line whose fields are not as many as the header's; a date not
        MM/DD/YYYY or that does not exist; a time not HH:MM from 00:00 to
        24:00; a field that is no number where one is needed; a time zone
        outside -12 to +14 h; the message names the line.

    See Also
    --------
    read_epw : The same for an EnergyPlus weather file.
    frame : The properties of each row.

    Notes
    -----
    The columns of the TMY3 user's manual [1]_ are named: ETR
    ``extraterrestrial_horizontal_radiation``, ETRN
    ``extraterrestrial_direct_normal_radiation``, GHI, DNI, DHI
    ``global_horizontal_radiation``, ``direct_normal_radiation``,
    ``diffuse_horizontal_radiation``, GH, DN and DH illum
    ``global_horizontal_illuminance`` ..., Zenith lum
    ``zenith_luminance``, TotCld and OpqCld ``total_sky_cover`` and
    ``opaque_sky_cover``, Dry-bulb ``dry_bulb``, Dew-point ``dew_point``,
    RHum ``relative_humidity``, Pressure ``pressure``, Wdir and Wspd
    ``wind_direction`` and ``wind_speed``, Hvis ``visibility``, CeilHgt
    ``ceiling_height``, Pwat ``precipitable_water``, AOD
    ``aerosol_optical_depth``, Alb ``albedo``, Lprecip depth and quantity
    ``liquid_precipitation_depth`` and ``liquid_precipitation_quantity``
    (and their flags ``liquid_precipitation_source`` ...), PresWth
    ``present_weather``. Any other column keeps its header's words, in
    the header rules' form (lower case, joined by ``_``).

    The manual marks a value that is missing as -9900 (with the source
    flag ``?``); such a value, and an empty field, is NaN. The source
    flags are kept as they are.

    The time is the hour ending, in local standard time: ``01:00`` is the
    hour from midnight, ``24:00`` the hour to the next midnight, which is
    its index. A typical year's months come from different years, whose
    numbers the index keeps: it may step back between months.

    References
    ----------
    .. [1] Wilcox, S. and Marion, W., 2008. *Users Manual for TMY3 Data
       Sets*. NREL/TP-581-43156. Golden, Colorado: National Renewable
       Energy Laboratory.

    Examples
    --------
    Time 24:00 is midnight of the next day; the frame's properties follow:

    >>> weather = humitrax.read_tmy3("testville-tmy3.csv")
    >>> weather.attrs["usaf"], weather.attrs["name"], len(weather)
    ('999001', 'TESTVILLE MUNI AP', 48)
    >>> weather.index[23], weather["hour"].iloc[23], weather["pressure [mbar]"].iloc[23]
    (Timestamp('1988-01-02 00:00:00-0700', tz='UTC-07:00'), 24, 834.0)
    >>> states = humitrax.frame(weather, model="ashrae2017", threads=1)
    >>> states["relative_humidity"].iloc[:2].round(2).tolist()
    [72.28, 79.09]
    """
    records = list(_records(_text(path)))
    if len(records) < 2:
        raise ValueError("a TMY3 file has a station line and a header line; this one has "
                         f"{len(records)} lines")
    (line, station), (header_line, header) = records[:2]
    if len(station) < 7:
        raise ValueError(f"line {line}: the station line has {len(station)} fields, not 7")
    where = f"line {line}"
    zone, hours = _time_zone(station[3], where)
    attrs = {"usaf": station[0].strip(), "name": station[1].strip(), "state": station[2].strip(),
             "time_zone": hours, "latitude": _number(station[4], f"{where}, the latitude"),
             "longitude": _number(station[5], f"{where}, the longitude"),
             "elevation": _number(station[6], f"{where}, the elevation"), "given": "dew_point"}

    names = [_tmy3_header_name(field) for field in header]
    positions = {name: i for i, (name, _) in reversed(list(enumerate(names)))}
    for wanted in ("date", "time"):
        if wanted not in positions:
            raise ValueError(f"line {header_line}: the header has no {wanted.capitalize()} column")
    data = records[2:]
    for line, fields in data:
        if len(fields) != len(header):
            raise ValueError(f"line {line}: {len(fields)} fields; the header, line {header_line}, has {len(header)}")
    lines = [line for line, _ in data]
    texts = list(zip(*(fields for _, fields in data))) or [()] * len(header)

    dates = texts[positions["date"]]
    times = texts[positions["time"]]
    year, month, day, hour, minute = (np.empty(len(data), dtype=np.int64) for _ in range(5))
    for i, (date, time, line) in enumerate(zip(dates, times, lines)):
        parts = re.fullmatch(r"\s*(\d{1,2})/(\d{1,2})/(\d{4})\s*", date)
        clock = re.fullmatch(r"\s*(\d{1,2}):(\d{2})\s*", time)
        if not parts:
            raise ValueError(f"line {line}: the date {date!r} is not MM/DD/YYYY")
        if not clock or not (int(clock[1]) * 60 + int(clock[2]) <= 24 * 60 and int(clock[2]) < 60):
            raise ValueError(f"line {line}: the time {time!r} is not HH:MM from 00:00 to 24:00")
        month[i], day[i], year[i] = int(parts[1]), int(parts[2]), int(parts[3])
        if not _YEARS[0] <= year[i] <= _YEARS[1]:
            raise ValueError(f"line {line}: the year {year[i]} lies outside {_YEARS[0]} to {_YEARS[1]}, "
                             f"the years a pandas index holds")
        hour[i], minute[i] = int(clock[1]), int(clock[2])
    columns = {"year": year, "month": month, "day": day, "hour": hour, "minute": minute}
    for i, (column, field) in enumerate(zip(names, header)):
        if i in (positions["date"], positions["time"]):
            continue
        name, unit, kind = _tmy3_name(column)
        if any(label.split(" [")[0] == name for label in columns):
            name = f"{name}_{i + 1}"  # a header that names a quantity twice: the column's number
        label = f"{name} [{unit}]" if unit else name
        if kind is str:
            columns[label] = np.array([text.strip() for text in texts[i]], dtype=object)
        else:
            columns[label] = _numbers(texts[i], lines, repr(field.strip()), missing=_TMY3_MISSING)
    index = _index(year, month, day, hour * 60 + minute, lines, zone)
    return _frame(columns, index, attrs)


def _tmy3_header_name(field):
    """A TMY3 header field's name and unit (None for none), read loosely by
    the header rules: "Dry-bulb (C)" is dry_bulb in C."""
    column = _humitrax.read_column_name(field)
    if column.parenthesised is not None:
        return column.parenthesised
    return column.loose_name, column.unit


def _tmy3_name(column):
    """A TMY3 column's name here, its unit (None for none) and str for a
    source flag (else float), from its header name and unit."""
    name, given_unit = column
    words = (given_unit or "").lower()
    unit = None if words in _NO_UNIT or words.endswith(" code") else given_unit
    for suffix, ending, kind in (("_source", "_source", str), ("_uncert", "_uncertainty", float)):
        if name.endswith(suffix):
            stem = name[:-len(suffix)]
            return _TMY3_NAMES.get(stem, stem) + ending, unit, kind
    return _TMY3_NAMES.get(name, name), unit, float


read_epw.__module__ = "humitrax"
read_tmy3.__module__ = "humitrax"
