"""humitrax.frame: the properties of the rows of a pandas DataFrame."""

import numpy as np

from . import _humitrax
from ._state import CONDITIONS, GIVABLE, UNITS, _choice, _listed, as_numbers, state

# The given values by role: the dry bulb, the pressure or altitude, the
# conditions, and the other properties a state may be given by, read only by
# their names as written (as batch reads them); and the roles that hold one
# place, in which a name read loosely yields to one read strictly.
_OTHERS = ("enthalpy", "specific_volume", "vapour_pressure")
_ROLES = ("dry_bulb", "pressure", "altitude") + CONDITIONS + _OTHERS
_PLACES = (("dry_bulb",), ("pressure", "altitude"), CONDITIONS)
_ROLE_WORDS = {"dry_bulb": "dry bulb", "pressure": "pressure", "altitude": "altitude",
               "wet_bulb": "wet bulb", "dew_point": "dew point", "relative_humidity": "relative humidity",
               "humidity_ratio": "humidity ratio", "enthalpy": "enthalpy", "specific_volume": "specific volume",
               "vapour_pressure": "vapour pressure"}


def _column(df, position, label, argument):
    """The column at `position` as float64 values, NaN where missing; masked
    where a nullable column has NA."""
    import pandas as pd

    values = df.iloc[:, position]
    dtype = values.dtype
    if dtype == object:
        # Python numbers, as humitrax.state takes them.
        return as_numbers(f"column {label!r} ({argument})", values.to_numpy())
    if not pd.api.types.is_numeric_dtype(dtype) or pd.api.types.is_bool_dtype(dtype) or \
            pd.api.types.is_complex_dtype(dtype):
        raise TypeError(f"column {label!r} ({argument}) must be numeric, not of dtype {dtype}")
    numbers = values.to_numpy(dtype=np.float64, na_value=np.nan)
    if isinstance(values.array, (pd.arrays.IntegerArray, pd.arrays.FloatingArray)):
        # A nullable column is a masked array: its NA cells are missing values.
        return np.ma.masked_array(numbers, mask=values.isna().to_numpy())
    return numbers


def _loose(column):
    """A name read loosely: hyphens as blanks, text in parentheses at the end left off."""
    return column.parenthesised[0] if column.parenthesised is not None else column.loose_name


def _name_argument(argument, value):
    """A keyword's column name as the header rules read it, strictly and loosely."""
    if not isinstance(value, str):
        raise TypeError(f"{argument} must be a column name (str), not {type(value).__name__}")
    column = _humitrax.read_column_name(value)
    return column.name, _loose(column)


def _converted(conversion, values):
    """`values` in the unit system's unit: batch's own arithmetic, in C++; a
    masked array keeps its mask."""
    if conversion is None or conversion.identity:
        return values
    if np.ma.isMaskedArray(values):
        return np.ma.masked_array(conversion.apply(np.ma.getdata(values)), mask=np.ma.getmaskarray(values))
    return conversion.apply(values)


class _Header:
    """The frame's columns sorted by what they hold, by batch's header rules:
    each name read by the state layer's rules, and in each place (the dry
    bulb, the pressure or altitude, the condition) a name read loosely yields
    to one read strictly; the yielding columns are the frame's own."""

    def __init__(self, df, wanted):
        self.labels = list(df.columns)
        self.names = [_humitrax.read_column_name(str(label)) for label in self.labels]
        roles = list(wanted)
        table = [(*wanted[role], role) for role in roles]
        self.strict = {role: [] for role in roles}
        self.loose = {role: [] for role in roles}
        self.roles = {}  # position: the role its name gives
        self.units = {}  # position: the unit its name gives, or None
        self.near = {role: [] for role in roles}  # labels with a role's name and a unit none of its own
        names = {name for pair in wanted.values() for name in pair}
        for i, (label, column) in enumerate(zip(self.labels, self.names)):
            if column.before_unclosed_bracket in names:
                raise ValueError(f"the column {label!r} opens a unit bracket and never closes it "
                                 f"({str(label).strip() + ']'!r} would)")
            if column.name == "status":
                raise ValueError("the frame has a column 'status', the name of the output's status; rename it")
            reading = _humitrax.read_role(str(label), table)
            if reading is None:
                for role in roles:
                    if column.parenthesised is not None and column.parenthesised[0] == wanted[role][1]:
                        self.near[role].append(label)
                continue
            index, strict, self.units[i] = reading
            role = roles[index]
            if role in _OTHERS and not strict:
                continue  # an output column's name, read loosely: passed through
            for other, names_of_other in zip(roles, table):
                if other != role and _humitrax.read_role(str(label), [names_of_other]) is not None:
                    raise ValueError(f"the column {label!r} is named for both {role} and {other}")
            (self.strict if strict else self.loose)[role].append(i)
            self.roles[i] = role
        self.found = {}  # role: position
        for place in _PLACES[:2]:
            holders = [(i, role) for role in place for i in self.strict[role]] or \
                [(i, role) for role in place for i in self.loose[role]]
            holders.sort()
            if len(holders) > 1:
                (first, role), (second, other) = holders[:2]
                if role == other:
                    raise ValueError(f"the frame has two {_ROLE_WORDS[role]} columns, {self.labels[first]!r} and "
                                     f"{self.labels[second]!r}; give exactly one")
                raise ValueError(f"the frame has a {_ROLE_WORDS[role]} column {self.labels[first]!r} and "
                                 f"{'an' if other == 'altitude' else 'a'} {_ROLE_WORDS[other]} column "
                                 f"{self.labels[second]!r}; give exactly one of them")
            if holders:
                self.found[holders[0][1]] = holders[0][0]

    def conditions(self, given=()):
        """The given columns but the dry bulb's, by property: the conditions
        read strictly, else those read loosely (with `given`, also a loose
        one of those it names when no strict one does), and the enthalpy,
        volume and vapour pressure."""
        strict = {c: self.strict[c] for c in CONDITIONS if self.strict[c]}
        present = strict or {c: self.loose[c] for c in CONDITIONS if self.loose[c]}
        for name in given:
            if name in CONDITIONS and name not in present and self.loose[name]:
                present[name] = self.loose[name][:1]
        present.update({other: self.strict[other] for other in _OTHERS if self.strict[other]})
        for condition, positions in present.items():
            if len(positions) > 1:
                first, second = (self.labels[i] for i in positions[:2])
                raise ValueError(f"the frame has two {_ROLE_WORDS[condition]} columns, {first!r} and "
                                 f"{second!r}; give exactly one")
        return {condition: positions[0] for condition, positions in present.items()}

    def label(self, role):
        return self.labels[self.found[role]]

    def near_misses(self, roles):
        """"; 'Dry-bulb (K)' is dry_bulb only with a unit of C, °C, F or °F"
        for the columns that name a missing role with another unit."""
        return "".join(f"; {label!r} is {role} only with a unit of {_humitrax.column_units(role)}"
                       for role in roles for label in self.near[role])

    def conversion(self, role, units, fallback_unit=None):
        """The conversion of the role's column to the unit system's own: by
        the unit its name gives, or `fallback_unit`; None for none."""
        unit = self.units[self.found[role]]
        if unit is None:
            unit = fallback_unit
        if unit is None:
            return None
        converted = _humitrax.column_unit(role, unit, units)
        if converted is None:
            where = f"the column {self.label(role)!r}" if self.units[self.found[role]] is not None \
                else "pressure_unit"
            raise ValueError(f"{where} gives the unit {unit!r}, which is not one of "
                             f"{_humitrax.column_units(role)}")
        return converted


def _given_names(given, wanted, source):
    """The properties `given` names (a str, "a,b", or a sequence of two), each
    a property's name or the column name given for it, in GIVABLE's order."""
    if isinstance(given, str):
        items = given.split(",") if "," in given else [given]
    elif isinstance(given, (list, tuple)) and all(isinstance(item, str) for item in given):
        items = list(given)
    else:
        raise TypeError(f"given must be a str or a pair of str, not {type(given).__name__}")
    chosen = []
    for item in items:
        names = set(_name_argument("given", item.strip()))
        found = [role for role in GIVABLE if names & {role, *wanted[role]}]
        if not found or found[0] in chosen:
            break
        chosen.append(found[0])
    else:
        if len(chosen) == 2 or (len(chosen) == 1 and chosen[0] != "dry_bulb"):
            return sorted(chosen, key=GIVABLE.index)
    raise ValueError(f"{source} must be {_listed(CONDITIONS)} (or the enthalpy, specific volume or vapour "
                     f"pressure), read with the dry bulb, or two of {_listed(GIVABLE, 'and')}, each the "
                     f"property's name or its column's, not {given!r}")


def _pair(header, wanted, given, attrs):
    """The two given properties to read, in GIVABLE's order: the dry bulb and
    the only condition the frame has, two properties when it has no dry
    bulb, or those `given` (or, for several, the frame's attrs["given"])
    names; their columns noted in `header.found`."""
    dry = "dry_bulb" in header.found
    present = header.conditions()
    ambiguous = len(present) > 1 if dry else len(present) != 2
    from_attrs = given is None and ambiguous and isinstance(attrs.get("given"), str)
    if from_attrs:
        given = attrs["given"]
    if given is not None:
        source = "the frame's attrs['given']" if from_attrs else "given"
        names = _given_names(given, wanted, source)
        pair = names if len(names) == 2 else ["dry_bulb", names[0]]
        present = header.conditions(names)
        for name in pair:
            if name not in header.found and name not in present:
                where = "the frame's attrs['given']" if from_attrs else f"given={given!r}"
                raise ValueError(f"{where}, but the frame has no column {wanted[name][0]!r}")
        for name in pair:
            if name != "dry_bulb":
                header.found[name] = present[name]
        return pair
    if not dry and len(present) != 2:
        raise ValueError(f"the frame has no dry bulb column {wanted['dry_bulb'][0]!r} (dry_bulb=)"
                         f"{header.near_misses(['dry_bulb'])}" +
                         (f", nor two other properties a state is given by (it has "
                          f"{_listed([header.labels[present[c]] for c in present], 'and')}; say which two with "
                          f"given=)" if len(present) > 2 else ""))
    if not present:
        raise ValueError(f"the frame has no condition column: {_listed([wanted[c][0] for c in CONDITIONS])}"
                         f"{header.near_misses(CONDITIONS)}")
    if dry and len(present) > 1:
        labels = [header.labels[present[c]] for c in GIVABLE if c in present]
        raise ValueError(f"the frame has several condition columns ({_listed(labels, 'and')}); "
                         f"say which with given=")
    pair = sorted((["dry_bulb"] if dry else []) + list(present), key=GIVABLE.index)
    for name in present:
        header.found[name] = present[name]
    return pair


def _with_computed(df, header, given_roles, result, units_converted):
    """A copy of `df` with the computed properties: a given column stays as it
    is, unless it bears its property's own name and its values were
    converted; any other column named like a property (read loosely: hyphens
    as blanks, a unit in brackets or parentheses left off) is replaced, in
    its place, by the computed one under the property's name, unless it
    names a given value (a name read loosely that yielded to one read
    strictly, passed through as batch passes it) or a given column kept as
    it is bears that name; the rest follow the frame's columns."""
    given_positions = {header.found[role] for role in given_roles if not units_converted.get(role)}
    kept_labels = {header.labels[i] for i in given_positions}
    computed = [name for name in result if name != "status"]
    replaced = {}  # property: the position of the first column it replaces
    drop = []
    for i, column in enumerate(header.names):
        name = _loose(column)
        if i in given_positions or name not in computed or name in kept_labels or \
                header.roles.get(i) in given_roles:
            continue
        replaced.setdefault(name, i)
        drop.append(i)
    keep = [i not in drop for i in range(len(header.labels))]
    out = df.loc[:, keep].copy() if drop else df.copy()
    for inserted, (name, position) in enumerate(sorted(replaced.items(), key=lambda item: item[1])):
        out.insert(position - sum(1 for i in drop if i < position) + inserted, name, result[name])
    for name in computed:
        if name not in replaced and name not in kept_labels:
            out[name] = result[name]
    out["status"] = result["status"]
    return out


def frame(df, *, dry_bulb="dry_bulb", pressure="pressure", altitude="altitude",
          wet_bulb="wet_bulb", dew_point="dew_point", relative_humidity="relative_humidity",
          humidity_ratio="humidity_ratio", enthalpy="enthalpy", specific_volume="specific_volume",
          vapour_pressure="vapour_pressure", given=None, pressure_unit=None, units="si",
          model="ashrae2017", saturation="ice", threads=None):
    """The properties of each row of a pandas DataFrame, added to a copy of it.

    The frame needs exactly one of a pressure and an altitude column, and
    two properties of the air: a dry-bulb column and a condition column (wet
    bulb, dew point, relative humidity or humidity ratio), or, without a
    dry bulb, two columns among those and the enthalpy, specific volume and
    vapour pressure. When it has several, ``given`` says which. Columns are found by the
    header rules of ``humitrax-cli batch`` (see Notes): "Dry Bulb [°F]",
    "dry-bulb (C)" and "DRY_BULB" are all the dry bulb, and a unit in the
    name converts the column's values. Each row is one state, computed as
    ``humitrax.state`` computes it.

    Parameters
    ----------
    df : pandas.DataFrame
        The rows; left unchanged. The columns used hold numbers: float or
        integer dtypes, nullable ones (Int64, Float64) included, or dtype
        object holding Python numbers.
    dry_bulb : str, default "dry_bulb"
        The name of the dry-bulb column, -100 to 200 °C (-148 to 392 °F).
        [°C or °F, or the unit its name gives]
    pressure : str, default "pressure"
        The name of the barometric pressure column, above 0. [kPa or psia,
        or the unit its name or ``pressure_unit`` gives]
    altitude : str, default "altitude"
        The name of the altitude column, -5000 to 11000 m (-16404 to 36089
        ft); used when the frame has no pressure column. [m or ft, or the
        unit its name gives]
    wet_bulb : str, default "wet_bulb"
        The name of the thermodynamic wet-bulb column, at most the dry
        bulb. [°C or °F, or the unit its name gives]
    dew_point : str, default "dew_point"
        The name of the dew-point column, at most the dry bulb. [°C or °F,
        or the unit its name gives]
    relative_humidity : str, default "relative_humidity"
        The name of the relative humidity column, 0 to 100. [%]
    humidity_ratio : str, default "humidity_ratio"
        The name of the humidity ratio column, from 0 to saturation.
        [kg/kg or lb/lb, or the unit its name gives]
    enthalpy, specific_volume, vapour_pressure : str, optional
        The names of the columns of these properties, by default their own
        names; read only by the name as written (a looser match, such as
        "Enthalpy (kJ/kg)", passes through). [kJ/kg or Btu/lb; m³/kg or
        ft³/lb; kPa or psia; or the unit the name gives]
    given : str or (str, str), optional
        The condition read with the dry bulb, when ``df`` has more than one
        condition column: one of "wet_bulb", "dew_point",
        "relative_humidity", "humidity_ratio" (or "enthalpy",
        "specific_volume", "vapour_pressure"), or the column name given for
        it; or two properties, as a pair or "a,b" ("enthalpy,humidity_ratio"),
        the dry bulb then computed afresh. Without it, a frame with several
        takes the one its ``attrs["given"]`` names, as ``read_epw`` and
        ``read_tmy3`` set it.
    pressure_unit : str, optional
        The unit of a pressure column whose name gives none, as batch's
        ``--pressure-unit``: "kPa", "hPa", "Pa", "mbar", "bar", "psia" or
        "inHg" (any case).
    units : {"si", "ip"}, default "si"
        The unit system of the properties written, and of the columns read
        whose names give no unit: SI or inch-pound.
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
        A copy of ``df``, same index and ``attrs``: its own columns first,
        in their order, then the other computed properties (the columns of
        ``humitrax.state``, in its order and the unit system's units:
        ``wet_bulb`` [°C or °F], ``enthalpy`` [kJ/kg or Btu/lb] ...), NaN
        where a row has no value, and ``status`` (str: ``""`` for a whole
        row, else why its values are NaN). The given columns (dry bulb,
        pressure or altitude, condition) are left as they are, in their
        own units, except one named exactly like its property whose values
        were converted (``pressure`` with ``pressure_unit="hPa"``), which
        then holds them in the unit system's unit. Any other column named
        like a computed property (``wet_bulb`` when the relative humidity
        is given, ``Enthalpy [Btu/lb]``) is replaced in its place by the
        computed values under the property's name, as ``humitrax-cli batch
        --given`` writes them: every column named exactly like a property
        holds that property in the unit system's unit.

    Raises
    ------
    ValueError
        A missing dry-bulb column; neither or both of pressure and
        altitude; no condition column, or several and no ``given``; two
        columns named alike (``dry_bulb`` and ``Dry Bulb [°F]``); a unit
        that does not fit its column; ``pressure_unit`` with an altitude
        column; a ``status`` column in ``df``; anything ``humitrax.state``
        refuses.
    TypeError
        ``df`` not a DataFrame; a column name or ``pressure_unit`` not a
        str; a used column that is not numeric: booleans, complex numbers,
        text (a column of dtype object may hold numbers, taken as
        ``humitrax.state`` takes them).

    Warns
    -----
    PlausibilityWarning
        Once per call, when the given columns' values, in the unit
        system's units, look like a slip of unit: batch's text for each
        such column, as ``humitrax-cli batch`` prints it for the same
        table (without its hint on the header's units).

    See Also
    --------
    state : The relations, the status texts and the rule that every value
        is one air can have.
    read_epw, read_tmy3 : Weather files as frames this function takes as
        they are.

    Notes
    -----
    The header rules are batch's own, the state layer's in C++: the same
    header finds the same columns. Names are compared without regard to
    case (ASCII letters) and surrounding blanks, blanks and underscores
    between words alike ("Dry Bulb" is dry_bulb), and a unit in brackets
    after the name ("pressure [hPa]") converts the column's values to the
    unit system's own. Looser still, a hyphen between words is a blank
    ("Dry-bulb") and a unit of the column in parentheses is one in
    brackets ("Pressure (mbar)"; "Dry-bulb (K)" names no column, K being
    no unit of it). A name read only so yields to one read strictly for
    the same place (the dry bulb, the pressure or altitude, the
    condition): with ``dry_bulb`` and ``Dry-bulb (F)`` the first is the
    dry bulb and the second passes through unchanged. The keyword
    arguments are read by the same rules, so ``relative_humidity="rh"``
    finds "RH [%]". The units:

    =======================  ==========================================
    column                   units
    =======================  ==========================================
    temperatures             C, °C, degC, F, °F, degF
    pressure                 kPa, hPa, mbar, Pa, bar, psia, inHg
    altitude                 m, ft
    relative humidity        %
    humidity ratio           kg/kg, lb/lb, g/kg, gr/lb
    =======================  ==========================================

    A value in its system's own unit is taken as it is; any other is
    converted as batch converts it, ((x + a) × b ÷ c) + d, so that the
    same numbers give the same results bit for bit (°F to °C: (x - 32) ÷
    1.8; Pa to kPa: x ÷ 1000; psia to kPa: x × 6.894757293168361; inHg
    to kPa: x × 3.386389; to psia: x × 0.491154; ft to m: x × 0.3048).

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

    Units in the names, and a pressure column in hPa:

    >>> log = pandas.DataFrame({"Dry-bulb (°F)": [77.0], "Station Pressure": [1013.25],
    ...                         "RH [%]": [50.0]})
    >>> out = humitrax.frame(log, pressure="station pressure", relative_humidity="rh",
    ...                      pressure_unit="hPa", threads=1)
    >>> out.round(4).iloc[0, :6].tolist()
    [77.0, 1013.25, 50.0, 25.0, 101.325, 17.8893]
    """
    import pandas as pd

    if not isinstance(df, pd.DataFrame):
        raise TypeError(f"df must be a pandas DataFrame, not {type(df).__name__}")
    units = _choice("units", units, UNITS)
    arguments = dict(zip(_ROLES, (dry_bulb, pressure, altitude, wet_bulb, dew_point, relative_humidity,
                                  humidity_ratio, enthalpy, specific_volume, vapour_pressure)))
    wanted = {role: _name_argument(role, value) for role, value in arguments.items()}
    if pressure_unit is not None:
        if not isinstance(pressure_unit, str):
            raise TypeError(f"pressure_unit must be a str, not {type(pressure_unit).__name__}")
        if _humitrax.column_unit("pressure", pressure_unit, units) is None:
            raise ValueError(f"pressure_unit gives the unit {pressure_unit!r}, which is not one of "
                             f"{_humitrax.column_units('pressure')}")
    header = _Header(df, wanted)
    if "pressure" not in header.found and "altitude" not in header.found:
        raise ValueError(f"the frame has neither a pressure column {pressure!r} nor an altitude "
                         f"column {altitude!r}{header.near_misses(['pressure', 'altitude'])}")
    place = "pressure" if "pressure" in header.found else "altitude"
    if pressure_unit is not None and place == "altitude":
        raise ValueError(f"pressure_unit is for a pressure column, and the frame has an altitude column "
                         f"{header.label('altitude')!r}")
    first, second = _pair(header, wanted, given, df.attrs)

    roles = (first, place, second)
    conversions = {role: header.conversion(role, units, pressure_unit if role == "pressure" else None)
                   for role in roles}
    inputs = {role: _converted(conversions[role], _column(df, header.found[role], header.label(role), role))
              for role in roles}
    result = state(**inputs, units=units, model=model, saturation=saturation, threads=threads)
    converted = {role: conversions[role] is not None and not conversions[role].identity and
                 header.label(role) == role for role in roles}
    return _with_computed(df, header, roles, result, converted)


frame.__module__ = "humitrax"
