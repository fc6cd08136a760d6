"""humitrax.state: every property of many states of moist air at once."""

import operator

import numpy as np

from . import _humitrax, _plausibility

UNITS = ("si", "ip")
MODELS = tuple(_humitrax.MODELS)
SATURATIONS = ("ice", "water")
CONDITIONS = ("wet_bulb", "dew_point", "relative_humidity", "humidity_ratio")
# The properties a state may be given by, two at a time, in the order it reads them.
GIVABLE = ("dry_bulb",) + CONDITIONS + ("enthalpy", "specific_volume", "vapour_pressure")
MAX_THREADS = 256


def _listed(names, word="or"):
    quoted = [repr(name) for name in names]
    return quoted[0] if len(quoted) == 1 else f"{', '.join(quoted[:-1])} {word} {quoted[-1]}"


def _choice(argument, value, allowed):
    if not isinstance(value, str):
        raise TypeError(f"{argument} must be {_listed(allowed)}, not {type(value).__name__}")
    if value not in allowed:
        raise ValueError(f"{argument} must be {_listed(allowed)}, not {value!r}")
    return value


def _threads(threads):
    """The thread count for the C++ side: 0 for one per core."""
    if threads is None:
        return 0
    if isinstance(threads, bool):
        raise TypeError("threads must be a whole number, not bool")
    try:
        count = operator.index(threads)
    except TypeError:
        raise TypeError(f"threads must be a whole number, not {type(threads).__name__}") from None
    if not 1 <= count <= MAX_THREADS:
        raise ValueError(f"threads must be from 1 to {MAX_THREADS}, not {count}")
    return count


def _describe(array):
    if array.ndim == 0:
        return type(array.item()).__name__
    return f"an array of dtype {array.dtype}"


def _holds(array, types):
    return any(isinstance(item, types) for item in array.flat)


def _holds_bool(values):
    # bool and numpy.bool_ have no subclasses: their types are looked for.
    return not {bool, np.bool_}.isdisjoint(map(type, np.asarray(values, dtype=object).flat))


def as_numbers(argument, values):
    """`values` as a float64 array; TypeError or ValueError naming `argument`."""
    try:
        array = np.asarray(values)
    except (TypeError, ValueError) as error:
        raise ValueError(f"{argument} is neither a number nor a regular array of numbers ({error})") from None
    kind = array.dtype.kind
    # NumPy reads True among numbers as 1: a list's items are looked at themselves.
    if (kind == "O" or isinstance(values, (list, tuple)) and kind in "iuf") and _holds_bool(values):
        raise TypeError(f"{argument} must be numeric, not bool (among its values)")
    if kind in "iuf":
        return array.astype(np.float64, copy=False)
    if kind == "O" and not _holds(array, (str, bytes)):
        try:
            return array.astype(np.float64)
        except OverflowError:
            # An int (or Fraction) beyond any float.
            raise ValueError(f"{argument} has a number beyond the range of a float "
                             f"(about ±1.8e308)") from None
        except (TypeError, ValueError):
            pass
    raise TypeError(f"{argument} must be numeric, not {_describe(array)}")


def _with_missing(argument, values):
    """`values` as a float64 array, and its missing values: None, or a bool
    array of the same shape, true where a masked array (numpy.ma) masks a
    cell. The data under the mask is not read; the array holds NaN there."""
    if not np.ma.isMaskedArray(values):
        return as_numbers(argument, values), None
    missing = np.ma.getmaskarray(values)
    data = np.ma.getdata(values)
    if not missing.any():
        return as_numbers(argument, data), None
    if data.dtype == object:
        data = np.where(missing, None, data)
    return np.where(missing, np.nan, as_numbers(argument, data)), missing


def state(dry_bulb=None, *, pressure=None, altitude=None, wet_bulb=None, dew_point=None,
          relative_humidity=None, humidity_ratio=None, enthalpy=None, specific_volume=None,
          vapour_pressure=None, units="si", model="ashrae2017", saturation="ice", threads=None):
    """Every property of states of moist air, computed in C++ over NumPy arrays.

    Give exactly one of ``pressure`` and ``altitude``, and two properties of
    the air: as a rule the dry bulb and one condition (``wet_bulb``,
    ``dew_point``, ``relative_humidity`` or ``humidity_ratio``), or any two
    of those and ``enthalpy``, ``specific_volume`` and ``vapour_pressure``
    (``state(enthalpy=50.0, relative_humidity=60.0, pressure=101.325)``).
    Each is a number or an array-like of numbers; together they broadcast by
    NumPy's rules, and every result has the broadcast shape.

    Parameters
    ----------
    dry_bulb : float or array_like, optional
        Dry-bulb temperature, -100 to 200 °C (-148 to 392 °F). [°C or °F]
    pressure : float or array_like, optional
        Barometric pressure, above 0. [kPa or psia]
    altitude : float or array_like, optional
        Altitude above sea level, -5000 to 11000 m (-16404 to 36089 ft);
        the pressure is computed from it by the model's relation (see
        Notes). [m or ft]
    wet_bulb : float or array_like, optional
        Thermodynamic wet-bulb temperature, in the dry bulb's range and at
        most the dry bulb. [°C or °F]
    dew_point : float or array_like, optional
        Dew-point temperature, in the dry bulb's range and at most the dry
        bulb. [°C or °F]
    relative_humidity : float or array_like, optional
        Relative humidity, 0 to 100. [%]
    humidity_ratio : float or array_like, optional
        Humidity ratio, mass of water vapour per unit mass of dry air, from
        0 to the saturation humidity ratio at the dry bulb and pressure.
        [kg/kg or lb/lb]
    enthalpy : float or array_like, optional
        Specific enthalpy per unit mass of dry air, 0 for dry air at 0 °C
        (0 °F). [kJ/kg or Btu/lb]
    specific_volume : float or array_like, optional
        Specific volume per unit mass of dry air, above 0. [m³/kg or ft³/lb]
    vapour_pressure : float or array_like, optional
        Partial pressure of the water vapour, 0 or more and below the
        pressure. [kPa or psia]
    units : {"si", "ip"}, default "si"
        The unit system of every argument and result: SI or inch-pound.
    model : {"ashrae2017", "calculator"}, default "ashrae2017"
        The relations: those of the ASHRAE Handbook—Fundamentals 2017,
        chapter 1 [1]_, or the calculator's own, its engine called as the
        calculator window calls it (see Notes).
    saturation : {"ice", "water"}, default "ice"
        What the 2017 relations take saturation over below the triple
        point: ice, as the Handbook does, or supercooled water, as
        meteorological data (TMY3, NSRDB, most station records) report the
        dew point and relative humidity below 0 °C. It applies to the
        relative humidity, the dew point, the wet bulb and the saturation
        properties; "water" is for ``model="ashrae2017"`` only.
    threads : int, optional
        Threads to compute on, 1 to 256 (default: one per core), taking
        blocks of up to 65536 states in turn. The results do not depend on
        it. The interpreter's lock is released while they work; Ctrl-C
        stops them after the blocks under way (KeyboardInterrupt).

    Returns
    -------
    dict
        One float64 array of the broadcast shape per property, NaN where a
        state has no value, in this order:

        - ``dry_bulb`` : dry-bulb temperature [°C or °F]
        - ``pressure`` : barometric pressure [kPa or psia]
        - ``wet_bulb`` : thermodynamic wet-bulb temperature [°C or °F]
        - ``dew_point`` : dew-point temperature (the frost point below
          freezing under ``"ashrae2017"``) [°C or °F]
        - ``relative_humidity`` : relative humidity [%]
        - ``humidity_ratio`` : W [kg/kg or lb/lb]
        - ``enthalpy`` : specific enthalpy per unit mass of dry air, 0 for
          dry air at 0 °C (0 °F) [kJ/kg or Btu/lb]
        - ``specific_volume`` : per unit mass of dry air [m³/kg or ft³/lb]
        - ``grains`` : moisture content, ``units="ip"`` only [gr/lb]
        - ``vapour_pressure`` : partial pressure of the water vapour
          [kPa or psia]
        - ``saturation_vapour_pressure`` : at the dry bulb [kPa or psia]
        - ``saturation_humidity_ratio`` : at the dry bulb and pressure
          [kg/kg or lb/lb]
        - ``degree_of_saturation`` : W over the saturation humidity ratio
          [1]
        - ``specific_humidity`` : mass of water vapour per unit mass of
          moist air [kg/kg or lb/lb]
        - ``density`` : of the moist air [kg/m³ or lb/ft³]

        then ``status``, an array of str (object dtype): ``""`` for a whole
        state, else its failures as ``"column: reason"`` joined by ``"; "``,
        the texts of ``humitrax-cli batch`` (``"relative_humidity: above 100
        %"``, ``"dew_point: undefined for dry air (humidity ratio 0)"``).
        The pressure (computed, for an altitude, even when another input is
        missing) and the two given properties are the inputs themselves. When every input is a scalar, each value is a float and
        the status a str.

    Raises
    ------
    ValueError
        Neither or both of pressure and altitude; not two properties (a
        dry bulb without a condition, three properties ...);
        an unknown ``units`` or ``model``; shapes that do not broadcast;
        ``threads`` out of range; a number beyond the range of a float
        (``10**400``).
    TypeError
        Data that is not numeric (text, booleans, None, complex numbers);
        ``units`` or ``model`` not a str; ``threads`` not a whole number.

    Warns
    -----
    PlausibilityWarning
        Once per call, when given values look like a slip of unit (a
        pressure in hPa, relative humidities as fractions); the message is
        batch's text for each such column. The values are computed as
        given.

    See Also
    --------
    frame : The same for the rows of a pandas DataFrame.
    humitrax.engine : The calculator's engine, one function at a time.

    Notes
    -----
    Values are those of the C++ state layer bit for bit, the numbers
    ``humitrax-cli batch`` writes. Below, t is the dry bulb, p the
    pressure, W the humidity ratio, pw the partial pressure of the water
    vapour, pws(t) the saturation pressure at t and Ws(t) = ε pws(t)/(p -
    pws(t)) the saturation humidity ratio. Where one form is shown it is
    the SI one (°C, kPa); the inch-pound one has the same shape.

    Under ``model="calculator"``, the calculator's engine (its functions
    are ``humitrax.engine``), with ε = 0.62198:

    - pws: the Hyland-Wexler formulations [2]_, over ice at and below 0 °C
      (32 °F), over liquid water above.
    - W = ε pw/(p - pw); from a relative humidity pw = φ pws(t), from a dew
      point pw = pws(td), from a wet bulb t* the wet-bulb relation for
      water on the wick, used at every temperature: W = ((2501 - 2.381 t*)
      Ws(t*) - (t - t*))/(2501 + 1.805 t - 4.186 t*).
    - Relative humidity φ = μ/(1 - (1 - μ) pws(t)/p), μ = W/Ws(t) the
      degree of saturation. None for a dry bulb below 0 °C when the dew
      point or humidity ratio is given, below -60 °C when the wet bulb is,
      and in inch-pound units below 32 °F whatever is given; the status
      says so (``"not defined below 0 °C by the calculator's
      relations"``).
    - Dew point: one correlation in α = ln pw at every humidity, its form
      for dew points at or above freezing: td = 6.54 + 14.526 α + 0.7389 α²
      + 0.09486 α³ + 0.4569 pw^0.1984 (pw in kPa), so that below freezing
      it is no frost point.
    - Wet bulb: the wet-bulb relation solved for t* by a secant iteration
      from t and t - 10, to 1e-9 in W.
    - h = 1.006 t + W (2501 + 1.805 t) kJ/kg; 0.240 t + W (1061 + 0.444 t)
      Btu/lb.
    - v = R (t + 273.15)(1 + 1.6078 W)/(28.9645 p), R = 8.31441 kJ/(kmol·K).
    - Altitude: a polynomial of the sixth degree in feet fitted to the
      standard atmosphere (``humitrax.engine.interp``); in SI the metres
      × 3.2808 are feet and the psia ÷ 14.697 × 101.325 are kPa: 101.3219
      kPa at sea level.

    Under ``model="ashrae2017"``, the 2017 Handbook's chapter 1 [1]_, with
    ε = 0.621945:

    - pws: the Hyland-Wexler formulations as eqs. (5) and (6) give them,
      over ice below the triple point (0.01 °C, 32.018 °F), over liquid
      water at and above it.
    - W = ε pw/(p - pw) (section "Perfect Gas Relationships for Dry and
      Moist Air"); from a relative humidity pw = φ pws(t), from a dew point
      pw = pws(td), from a wet bulb eq. (33) (water on the wick) for t* at
      or above 0 °C (32 °F) and eq. (35) (ice) below.
    - Relative humidity φ = pw/pws(t).
    - Dew point: the temperature whose pws is pw (eqs. (5) and (6)
      inverted, the frost point below the triple point), by a Newton step
      from a table of the curve, to the rounding of the relation (1e-12
      degree).
    - Wet bulb: eqs. (33) and (35) solved for t* by Halley steps kept in
      the bracket between the dew point and the dry bulb, to the rounding
      of the relation (1e-12 degree); where each form has a root, one
      either side of freezing, the lower one.
    - h = 1.006 t + W (2501 + 1.86 t) kJ/kg; 0.240 t + W (1061 + 0.444 t)
      Btu/lb.
    - v = 0.287042 (t + 273.15)(1 + 1.607858 W)/p m³/kg; 0.370486 (t +
      459.67)(1 + 1.607858 W)/p ft³/lb.
    - Altitude: the standard atmosphere, eq. (3): p = 101.325 (1 -
      2.25577e-5 Z)^5.2559 kPa, 14.696 (1 - 6.8754e-6 Z)^5.2559 psia.

    Under both: pw = p W/(ε + W); degree of saturation μ = W/Ws(t);
    specific humidity W/(1 + W); density (1 + W)/v; grains 7000 W.

    Two properties other than the dry bulb and a condition are solved for
    the dry bulb and humidity ratio at which the model's own properties
    take both values, by the state layer's one solver (closed-form for the
    enthalpy with the humidity ratio, a bracketed root search otherwise),
    as ``humitrax-cli state`` and ``batch`` solve them: a pair of a state's
    properties gives that state back within 1e-9. Refused, with the reason
    in the status: two that fix the same moisture (any two of
    ``dew_point``, ``humidity_ratio`` and ``vapour_pressure``: ``"dew_point
    and humidity_ratio fix the same moisture; ..."``); the wet bulb with the
    enthalpy, whose lines cross too shallowly for the state to be worth its
    digits; a pair no air within the range has.

    Every value returned is one air can have; any other is NaN, with its
    reason in the status.

    - Air that cannot exist is refused whole: a pressure at or below 0; a
      dry bulb, wet bulb or dew point outside -100 to 200 °C (-148 to
      392 °F); a relative humidity outside 0 to 100 %; a wet bulb or dew
      point above the dry bulb; a humidity ratio below 0 or above
      saturation; a condition whose humidity ratio comes out below 0. Only
      the given values stand, and the status names the refused one
      (``"wet_bulb: above the dry bulb"``).
    - A computed value that no air can have is NaN on its own: a
      temperature outside the range, a relative humidity outside 0 to
      100 %, a degree of saturation outside 0 to 1, a humidity ratio below
      0, a vapour pressure not below the pressure, a volume or density not
      above 0.
    - A wet bulb or dew point that comes out above the dry bulb (the
      calculator's dew-point correlation overshoots by up to 0.031 K near
      saturation) is the dry bulb.
    - Above the boiling point at the pressure no air saturates: the
      saturation humidity ratio and the degree of saturation are NaN
      (``"no saturation: ..."``), and any humidity ratio is air.

    An altitude whose pressure cannot be formed gives ``"pressure:
    <reason>"``, and a NaN (or None in an array) or infinite input
    ``"dry_bulb: not a number"`` (or ``"not a finite number"``; batch,
    reading text, names the line instead: ``"line 5: dry_bulb is not a
    finite number"``); neither gives any property beyond the given values
    there are. A masked cell of a masked array (``numpy.ma``) is a missing
    value, whatever the data under the mask: ``"dry_bulb: missing"``, and
    no other property.

    References
    ----------
    .. [1] ASHRAE, 2017. *ASHRAE Handbook—Fundamentals*, chapter 1,
       Psychrometrics: sections "U.S. Standard Atmosphere", "Thermodynamic
       Properties of Water at Saturation", "Perfect Gas Relationships for
       Dry and Moist Air", "Thermodynamic Wet-Bulb and Dew-Point
       Temperature". Atlanta: ASHRAE.
    .. [2] Hyland, R. W. and Wexler, A., 1983. Formulations for the
       thermodynamic properties of the saturated phases of H2O from 173.15
       K to 473.15 K. *ASHRAE Transactions* 89(2A), 500-519.

    Examples
    --------
    >>> s = humitrax.state(25.0, pressure=101.325, relative_humidity=50.0)
    >>> round(s["wet_bulb"], 3), round(s["humidity_ratio"], 6), s["status"]
    (17.889, 0.009881, '')

    Arrays broadcast; a state that cannot exist is NaN with its reason:

    >>> s = humitrax.state([20.0, 30.0], altitude=1500.0, dew_point=[10.0, 35.0])
    >>> s["enthalpy"].round(2), list(s["status"])
    (array([43.38,   nan]), ['', 'dew_point: above the dry bulb'])

    Inch-pound units and the 2017 Handbook's relations:

    >>> s = humitrax.state(77.0, pressure=14.696, wet_bulb=64.0, units="ip",
    ...                    model="ashrae2017")
    >>> round(s["relative_humidity"], 1), round(s["grains"], 1)
    (49.3, 68.2)

    Any two properties, here a supply condition's enthalpy and humidity
    ratio:

    >>> s = humitrax.state(enthalpy=50.0, humidity_ratio=0.008, pressure=101.325)
    >>> round(s["dry_bulb"], 3), round(s["relative_humidity"], 2), s["status"]
    (29.379, 31.41, '')
    """
    # Plain numbers, row by row: one state in C++, without NumPy around it.
    one = _humitrax.state_one(dry_bulb, pressure, altitude, wet_bulb, dew_point, relative_humidity,
                              humidity_ratio, enthalpy, specific_volume, vapour_pressure, units, model,
                              saturation, threads)
    if one is not None:
        result, warned = one
        if warned:
            _plausibility.warn(warned)
        return result
    units = _choice("units", units, UNITS)
    model = _choice("model", model, MODELS)
    saturation = _choice("saturation", saturation, SATURATIONS)
    threads = _threads(threads)
    if pressure is None and altitude is None:
        raise ValueError("give pressure or altitude; neither was given")
    if pressure is not None and altitude is not None:
        raise ValueError("give pressure or altitude, not both")
    place = ("pressure", pressure) if pressure is not None else ("altitude", altitude)
    first, second = _pair(dict(zip(GIVABLE, (dry_bulb, wet_bulb, dew_point, relative_humidity, humidity_ratio,
                                             enthalpy, specific_volume, vapour_pressure))))

    given = [first, place, second]
    shape, rows = _broadcast(given)

    columns, failing, texts, warned = _humitrax.compute(units, model, saturation, first[0], second[0],
                                                        place[0] == "altitude",
                                                        *(array for array, _ in rows),
                                                        tuple(missing for _, missing in rows), threads)
    result = _result(_humitrax.columns(units), columns, failing, texts, shape)
    _plausibility.warn(warned)
    return result


def _pair(values):
    """The two (name, value) pairs given among `values` (name: value or
    None), in GIVABLE's order; ValueError unless there are two."""
    given = [(name, value) for name, value in values.items() if value is not None]
    if len(given) == 2:
        return given
    names = [name for name, _ in given]
    if names == ["dry_bulb"]:
        raise ValueError(f"give one condition: {_listed(CONDITIONS)} (or the enthalpy, specific volume "
                         f"or vapour pressure)")
    if "dry_bulb" in names and len(names) == 3 and all(name in CONDITIONS for name in names[1:]):
        raise ValueError(f"give one condition, not {_listed(names[1:], 'and')}")
    got = "none" if not names else _listed(names, "and")
    raise ValueError(f"give two properties of the air, the dry bulb and one condition or any two of "
                     f"{_listed(GIVABLE, 'and')}, not {got}")


def _broadcast(given):
    """The broadcast shape of the (argument, values) pairs, and each as a flat
    contiguous float64 array of that shape with its missing values (None, or
    a flat bool array as long)."""
    pairs = [_with_missing(argument, values) for argument, values in given]
    try:
        shape = np.broadcast_shapes(*(array.shape for array, _ in pairs))
    except ValueError:
        shapes = ", ".join(f"{argument} {array.shape}" for (argument, _), (array, _) in zip(given, pairs))
        raise ValueError(f"the shapes do not broadcast together: {shapes}") from None

    def flat(array):
        return None if array is None else np.ascontiguousarray(np.broadcast_to(array, shape)).reshape(-1)

    return shape, [(flat(array), flat(missing)) for array, missing in pairs]


def _result(names, columns, failing, texts, shape):
    """The dict of named columns in `shape`, and "status" from the texts of
    the failing cells; plain floats and a str when `shape` is a scalar's."""
    status = np.full(int(np.prod(shape, dtype=np.int64)), "", dtype=object)
    if texts:
        status[failing] = np.array(texts, dtype=object)
    if shape == ():
        result = {name: float(column[0]) for name, column in zip(names, columns)}
        result["status"] = str(status[0])
        return result
    result = {name: column.reshape(shape) for name, column in zip(names, columns)}
    result["status"] = status.reshape(shape)
    return result


state.__module__ = "humitrax"
