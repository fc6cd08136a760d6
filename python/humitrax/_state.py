"""humitrax.state: every property of many states of moist air at once."""

import operator

import numpy as np

from . import _humitrax

UNITS = ("si", "ip")
MODELS = tuple(_humitrax.MODELS)
CONDITIONS = ("wet_bulb", "dew_point", "relative_humidity", "humidity_ratio")
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


def state(dry_bulb, *, pressure=None, altitude=None, wet_bulb=None, dew_point=None,
          relative_humidity=None, humidity_ratio=None, units="si", model="calculator",
          threads=None):
    """Every property of states of moist air, computed in C++ over NumPy arrays.

    Give the dry bulb, exactly one of ``pressure`` and ``altitude``, and
    exactly one condition: ``wet_bulb``, ``dew_point``, ``relative_humidity``
    (in percent) or ``humidity_ratio``. Each is a number or an array-like of
    numbers; together they broadcast by NumPy's rules, and every result has
    the broadcast shape.

    Parameters
    ----------
    dry_bulb : float or array_like
        Dry-bulb temperature, °C (si) or °F (ip).
    pressure : float or array_like, optional
        Barometric pressure, kPa or psia.
    altitude : float or array_like, optional
        Altitude, m or ft; the pressure is computed from it by the model's
        relation.
    wet_bulb, dew_point : float or array_like, optional
        Wet-bulb or dew-point temperature, °C or °F.
    relative_humidity : float or array_like, optional
        Relative humidity in percent, 0 to 100.
    humidity_ratio : float or array_like, optional
        Humidity ratio, kg/kg or lb/lb.
    units : {"si", "ip"}
        SI (°C, kPa, m, kJ/kg, m³/kg) or inch-pound (°F, psia, ft, Btu/lb,
        ft³/lb).
    model : {"calculator", "ashrae2017"}
        The calculator's relations, its engine called as ``humitrax-cli
        batch`` calls it, or those of the ASHRAE Handbook—Fundamentals 2017,
        chapter 1 (saturation over ice below the triple point, the standard
        atmosphere for an altitude).
    threads : int, optional
        Threads to compute on, 1 to 256 (default: one per core), taking
        blocks of up to 65536 states in turn. The results do not depend on
        it. The interpreter's lock is released while they work; Ctrl-C stops
        them after the blocks under way (KeyboardInterrupt).

    Returns
    -------
    dict
        One float64 array per property, with NaN where a state has no value,
        keyed in this order: ``dry_bulb``, ``pressure``, ``wet_bulb``,
        ``dew_point``, ``relative_humidity`` (%), ``humidity_ratio``,
        ``enthalpy``, ``specific_volume``, ``grains`` (gr/lb, "ip" only),
        ``vapour_pressure``, ``saturation_vapour_pressure`` (at the dry
        bulb), ``saturation_humidity_ratio``, ``degree_of_saturation``,
        ``specific_humidity``, ``density`` (of the moist air); then
        ``status``, an array of str (object dtype): ``""`` for a whole
        state, else its failures as ``"column: reason"`` joined by ``"; "``,
        the texts of ``humitrax-cli batch`` (``"relative_humidity: above 100
        %"``, ``"dew_point: undefined for dry air (humidity ratio 0)"``).
        The dry bulb, the pressure (computed, for an altitude, even when
        another input is missing) and the given condition are the inputs
        themselves. When every input is a scalar, each value is a float and
        the status a str.

    Notes
    -----
    Values are those of the C++ state layer bit for bit, the numbers
    ``humitrax-cli batch`` writes. Air that cannot exist is refused whole
    (a pressure at or below 0, a relative humidity outside 0 to 100 %, a
    wet bulb or dew point above the dry bulb, a humidity ratio below 0 or
    above saturation): only the given values stand. An altitude whose
    pressure cannot be formed gives ``"pressure: <reason>"``, and a NaN (or
    None in an array) or infinite input ``"dry_bulb: not a number"`` (or
    ``"not a finite number"``; batch, reading text, names the line instead:
    ``"line 5: dry_bulb is not a finite number"``); neither gives any
    property beyond the given values there are. A masked cell of a masked
    array (``numpy.ma``) is a missing value, whatever the data under the
    mask: ``"dry_bulb: missing"``, and no other property.

    Raises
    ------
    ValueError
        Neither or both of pressure and altitude; no condition or several;
        an unknown ``units`` or ``model``; shapes that do not broadcast;
        ``threads`` out of range; a number beyond the range of a float
        (``10**400``).
    TypeError
        Data that is not numeric (text, booleans, None, complex numbers).

    Examples
    --------
    >>> s = humitrax.state(25.0, pressure=101.325, relative_humidity=50.0)
    >>> round(s["wet_bulb"], 3), s["status"]
    (17.875, '')
    >>> humitrax.state([20.0, 30.0], altitude=1500.0, dew_point=10.0)["enthalpy"].shape
    (2,)
    """
    units = _choice("units", units, UNITS)
    model = _choice("model", model, MODELS)
    threads = _threads(threads)
    if pressure is None and altitude is None:
        raise ValueError("give pressure or altitude; neither was given")
    if pressure is not None and altitude is not None:
        raise ValueError("give pressure or altitude, not both")
    place = ("pressure", pressure) if pressure is not None else ("altitude", altitude)
    conditions = [(name, value) for name, value in
                  zip(CONDITIONS, (wet_bulb, dew_point, relative_humidity, humidity_ratio))
                  if value is not None]
    if not conditions:
        raise ValueError(f"give one condition: {_listed(CONDITIONS)}")
    if len(conditions) > 1:
        raise ValueError(f"give one condition, not {_listed([name for name, _ in conditions], 'and')}")

    given = [("dry_bulb", dry_bulb), place, conditions[0]]
    shape, rows = _broadcast(given)

    columns, failing, texts = _humitrax.compute(units, model, conditions[0][0], place[0] == "altitude",
                                                *(array for array, _ in rows),
                                                tuple(missing for _, missing in rows), threads)
    return _result(_humitrax.columns(units), columns, failing, texts, shape)


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
