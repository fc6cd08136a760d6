"""humitrax.mix, heat, cool, coil, humidify: air-conditioning processes over arrays.

Every function takes keyword arguments only. A state of air is its dry bulb
and exactly one condition, named after a prefix: ``dry_bulb`` with one of
``wet_bulb``, ``dew_point``, ``relative_humidity`` [%] or ``humidity_ratio``
(mix: ``a_dry_bulb``, ``a_wet_bulb`` ... and ``b_dry_bulb`` ...; coil:
``leaving_dry_bulb``, ``leaving_relative_humidity`` ...); or any two of
those and ``enthalpy``, ``specific_volume`` and ``vapour_pressure``
(``enthalpy=50.0, relative_humidity=60.0``), solved as ``humitrax.state``
solves them. A flow is a number
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

Each process is a steady flow at one barometric pressure, balanced in dry
air, water and energy by the model's relations, with m the dry-air flows,
W the humidity ratios, h the enthalpies per unit mass of dry air and F = 1
(kg/s × kJ/kg = kW) or 60 (lb/min × Btu/lb × 60 = Btu/h)::

    dry air  Σ m_in = m_out
    water    Σ m_in W_in + water = m_out W_out
    energy   F (Σ m_in h_in + water h_water) + heat = F m_out h_out

to rounding; ``heat`` and ``water`` are what the apparatus adds to the air.
"""

import numpy as np

from . import _humitrax, _plausibility
from ._state import CONDITIONS, GIVABLE, MODELS, SATURATIONS, UNITS, _choice, _broadcast, _listed, _pair, _result

FLOW_UNITS = ("kg/s", "lb/min", "m3/s", "m3/h", "cfm")

# Parts shared by the processes' docstrings, put in for "{name}" below.
_DOC_PARTS = {
    "air": """
    dry_bulb : float or array_like
        Dry-bulb temperature of the entering air, -100 to 200 °C (-148 to
        392 °F). [°C or °F]
    wet_bulb, dew_point : float or array_like, optional
        Wet-bulb or dew-point temperature of the entering air, at most its
        dry bulb. [°C or °F]
    relative_humidity : float or array_like, optional
        Relative humidity of the entering air, 0 to 100. [%]
    humidity_ratio : float or array_like, optional
        Humidity ratio of the entering air, from 0 to saturation. Exactly
        one of ``wet_bulb``, ``dew_point``, ``relative_humidity`` and
        ``humidity_ratio`` is given with the dry bulb. [kg/kg or lb/lb]
    enthalpy, specific_volume, vapour_pressure : float or array_like, optional
        The entering air's enthalpy [kJ/kg or Btu/lb], specific volume
        [m³/kg or ft³/lb] or vapour pressure [kPa or psia]: with another
        property, two give the entering air instead of the dry bulb and a
        condition.
    flow : float or array_like
        The entering air's flow, at least 0, in ``flow_unit``.
    flow_unit : {"kg/s", "lb/min", "m3/s", "m3/h", "cfm"}, default "kg/s"
        The unit of ``flow``, in either unit system: a mass flow of dry air
        ("kg/s", "lb/min"), or a volume flow of the moist air at its own
        state ("m3/s", "m3/h", "cfm"), which its specific volume turns into
        a dry-air flow.
""",
    "basis": """
    pressure : float or array_like, optional
        Barometric pressure of every state of the process, above 0.
        [kPa or psia]
    altitude : float or array_like, optional
        Altitude above sea level, -5000 to 11000 m (-16404 to 36089 ft),
        whose pressure the model's relation gives, as for
        ``humitrax.state``. Exactly one of ``pressure`` and ``altitude`` is
        given. [m or ft]
    units : {"si", "ip"}, default "si"
        SI: temperatures [°C], pressures [kPa], altitudes [m], flows of dry
        air and water [kg/s], heat [kW]. Inch-pound: [°F], [psia], [ft],
        [lb/min], [Btu/h].
    model : {"ashrae2017", "calculator"}, default "ashrae2017"
        The property relations of every state and of the balances: those
        of the ASHRAE Handbook—Fundamentals 2017, chapter 1, or the
        calculator's own (see ``humitrax.state``).
    saturation : {"ice", "water"}, default "ice"
        What the 2017 relations take saturation over below the triple
        point (see ``humitrax.state``).
""",
    "states": """
        - ``"<part>.<property>"``: every property of each state, as the
          columns of ``humitrax.state`` (``"<part>.dry_bulb"`` [°C or °F],
          ``"<part>.humidity_ratio"`` [kg/kg or lb/lb],
          ``"<part>.enthalpy"`` [kJ/kg or Btu/lb] ...), then
          ``"<part>.dry_air_flow"``, its dry-air mass flow [kg/s or
          lb/min].
""",
    "status": """
        - ``"status"`` : ``""`` for a whole process. Else, with every
          value NaN: the refusal, in the words of ``humitrax-cli process``
          (``"refused (entering air): a flow below 0"``); an argument that
          cannot be used (``"flow: not a number"``, ``"to: not a finite
          number"``, ``"flow: missing"`` for a masked cell of a masked
          array, ``numpy.ma``); or ``"pressure: <reason>"`` for an
          altitude with no pressure. Or, with only those values NaN, the
          values that are missing, as ``"leaving: relative_humidity:
          <reason>"`` joined by ``"; "``.

        Arrays of the broadcast shape, or floats and a str when every
        argument is a scalar. Every value of a state is one that air can
        have.
""",
    "loads": """
        - ``"process.heat"`` : heat the apparatus adds to the air, negative
          when it takes heat away [kW or Btu/h]
        - ``"process.sensible_heat"``, ``"process.latent_heat"`` : the
          parts of the air's enthalpy flow change due to its dry bulb and
          to its humidity ratio [kW or Btu/h]
""",
    "sensible": """
    The leaving air has the entering humidity ratio W_in at the dry bulb
    ``to``. With m the dry-air flow, h the model's enthalpy per unit mass
    of dry air and F = 1 (SI) or 60 (inch-pound), the energy balance gives
    heat = F m (h_out - h_in); sensible_heat = F m (h(t_out, W_in) -
    h_in) is all of it, latent_heat = F m (h_out - h(t_out, W_in)) is 0,
    and the sensible heat ratio is 1 (NaN when ``to`` is the entering dry
    bulb) [1]_.
""",
    "raises": """
    Raises
    ------
    ValueError
        A missing or doubled argument (no condition, or two; neither or
        both of ``pressure`` and ``altitude``), an unknown ``units``,
        ``model`` or flow unit, shapes that do not broadcast, a number
        beyond the range of a float; the message names the argument.
    TypeError
        A value that is not numeric (text, booleans, None, complex
        numbers); a choice that is not a str; an ``adiabatic`` that is not
        True or False.

    Warns
    -----
    PlausibilityWarning
        Once per call, when a given state's values look like a slip of
        unit, as for ``humitrax.state``, each text naming its argument
        (``"b_dry_bulb: ..."``); the values are computed as given.
""",
    "references": """
    References
    ----------
    .. [1] ASHRAE, 2017. *ASHRAE Handbook—Fundamentals*, chapter 1,
       Psychrometrics, section "Typical Air-Conditioning Processes".
       Atlanta: ASHRAE.
""",
}


# The arguments of a state's properties by prefix, as (name, argument): made
# once, as these are looked up on every call.
_ARGUMENTS = {prefix: tuple((name, prefix + name) for name in GIVABLE) for prefix in ("", "a_", "b_", "leaving_")}


def _air(prefix, given):
    """[(key suffix, argument, value)] of the state `prefix`'s two given
    properties, and their names."""
    pair = [(name, argument, given[argument]) for name, argument in _ARGUMENTS[prefix]
            if given[argument] is not None]
    if len(pair) == 2:
        return [("given1", pair[0][1], pair[0][2]), ("given2", pair[1][1], pair[1][2])], [pair[0][0], pair[1][0]]
    values = {name: given[argument] for name, argument in _ARGUMENTS[prefix]}
    if values["dry_bulb"] is None and sum(value is not None for value in values.values()) < 2:
        raise ValueError(f"give {prefix}dry_bulb")
    try:
        pair = _pair(values)
    except ValueError:
        names = _listed([prefix + name for name in CONDITIONS])
        got = [prefix + name for name, value in values.items() if value is not None and name != "dry_bulb"]
        raise ValueError(f"give one of {names} with {prefix}dry_bulb, or two properties of the air, not "
                         f"{'none' if not got else _listed(got, 'and')}") from None
    return [(f"given{i + 1}", f"{prefix}{name}", value) for i, (name, value) in enumerate(pair)], \
        [name for name, _ in pair]


def _required(argument, value):
    if value is None:
        raise ValueError(f"give {argument}")
    return value


def _run(kind, numbers, choices, pressure, altitude, units, model, saturation):
    """numbers: [(key, argument, value)]; the process of every broadcast row."""
    units = _choice("units", units, UNITS)
    model = _choice("model", model, MODELS)
    choices["saturation"] = _choice("saturation", saturation, SATURATIONS)
    if (pressure is None) == (altitude is None):
        raise ValueError("give pressure or altitude, exactly one of them")
    place = ("pressure", pressure) if pressure is not None else ("altitude", altitude)
    numbers = [("pressure", place[0], place[1])] + numbers
    # Plain numbers, one process at a time: in C++, without NumPy around it.
    one = _humitrax.process_one(kind, units, model, place[0] == "altitude", choices, numbers)
    if one is not None:
        result, warned = one
        if warned:
            _plausibility.warn(warned)
        return result
    shape, rows = _broadcast([(argument, value) for _, argument, value in numbers])
    count = int(np.prod(shape, dtype=np.int64))
    names, columns, failing, texts, warned = _humitrax.process(
        kind, units, model, place[0] == "altitude", choices,
        [(key, argument, array, missing) for (key, argument, _), (array, missing) in zip(numbers, rows)],
        count)
    result = _result(names, columns, failing, texts, shape)
    _plausibility.warn(warned)
    return result


def _stream(prefix, key, given, choices):
    """The numbers and choices of one state with its flow."""
    air, names = _air(prefix, given)
    flow = _required(f"{prefix}flow", given[f"{prefix}flow"])
    choices[f"{key}given1"], choices[f"{key}given2"] = names
    choices[f"{key}flow_unit"] = _choice(f"{prefix}flow_unit", given[f"{prefix}flow_unit"], FLOW_UNITS)
    return [(key + suffix, argument, value) for suffix, argument, value in air] + \
        [(f"{key}flow", f"{prefix}flow", flow)]


def mix(*, a_dry_bulb=None, a_wet_bulb=None, a_dew_point=None, a_relative_humidity=None,
        a_humidity_ratio=None, a_enthalpy=None, a_specific_volume=None, a_vapour_pressure=None,
        a_flow=None, a_flow_unit="kg/s",
        b_dry_bulb=None, b_wet_bulb=None, b_dew_point=None, b_relative_humidity=None,
        b_humidity_ratio=None, b_enthalpy=None, b_specific_volume=None, b_vapour_pressure=None,
        b_flow=None, b_flow_unit="kg/s",
        pressure=None, altitude=None, units="si", model="ashrae2017",
         saturation="ice"):
    """Two streams of air mixed adiabatically (``humitrax-cli process mix``).

    The mixed air's humidity ratio and enthalpy are the means of the
    streams' weighted by their dry-air flows; its dry bulb follows from
    them.

    Parameters
    ----------
    a_dry_bulb, b_dry_bulb : float or array_like
        Dry-bulb temperatures of the first and second streams, -100 to
        200 °C (-148 to 392 °F). [°C or °F]
    a_wet_bulb, a_dew_point : float or array_like, optional
        The first stream's wet-bulb or dew-point temperature, at most its
        dry bulb. [°C or °F]
    a_relative_humidity : float or array_like, optional
        The first stream's relative humidity, 0 to 100. [%]
    a_humidity_ratio : float or array_like, optional
        The first stream's humidity ratio, from 0 to saturation. Exactly
        one of the four ``a_`` conditions is given. [kg/kg or lb/lb]
    a_flow : float or array_like
        The first stream's flow, at least 0, in ``a_flow_unit``.
    a_flow_unit : {"kg/s", "lb/min", "m3/s", "m3/h", "cfm"}, default "kg/s"
        The unit of ``a_flow``: a mass flow of dry air, or a volume flow of
        the stream at its own state.
    a_enthalpy, a_specific_volume, a_vapour_pressure : optional
        With another ``a_`` property, two give the first stream instead of
        its dry bulb and a condition, as for ``humitrax.state``.
    b_wet_bulb, b_dew_point, b_relative_humidity, b_humidity_ratio : optional
        Exactly one: the second stream's condition, as for the first.
    b_enthalpy, b_specific_volume, b_vapour_pressure : optional
        As for the first stream.
    b_flow : float or array_like
        The second stream's flow, at least 0, in ``b_flow_unit``.
    b_flow_unit : {"kg/s", "lb/min", "m3/s", "m3/h", "cfm"}, default "kg/s"
        The unit of ``b_flow``.
    {basis}

    Returns
    -------
    dict
        The states ``first``, ``second`` and ``mixed`` (a mix has no
        loads), NaN where there is no value:

        {states}
        {status}

    {raises}

    See Also
    --------
    humitrax.state : The properties of one state, the relations of the
        models.

    Notes
    -----
    With m_a and m_b the streams' dry-air flows, W their humidity ratios
    and h their enthalpies, the balances of dry air, water and energy give
    the mixed air: m = m_a + m_b, W = (m_a W_a + m_b W_b)/m, h = (m_a h_a +
    m_b h_b)/m, and its dry bulb by the model's enthalpy relation inverted
    (the calculator's h = 1.006 t + W (2501 + 1.805 t), the 2017
    Handbook's 1.006 t + W (2501 + 1.86 t) kJ/kg; 0.240 t + W (1061 +
    0.444 t) Btu/lb). No heat or water is added, and the mixing is at the
    one pressure [1]_.

    Refused, every value NaN: a flow below 0 or not finite; both flows 0;
    a stream of air that cannot exist; mixed air above saturation (the
    streams would form fog).

    {references}

    Examples
    --------
    >>> r = humitrax.mix(a_dry_bulb=[30.0, 35.0], a_wet_bulb=24.0, a_flow=1.0,
    ...                  b_dry_bulb=24.0, b_relative_humidity=50.0, b_flow=3.0,
    ...                  b_flow_unit="m3/s", pressure=101.325)
    >>> r["mixed.dry_bulb"].round(2), r["mixed.humidity_ratio"].round(5)
    (array([25.34, 26.46]), array([0.01086, 0.01039]))
    >>> r["mixed.dry_air_flow"].round(4), list(r["status"])
    (array([4.5113, 4.5113]), ['', ''])
    """
    given = locals()
    choices = {}
    numbers = _stream("a_", "", given, choices) + _stream("b_", "second_", given, choices)
    return _run("mix", numbers, choices, pressure, altitude, units, model, saturation)


def _sensible(kind, given):
    choices = {}
    numbers = _stream("", "", given, choices) + [("to", "to", _required("to", given["to"]))]
    return _run(kind, numbers, choices, given["pressure"], given["altitude"], given["units"],
                given["model"], given["saturation"])


def heat(*, dry_bulb=None, wet_bulb=None, dew_point=None, relative_humidity=None,
         humidity_ratio=None, enthalpy=None, specific_volume=None, vapour_pressure=None, flow=None, flow_unit="kg/s", to=None,
         pressure=None, altitude=None, units="si", model="ashrae2017",
         saturation="ice"):
    """Sensible heating to the leaving dry bulb ``to`` (``humitrax-cli process heat``).

    The air is heated at a constant humidity ratio.

    Parameters
    ----------
    {air}
    to : float or array_like
        The leaving dry bulb, at least the entering one and at most 200 °C
        (392 °F). [°C or °F]
    {basis}

    Returns
    -------
    dict
        The states ``entering`` and ``leaving`` and the loads, NaN where
        there is no value:

        {states}
        {loads}
        - ``"process.sensible_heat_ratio"`` : sensible over sensible plus
          latent, 1 here; NaN when both are 0 [1]
        {status}

    {raises}

    See Also
    --------
    cool : Sensible cooling.
    humitrax.state : The properties of one state, the relations of the
        models.

    Notes
    -----
    {sensible}

    Refused, every value NaN: a ``to`` below the entering dry bulb, or
    not finite; entering air that cannot exist; a flow below 0 or not
    finite.

    {references}

    Examples
    --------
    >>> r = humitrax.heat(dry_bulb=5.0, relative_humidity=80.0, flow=2.0, flow_unit="m3/s",
    ...                   to=35.0, altitude=400.0)
    >>> round(r["process.heat"], 2), round(r["leaving.relative_humidity"], 1)
    (73.12, 12.4)
    """
    return _sensible("heat", locals())


def cool(*, dry_bulb=None, wet_bulb=None, dew_point=None, relative_humidity=None,
         humidity_ratio=None, enthalpy=None, specific_volume=None, vapour_pressure=None, flow=None, flow_unit="kg/s", to=None,
         pressure=None, altitude=None, units="si", model="ashrae2017",
         saturation="ice"):
    """Sensible cooling to the leaving dry bulb ``to`` (``humitrax-cli process cool``).

    The air is cooled at a constant humidity ratio, so not below its dew
    point: cooling that condenses water is the coil's work (``coil``).

    Parameters
    ----------
    {air}
    to : float or array_like
        The leaving dry bulb, at most the entering one and at least the
        entering dew point. [°C or °F]
    {basis}

    Returns
    -------
    dict
        The states ``entering`` and ``leaving`` and the loads, NaN where
        there is no value:

        {states}
        {loads}
        - ``"process.sensible_heat_ratio"`` : sensible over sensible plus
          latent, 1 here; NaN when both are 0 [1]
        - ``"process.tons"`` : ``units="ip"`` only, the heat in tons of
          refrigeration (12000 Btu/h), negative [ton]
        {status}

    {raises}

    See Also
    --------
    heat : Sensible heating.
    coil : Cooling and dehumidifying.

    Notes
    -----
    {sensible}

    Refused, every value NaN: a ``to`` above the entering dry bulb, below
    the entering dew point (the air would condense), or not finite;
    entering air that cannot exist; a flow below 0 or not finite.

    {references}

    Examples
    --------
    >>> r = humitrax.cool(dry_bulb=95.0, relative_humidity=30.0, flow=2000.0, flow_unit="cfm",
    ...                   to=75.0, pressure=14.696, units="ip")
    >>> round(r["process.heat"]), round(r["process.tons"], 2), round(r["leaving.relative_humidity"], 1)
    (-41296, -3.44, 56.9)
    >>> r = humitrax.cool(dry_bulb=30.0, dew_point=15.0, flow=1.0, to=12.0, pressure=101.325)
    >>> print(r["status"])  # doctest: +ELLIPSIS
    refused (leaving air): the leaving dry bulb lies below the entering dew point: ...
    """
    return _sensible("cool", locals())


def coil(*, dry_bulb=None, wet_bulb=None, dew_point=None, relative_humidity=None,
         humidity_ratio=None, enthalpy=None, specific_volume=None, vapour_pressure=None,
         flow=None, flow_unit="kg/s", adp=None, bypass=None,
         leaving_dry_bulb=None, leaving_wet_bulb=None, leaving_dew_point=None,
         leaving_relative_humidity=None, leaving_humidity_ratio=None, leaving_enthalpy=None,
         leaving_specific_volume=None, leaving_vapour_pressure=None,
         pressure=None, altitude=None, units="si", model="ashrae2017",
         saturation="ice"):
    """A cooling and dehumidifying coil (``humitrax-cli process coil``).

    Give either ``adp`` and ``bypass`` (the apparatus dew point and the
    bypass factor), or the leaving air: ``leaving_dry_bulb`` and one of
    ``leaving_wet_bulb``, ``leaving_dew_point``,
    ``leaving_relative_humidity``, ``leaving_humidity_ratio`` (the
    apparatus dew point and bypass factor are then worked out).

    Parameters
    ----------
    {air}
    adp : float or array_like, optional
        Apparatus dew point, the coil surface's effective temperature, at
        most the entering dew point. [°C or °F]
    bypass : float or array_like, optional
        Bypass factor, 0 to 1: the part of the air that leaves as it
        entered, the rest leaving saturated at ``adp``. [1]
    leaving_dry_bulb : float or array_like, optional
        The leaving dry bulb, at most the entering one. [°C or °F]
    leaving_wet_bulb, leaving_dew_point : float or array_like, optional
        The leaving wet bulb or dew point, at most the leaving dry bulb.
        [°C or °F]
    leaving_relative_humidity : float or array_like, optional
        The leaving relative humidity, 0 to 100. [%]
    leaving_humidity_ratio : float or array_like, optional
        The leaving humidity ratio, at most the entering one. [kg/kg or
        lb/lb]
    leaving_enthalpy, leaving_specific_volume, leaving_vapour_pressure : optional
        With another ``leaving_`` property, two give the leaving air
        instead of its dry bulb and a condition.
    {basis}

    Returns
    -------
    dict
        The states ``entering`` and ``leaving`` and the loads, NaN where
        there is no value:

        {states}
        {loads}
        - ``"process.sensible_heat_ratio"`` : sensible over sensible plus
          latent, NaN when both are 0 [1]
        - ``"process.tons"`` : ``units="ip"`` only, the heat in tons of
          refrigeration (12000 Btu/h), negative [ton]
        - ``"process.water"`` : water added to the air, negative: the
          condensate [kg/s or lb/min]
        - ``"process.water_temperature"`` : the condensate's, the leaving
          dew point [°C or °F]
        - ``"process.water_enthalpy"`` : the condensate's, per unit mass of
          water [kJ/kg or Btu/lb]
        - ``"process.apparatus_dew_point"`` : [°C or °F]; NaN for a coil
          given a leaving state equal to the entering one
        - ``"process.bypass_factor"`` : [1]
        {status}

    {raises}

    See Also
    --------
    cool : Sensible cooling, above the dew point.

    Notes
    -----
    The saturated air at the apparatus dew point has W_adp = Ws(t_adp) and
    h_adp = h(t_adp, W_adp). Given ``adp`` and ``bypass`` BF, the leaving
    air is W_out = W_adp + BF (W_in - W_adp), h_out = h_adp + BF (h_in -
    h_adp), its dry bulb by the model's enthalpy relation inverted. Given
    the leaving air, the apparatus dew point is where the straight line
    from the entering through the leaving state (in W and h) meets
    saturation, and BF = (h_out - h_adp)/(h_in - h_adp).

    The condensate, water = m (W_out - W_in), leaves at the leaving dew
    point t_w as liquid water: h_w = 4.186 t_w kJ/kg, or t_w - 32 Btu/lb.
    The energy balance gives heat = F (m (h_out - h_in) - water h_w), F = 1
    (SI) or 60 (inch-pound); sensible_heat = F m (h(t_out, W_in) - h_in),
    latent_heat = F m (h_out - h(t_out, W_in)) [1]_.

    Refused, every value NaN: a bypass factor outside 0 to 1; an
    apparatus dew point above the entering dew point (the coil would not
    dehumidify); a leaving humidity ratio or dry bulb above the entering
    one; a leaving state above saturation (fog in the coil); a leaving
    state whose line from the entering one never meets saturation; a value
    that is not finite; air that cannot exist; a flow below 0.

    {references}

    Examples
    --------
    >>> r = humitrax.coil(dry_bulb=28.0, wet_bulb=21.0, flow=2.0, adp=[10.0, 20.0], bypass=0.1,
    ...                   pressure=101.325)
    >>> r["leaving.dry_bulb"].round(2), r["process.heat"].round(2), r["process.water"].round(5)
    (array([11.82,   nan]), array([-56.,  nan]), array([-0.00915,      nan]))
    >>> r["status"][1]
    'refused: the apparatus dew point lies above the entering dew point: the coil would not dehumidify'

    Given the leaving air instead:

    >>> r = humitrax.coil(dry_bulb=30.0, relative_humidity=50.0, flow=1.2, flow_unit="m3/s",
    ...                   leaving_dry_bulb=14.0, leaving_relative_humidity=92.0,
    ...                   pressure=101.325, model="ashrae2017")
    >>> round(r["process.apparatus_dew_point"], 2), round(r["process.bypass_factor"], 3)
    (11.74, 0.123)
    """
    given = locals()
    choices = {}
    numbers = _stream("", "", given, choices)
    by_leaving = any(given[f"leaving_{name}"] is not None for name in GIVABLE)
    if by_leaving and (adp is not None or bypass is not None):
        raise ValueError("give adp and bypass, or the leaving air (leaving_dry_bulb ...), not both")
    if by_leaving:
        air, names = _air("leaving_", given)
        choices.update(coil_mode="leaving", leaving_given1=names[0], leaving_given2=names[1])
        numbers += [("leaving_" + key, argument, value) for key, argument, value in air]
    else:
        choices["coil_mode"] = "adp"
        numbers += [("adp", "adp", _required("adp", adp)),
                    ("bypass", "bypass", _required("bypass", bypass))]
    return _run("coil", numbers, choices, pressure, altitude, units, model, saturation)


def humidify(*, dry_bulb=None, wet_bulb=None, dew_point=None, relative_humidity=None,
             humidity_ratio=None, enthalpy=None, specific_volume=None, vapour_pressure=None, flow=None, flow_unit="kg/s", steam=None, adiabatic=False,
             to_relative_humidity=None, to_humidity_ratio=None, effectiveness=None,
             pressure=None, altitude=None, units="si", model="ashrae2017",
         saturation="ice"):
    """Humidifying by steam or by evaporating water (``humitrax-cli process humidify``).

    Give either ``steam`` (the steam's temperature) or ``adiabatic=True``
    (water evaporated at the entering wet bulb), and one target:
    ``to_relative_humidity``, ``to_humidity_ratio``, or, for ``adiabatic``
    only, ``effectiveness``.

    Parameters
    ----------
    {air}
    steam : float or array_like, optional
        Temperature of the steam, at least its boiling point at the air's
        pressure and at most 200 °C (392 °F). [°C or °F]
    adiabatic : bool, default False
        True for water evaporated into the air, supplied at the entering
        wet bulb (which must not lie below freezing).
    to_relative_humidity : float or array_like, optional
        The leaving relative humidity, from the entering one to 100. [%]
    to_humidity_ratio : float or array_like, optional
        The leaving humidity ratio, from the entering one to saturation on
        the humidifier's path. [kg/kg or lb/lb]
    effectiveness : float or array_like, optional
        ``adiabatic`` only: how far the air goes towards saturation along
        its path, 0 to 1. [1]
    {basis}

    Returns
    -------
    dict
        The states ``entering`` and ``leaving`` and the loads, NaN where
        there is no value:

        {states}
        {loads}
        - ``"process.water"`` : the water or steam the air takes up
          [kg/s or lb/min]
        - ``"process.water_temperature"`` : the steam's, or the entering
          wet bulb [°C or °F]
        - ``"process.water_enthalpy"`` : per unit mass of water [kJ/kg or
          Btu/lb]
        {status}

    {raises}

    See Also
    --------
    humitrax.state : The properties of one state, the relations of the
        models.

    Notes
    -----
    The air takes up water of enthalpy h_w per unit mass, and nothing else:
    ``process.heat`` is 0, and along the humidifier's path h = h_in + (W -
    W_in) h_w, the dry bulb following from h and W by the model's enthalpy
    relation inverted. For steam at t_s, h_w is the vapour term of that
    relation: 2501 + 1.805 t_s kJ/kg (calculator) or 2501 + 1.86 t_s
    (2017 Handbook), 1061 + 0.444 t_s Btu/lb; the dry bulb is nearly held.
    Water evaporated at the wet bulb t* has h_w = 4.186 t* kJ/kg (t* - 32
    Btu/lb): the air follows its line of nearly constant wet bulb [1]_.

    ``to_humidity_ratio`` gives W_out itself; ``to_relative_humidity`` the
    first W on the path at which the relative humidity reaches the target
    (steam much hotter than the air warms it as it humidifies: its
    relative humidity then rises to a peak and falls again); an
    ``effectiveness`` ε gives W_out = W_in + ε (W* - W_in), W* where the
    path meets saturation. The water taken up is m (W_out - W_in);
    sensible_heat = F m (h(t_out, W_in) - h_in) and latent_heat = F m
    (h_out - h(t_out, W_in)), F = 1 (SI) or 60 (inch-pound).

    Refused, every value NaN: a target below the entering air's (a
    humidifier cannot dry air), above saturation, past the first
    saturation on the path (fog), or never reached on it; an effectiveness
    outside 0 to 1, or for steam; steam above 200 °C (392 °F) or below its
    boiling point at the air's pressure; an entering wet bulb below
    freezing for ``adiabatic``; air that cannot exist; a flow below 0.

    {references}

    Examples
    --------
    >>> r = humitrax.humidify(dry_bulb=20.0, relative_humidity=20.0, flow=1.0, steam=100.0,
    ...                       to_relative_humidity=50.0, pressure=101.325)
    >>> round(r["leaving.dry_bulb"], 2), round(r["process.water"], 6), r["process.heat"]
    (20.68, 0.004695, 0.0)
    >>> r = humitrax.humidify(dry_bulb=30.0, relative_humidity=20.0, flow=1.0, adiabatic=True,
    ...                       effectiveness=[0.5, 0.9], pressure=101.325)
    >>> r["leaving.dry_bulb"].round(2), r["entering.wet_bulb"].round(2)
    (array([22.81, 17.12]), array([15.7, 15.7]))
    """
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
    return _run("humidify", numbers, choices, pressure, altitude, units, model, saturation)


for _function in (mix, heat, cool, coil, humidify):
    for _name, _part in _DOC_PARTS.items():
        _function.__doc__ = _function.__doc__.replace("{" + _name + "}", _part.strip("\n").lstrip())
    _function.__module__ = "humitrax"
