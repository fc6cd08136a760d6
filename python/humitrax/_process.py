"""humitrax.mix, heat, cool, coil, humidify: air-conditioning processes over arrays.

Every function takes keyword arguments only. A state of air is its dry bulb
and exactly one condition, named after a prefix: ``dry_bulb`` with one of
``wet_bulb``, ``dew_point``, ``relative_humidity`` (%) or ``humidity_ratio``
(mix: ``a_dry_bulb``, ``a_wet_bulb`` ... and ``b_dry_bulb`` ...; coil:
``leaving_dry_bulb``, ``leaving_relative_humidity`` ...). A flow is a number
and its unit: ``"kg/s"``, ``"lb/min"`` (dry-air mass flows), ``"m3/s"``,
``"m3/h"`` or ``"cfm"`` (volume flows of the air at its own state).

Every numeric argument is a number or an array-like; they broadcast together
by NumPy's rules. The result is a dict of float64 arrays of the broadcast
shape named as ``humitrax-cli process --format csv`` names its rows,
``"<part>.<quantity>"``: the parts ``entering`` and ``leaving`` (mix:
``first``, ``second`` and ``mixed``), each with every property of the unit
system (``leaving.dry_bulb``, ``leaving.enthalpy`` ...) and its
``dry_air_flow``; then the loads as ``process.<quantity>`` (``process.heat``,
``process.sensible_heat``, ``process.latent_heat``, ...). Then ``status``:
``""``, or why a process has no values (``"refused (leaving air): ..."``,
the words of the command; ``"flow: not a number"``; ``"flow: missing"`` for
a masked cell of a masked array, ``numpy.ma``) or which of its values are
missing.
"""

import numpy as np

from . import _humitrax
from ._state import CONDITIONS, MODELS, UNITS, _choice, _broadcast, _listed, _result

FLOW_UNITS = ("kg/s", "lb/min", "m3/s", "m3/h", "cfm")

_SHARED_DOC = """
    pressure, altitude : float or array_like
        Exactly one: the barometric pressure (kPa or psia), or the altitude
        (m or ft) the model's relation turns into it.
    units : {"si", "ip"}
        °C, kPa, kg/s, kW (si) or °F, psia, lb/min, Btu/h (ip).
    model : {"calculator", "ashrae2017"}
        The property relations, as ``humitrax-cli --model``.

    Returns
    -------
    dict
        float64 arrays (floats when every argument is a scalar) named as
        ``humitrax-cli process --format csv`` names its rows,
        ``"<part>.<quantity>"``, NaN where there is no value, and
        ``"status"``: ``""``, or the refusal (every value NaN) or the
        missing values. Heat and water are what the apparatus adds to the
        air, negative when it takes them away. See ``help(humitrax._process)``.

    Raises
    ------
    ValueError, TypeError
        A missing, doubled or unknown argument, a non-numeric value or
        shapes that do not broadcast; the message names the argument.
"""


def _air(prefix, given):
    """[(key suffix, argument, value)] and the condition of the state `prefix`."""
    dry_bulb = given[f"{prefix}dry_bulb"]
    if dry_bulb is None:
        raise ValueError(f"give {prefix}dry_bulb")
    conditions = [name for name in CONDITIONS if given[f"{prefix}{name}"] is not None]
    if len(conditions) != 1:
        names = _listed([prefix + name for name in CONDITIONS])
        got = "none" if not conditions else _listed([prefix + name for name in conditions], "and")
        raise ValueError(f"give one of {names}, not {got}")
    condition = conditions[0]
    return [("dry_bulb", f"{prefix}dry_bulb", dry_bulb),
            ("value", f"{prefix}{condition}", given[f"{prefix}{condition}"])], condition


def _required(argument, value):
    if value is None:
        raise ValueError(f"give {argument}")
    return value


def _run(kind, numbers, choices, pressure, altitude, units, model):
    """numbers: [(key, argument, value)]; the process of every broadcast row."""
    units = _choice("units", units, UNITS)
    model = _choice("model", model, MODELS)
    if (pressure is None) == (altitude is None):
        raise ValueError("give pressure or altitude, exactly one of them")
    place = ("pressure", pressure) if pressure is not None else ("altitude", altitude)
    numbers = [("pressure", place[0], place[1])] + numbers
    shape, rows = _broadcast([(argument, value) for _, argument, value in numbers])
    count = int(np.prod(shape, dtype=np.int64))
    names, columns, failing, texts = _humitrax.process(
        kind, units, model, place[0] == "altitude", choices,
        [(key, argument, array, missing) for (key, argument, _), (array, missing) in zip(numbers, rows)],
        count)
    return _result(names, columns, failing, texts, shape)


def _stream(prefix, key, given, choices):
    """The numbers and choices of one state with its flow."""
    air, condition = _air(prefix, given)
    flow = _required(f"{prefix}flow", given[f"{prefix}flow"])
    choices[f"{key}condition"] = condition
    choices[f"{key}flow_unit"] = _choice(f"{prefix}flow_unit", given[f"{prefix}flow_unit"], FLOW_UNITS)
    return [(key + suffix, argument, value) for suffix, argument, value in air] + \
        [(f"{key}flow", f"{prefix}flow", flow)]


def mix(*, a_dry_bulb=None, a_wet_bulb=None, a_dew_point=None, a_relative_humidity=None,
        a_humidity_ratio=None, a_flow=None, a_flow_unit="kg/s",
        b_dry_bulb=None, b_wet_bulb=None, b_dew_point=None, b_relative_humidity=None,
        b_humidity_ratio=None, b_flow=None, b_flow_unit="kg/s",
        pressure=None, altitude=None, units="si", model="calculator"):
    """Two streams of air mixed adiabatically (``humitrax-cli process mix``).

    Parameters
    ----------
    a_dry_bulb, b_dry_bulb : float or array_like
        The dry bulbs of the first and second streams, °C or °F.
    a_wet_bulb, a_dew_point, a_relative_humidity, a_humidity_ratio : optional
        Exactly one: the first stream's condition (relative humidity in %).
    b_wet_bulb, b_dew_point, b_relative_humidity, b_humidity_ratio : optional
        Exactly one: the second stream's condition.
    a_flow, b_flow : float or array_like
        The streams' flows, in ``a_flow_unit`` and ``b_flow_unit``:
        "kg/s" (default), "lb/min", "m3/s", "m3/h" or "cfm".
    The parts are ``first``, ``second`` and ``mixed``; a mix has no loads.

    {shared}

    Example
    -------
    >>> r = humitrax.mix(a_dry_bulb=[30.0, 35.0], a_wet_bulb=24.0, a_flow=1.0,
    ...                  b_dry_bulb=24.0, b_relative_humidity=50.0, b_flow=3.0,
    ...                  b_flow_unit="m3/s", pressure=101.325)
    >>> r["mixed.dry_bulb"].shape
    (2,)
    """
    given = locals()
    choices = {}
    numbers = _stream("a_", "", given, choices) + _stream("b_", "second_", given, choices)
    return _run("mix", numbers, choices, pressure, altitude, units, model)


def _sensible(kind, given):
    choices = {}
    numbers = _stream("", "", given, choices) + [("to", "to", _required("to", given["to"]))]
    return _run(kind, numbers, choices, given["pressure"], given["altitude"], given["units"],
                given["model"])


def heat(*, dry_bulb=None, wet_bulb=None, dew_point=None, relative_humidity=None,
         humidity_ratio=None, flow=None, flow_unit="kg/s", to=None,
         pressure=None, altitude=None, units="si", model="calculator"):
    """Sensible heating to the leaving dry bulb ``to`` (``humitrax-cli process heat``).

    Parameters
    ----------
    dry_bulb : float or array_like
        The entering dry bulb, °C or °F.
    wet_bulb, dew_point, relative_humidity, humidity_ratio : optional
        Exactly one: the entering air's condition (relative humidity in %).
    flow : float or array_like
        The flow, in ``flow_unit``: "kg/s" (default), "lb/min", "m3/s",
        "m3/h" or "cfm".
    to : float or array_like
        The leaving dry bulb; below the entering one is refused.
    {shared}"""
    return _sensible("heat", locals())


def cool(*, dry_bulb=None, wet_bulb=None, dew_point=None, relative_humidity=None,
         humidity_ratio=None, flow=None, flow_unit="kg/s", to=None,
         pressure=None, altitude=None, units="si", model="calculator"):
    """Sensible cooling to the leaving dry bulb ``to`` (``humitrax-cli process cool``).

    Arguments as :func:`heat`. A ``to`` above the entering dry bulb, or
    below the entering dew point (that is the coil's work), is refused.

    Parameters
    ----------
    {shared}"""
    return _sensible("cool", locals())


def coil(*, dry_bulb=None, wet_bulb=None, dew_point=None, relative_humidity=None,
         humidity_ratio=None, flow=None, flow_unit="kg/s", adp=None, bypass=None,
         leaving_dry_bulb=None, leaving_wet_bulb=None, leaving_dew_point=None,
         leaving_relative_humidity=None, leaving_humidity_ratio=None,
         pressure=None, altitude=None, units="si", model="calculator"):
    """A cooling and dehumidifying coil (``humitrax-cli process coil``).

    Give either ``adp`` and ``bypass`` (the apparatus dew point and the
    bypass factor, 0 to 1), or the leaving air: ``leaving_dry_bulb`` and one
    of ``leaving_wet_bulb``, ``leaving_dew_point``,
    ``leaving_relative_humidity``, ``leaving_humidity_ratio`` (the apparatus
    dew point and bypass factor are then worked out). Entering air and flow
    as :func:`heat`. An apparatus dew point above the entering dew point, a
    leaving state above saturation ... are refused.

    Parameters
    ----------
    {shared}"""
    given = locals()
    choices = {}
    numbers = _stream("", "", given, choices)
    by_leaving = any(given[f"leaving_{name}"] is not None for name in ("dry_bulb",) + CONDITIONS)
    if by_leaving and (adp is not None or bypass is not None):
        raise ValueError("give adp and bypass, or the leaving air (leaving_dry_bulb ...), not both")
    if by_leaving:
        air, condition = _air("leaving_", given)
        choices.update(coil_mode="leaving", leaving_condition=condition)
        numbers += [("leaving_" + key, argument, value) for key, argument, value in air]
    else:
        choices["coil_mode"] = "adp"
        numbers += [("adp", "adp", _required("adp", adp)),
                    ("bypass", "bypass", _required("bypass", bypass))]
    return _run("coil", numbers, choices, pressure, altitude, units, model)


def humidify(*, dry_bulb=None, wet_bulb=None, dew_point=None, relative_humidity=None,
             humidity_ratio=None, flow=None, flow_unit="kg/s", steam=None, adiabatic=False,
             to_relative_humidity=None, to_humidity_ratio=None, effectiveness=None,
             pressure=None, altitude=None, units="si", model="calculator"):
    """Humidifying by steam or by evaporating water (``humitrax-cli process humidify``).

    Give either ``steam`` (the steam's temperature, °C or °F) or
    ``adiabatic=True`` (water evaporated at the entering wet bulb), and one
    target: ``to_relative_humidity`` (%), ``to_humidity_ratio``, or, for
    ``adiabatic`` only, ``effectiveness`` (0 to 1 of the way to
    saturation). Entering air and flow as :func:`heat`. A target below the
    entering air's or above saturation is refused.

    Parameters
    ----------
    {shared}"""
    given = locals()
    if not isinstance(adiabatic, bool):
        raise TypeError(f"adiabatic must be True or False, not {type(adiabatic).__name__}")
    if adiabatic == (steam is not None):
        raise ValueError("give steam=<temperature> or adiabatic=True, exactly one of them")
    targets = [name for name in ("to_relative_humidity", "to_humidity_ratio", "effectiveness")
               if given[name] is not None]
    if len(targets) != 1:
        raise ValueError("give one of 'to_relative_humidity', 'to_humidity_ratio' or 'effectiveness'")
    choices = {}
    numbers = _stream("", "", given, choices)
    choices["humidifier"] = "adiabatic" if adiabatic else "steam"
    choices["target"] = targets[0].removeprefix("to_")
    if not adiabatic:
        numbers.append(("steam", "steam", steam))
    numbers.append(("target", targets[0], given[targets[0]]))
    return _run("humidify", numbers, choices, pressure, altitude, units, model)


for _function in (mix, heat, cool, coil, humidify):
    _function.__doc__ = _function.__doc__.replace("{shared}", _SHARED_DOC.strip("\n").lstrip())
    _function.__module__ = "humitrax"
