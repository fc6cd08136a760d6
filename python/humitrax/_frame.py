"""humitrax.frame: the properties of the rows of a pandas DataFrame."""

import numpy as np

from ._state import CONDITIONS, _listed, as_numbers, state


def _column(df, name, argument):
    """A column of `df` as float64 values, NaN where missing; masked where
    a nullable column has NA."""
    import pandas as pd

    values = df[name]
    if isinstance(values, pd.DataFrame):
        raise ValueError(f"the frame has more than one column {name!r} ({argument})")
    dtype = values.dtype
    if dtype == object:
        # Python numbers, as humitrax.state takes them.
        return as_numbers(f"column {name!r} ({argument})", values.to_numpy())
    if not pd.api.types.is_numeric_dtype(dtype) or pd.api.types.is_bool_dtype(dtype) or \
            pd.api.types.is_complex_dtype(dtype):
        raise TypeError(f"column {name!r} ({argument}) must be numeric, not of dtype {dtype}")
    numbers = values.to_numpy(dtype=np.float64, na_value=np.nan)
    if isinstance(values.array, (pd.arrays.IntegerArray, pd.arrays.FloatingArray)):
        # A nullable column is a masked array: its NA cells are missing values.
        return np.ma.masked_array(numbers, mask=values.isna().to_numpy())
    return numbers


def frame(df, *, dry_bulb="dry_bulb", pressure="pressure", altitude="altitude",
          wet_bulb="wet_bulb", dew_point="dew_point", relative_humidity="relative_humidity",
          humidity_ratio="humidity_ratio", given=None, units="si", model="ashrae2017",
          saturation="ice", threads=None):
    """The properties of each row of a pandas DataFrame, added to a copy of it.

    The keyword arguments name the frame's columns. It needs the dry bulb,
    exactly one of the pressure and altitude columns, and a condition
    column: wet bulb, dew point, relative humidity or humidity ratio. When
    it has several condition columns, ``given`` says which one is the
    condition. Each row is one state, computed as ``humitrax.state``
    computes it.

    Parameters
    ----------
    df : pandas.DataFrame
        The rows; left unchanged. The columns used hold numbers: float or
        integer dtypes, nullable ones (Int64, Float64) included, or dtype
        object holding Python numbers.
    dry_bulb : str, default "dry_bulb"
        The column of the dry-bulb temperature, -100 to 200 °C (-148 to
        392 °F). [°C or °F]
    pressure : str, default "pressure"
        The column of the barometric pressure, above 0. [kPa or psia]
    altitude : str, default "altitude"
        The column of the altitude above sea level, -5000 to 11000 m
        (-16404 to 36089 ft); used when the frame has no pressure column.
        [m or ft]
    wet_bulb : str, default "wet_bulb"
        The column of the thermodynamic wet-bulb temperature, at most the
        dry bulb. [°C or °F]
    dew_point : str, default "dew_point"
        The column of the dew-point temperature, at most the dry bulb.
        [°C or °F]
    relative_humidity : str, default "relative_humidity"
        The column of the relative humidity, 0 to 100. [%]
    humidity_ratio : str, default "humidity_ratio"
        The column of the humidity ratio, from 0 to saturation.
        [kg/kg or lb/lb]
    given : str, optional
        The condition, when ``df`` has more than one condition column: one
        of "wet_bulb", "dew_point", "relative_humidity", "humidity_ratio",
        or the column name given for it.
    units : {"si", "ip"}, default "si"
        The unit system of the columns read and written: SI or inch-pound.
    model : {"ashrae2017", "calculator"}, default "ashrae2017"
        The relations, as for ``humitrax.state``.
    saturation : {"ice", "water"}, default "ice"
        What the 2017 relations take saturation over below the triple
        point, as for ``humitrax.state``.
    threads : int, optional
        Threads to compute on, 1 to 256 (default: one per core). The
        results do not depend on it.

    Returns
    -------
    pandas.DataFrame
        A copy of ``df``, same index: its own columns first, in their
        order, then the other computed properties (the columns of
        ``humitrax.state``, in its order and units: ``wet_bulb`` [°C or
        °F], ``enthalpy`` [kJ/kg or Btu/lb] ...), NaN where a row has no
        value, and ``status`` (str: ``""`` for a whole row, else why its
        values are NaN). Only the given columns (dry bulb, pressure or
        altitude, condition) are read and left as they are; any other
        column named like a computed property (``wet_bulb`` when the
        relative humidity is given, ``enthalpy``) holds the computed
        values, as ``humitrax-cli batch --given`` writes them.

    Raises
    ------
    ValueError
        A missing dry-bulb column; neither or both of pressure and
        altitude; no condition column, or several and no ``given``; a
        ``status`` column in ``df``; anything ``humitrax.state`` refuses.
    TypeError
        ``df`` not a DataFrame, or a used column that is not numeric:
        booleans, complex numbers, text (a column of dtype object may hold
        numbers, taken as ``humitrax.state`` takes them).

    See Also
    --------
    state : The relations, the status texts and the rule that every value
        is one air can have.

    Notes
    -----
    Values are those of ``humitrax.state`` bit for bit, and so those of
    ``humitrax-cli batch``. A row that cannot be computed stops no other:
    it holds NaN for the values it cannot have, and its status says why.
    A NaN gives ``"dry_bulb: not a number"``, an NA of a nullable column
    (Int64, Float64: a masked array) ``"dry_bulb: missing"``, and air that
    cannot exist names the refused value (``"relative_humidity: above 100
    %"``).

    With Dask, each partition on a worker: ``ddf.map_partitions(
    humitrax.frame, threads=1, meta=humitrax.frame(ddf._meta))``.

    References
    ----------
    .. [1] ASHRAE, 2017. *ASHRAE Handbook—Fundamentals*, chapter 1,
       Psychrometrics. Atlanta: ASHRAE.

    Examples
    --------
    >>> weather = pandas.DataFrame({"time": ["06:00", "12:00"], "dry_bulb": [17.2, 29.5],
    ...                             "pressure": [97.8, 97.6], "relative_humidity": [88, 41]})
    >>> humitrax.frame(weather, threads=1)[["time", "wet_bulb", "dew_point"]]
        time   wet_bulb  dew_point
    0  06:00  15.913563  15.196413
    1  12:00  19.761878  14.872775

    A row that cannot be computed holds NaN and says why:

    >>> rows = pandas.DataFrame({"dry_bulb": [20.0, 20.0], "altitude": [300.0, 300.0],
    ...                          "dew_point": [12.0, 25.0]})
    >>> out = humitrax.frame(rows, threads=1)
    >>> out["enthalpy"].round(2).tolist(), out["status"].tolist()
    ([43.1, nan], ['', 'dew_point: above the dry bulb'])
    """
    import pandas as pd

    if not isinstance(df, pd.DataFrame):
        raise TypeError(f"df must be a pandas DataFrame, not {type(df).__name__}")
    columns = df.columns
    if dry_bulb not in columns:
        raise ValueError(f"the frame has no dry bulb column {dry_bulb!r} (dry_bulb=)")
    if "status" in columns:
        raise ValueError("the frame has a column 'status', the name of the output's status; rename it")
    if pressure in columns and altitude in columns:
        raise ValueError(f"the frame has a pressure column {pressure!r} and an altitude column "
                         f"{altitude!r}; give exactly one of them")
    if pressure not in columns and altitude not in columns:
        raise ValueError(f"the frame has neither a pressure column {pressure!r} nor an altitude "
                         f"column {altitude!r}")
    place = ("pressure", pressure) if pressure in columns else ("altitude", altitude)

    names = dict(zip(CONDITIONS, (wet_bulb, dew_point, relative_humidity, humidity_ratio)))
    present = [condition for condition in CONDITIONS if names[condition] in columns]
    if given is not None:
        chosen = [condition for condition in CONDITIONS if given in (condition, names[condition])]
        if not chosen:
            raise ValueError(f"given must be {_listed(CONDITIONS)} or its column name, not {given!r}")
        condition = chosen[0]
        if condition not in present:
            raise ValueError(f"given={given!r}, but the frame has no column {names[condition]!r}")
    elif not present:
        raise ValueError("the frame has no condition column: "
                         f"{_listed([names[condition] for condition in CONDITIONS])}")
    elif len(present) > 1:
        raise ValueError(f"the frame has several condition columns "
                         f"({_listed([names[c] for c in present], 'and')}); say which with given=")
    else:
        condition = present[0]

    inputs = {
        "dry_bulb": _column(df, dry_bulb, "dry_bulb"),
        place[0]: _column(df, place[1], place[0]),
        condition: _column(df, names[condition], condition),
    }
    result = state(inputs.pop("dry_bulb"), **inputs, units=units, model=model, saturation=saturation,
                   threads=threads)
    # Only the given columns are read: a column named like a computed property
    # holds that property, as batch --given writes it.
    given_columns = {dry_bulb, place[1], names[condition]}
    out = df.copy()
    for name, values in result.items():
        if name not in given_columns:
            out[name] = values
    return out


frame.__module__ = "humitrax"
