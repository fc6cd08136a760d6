"""humitrax.comfort: thermal comfort (ISO 7730 PMV and PPD) of states of air over arrays."""

import numpy as np

from . import _humitrax, _plausibility
from ._state import CONDITIONS, GIVABLE, MODELS, SATURATIONS, UNITS, _broadcast, _choice, _listed, _pair, _threads


def comfort(dry_bulb=None, *, pressure=None, altitude=None, wet_bulb=None, dew_point=None,
            relative_humidity=None, humidity_ratio=None, enthalpy=None, specific_volume=None,
            vapour_pressure=None, met=None, clo=None, air_speed=None,
            radiant=None, units="si", model="ashrae2017", saturation="ice", threads=None):
    """Thermal comfort by ISO 7730: the PMV and PPD of people in states of air.

    The predicted mean vote (PMV, the mean thermal sensation of a large
    group on the scale from -3 cold to +3 hot) and the predicted
    percentage dissatisfied (PPD), as ``humitrax-cli comfort`` computes
    them, over NumPy arrays. The air is a state as for ``humitrax.state``:
    exactly one of ``pressure`` and ``altitude``, and the dry bulb and
    exactly one condition or any two of its properties, whose dry bulb and
    water vapour pressure the model needs. Every
    numeric argument is a number or an array-like; they broadcast together
    by NumPy's rules.

    Parameters
    ----------
    dry_bulb : float or array_like, optional
        Dry-bulb temperature of the air, -100 to 200 °C (-148 to 392 °F).
        [°C or °F]
    pressure : float or array_like, optional
        Barometric pressure, above 0. [kPa or psia]
    altitude : float or array_like, optional
        Altitude above sea level, -5000 to 11000 m (-16404 to 36089 ft),
        whose pressure the model's relation gives. Exactly one of
        ``pressure`` and ``altitude`` is given. [m or ft]
    wet_bulb, dew_point : float or array_like, optional
        Wet-bulb or dew-point temperature, at most the dry bulb. [°C or °F]
    relative_humidity : float or array_like, optional
        Relative humidity, 0 to 100. [%]
    humidity_ratio : float or array_like, optional
        Humidity ratio, from 0 to saturation. Exactly one of ``wet_bulb``,
        ``dew_point``, ``relative_humidity`` and ``humidity_ratio`` is
        given with the dry bulb. [kg/kg or lb/lb]
    enthalpy, specific_volume, vapour_pressure : float or array_like, optional
        The air's enthalpy [kJ/kg or Btu/lb], specific volume [m³/kg or
        ft³/lb] or vapour pressure [kPa or psia]: with another property,
        two give the state instead of the dry bulb and a condition.
    met : float or array_like
        Metabolic rate, above 0; 1 met is 58.15 W/m² of body surface
        (seated and quiet: 1.0, office work: 1.2). [met]
    clo : float or array_like
        Clothing insulation, 0 or more; 1 clo is 0.155 m²·K/W (trousers
        and a long-sleeved shirt: 0.6). [clo]
    air_speed : float or array_like, optional
        Air speed relative to the body, 0 or more; default 0.1 m/s in
        either unit system. [m/s or ft/min]
    radiant : float or array_like, optional
        Mean radiant temperature; default the dry bulb. [°C or °F]
    units : {"si", "ip"}, default "si"
        The unit system of the arguments. The results are in SI whatever
        it is: the model computes in SI, and inch-pound inputs are
        converted as the command converts them.
    model : {"ashrae2017", "calculator"}, default "ashrae2017"
        The psychrometric relations that give the state's vapour pressure
        (see ``humitrax.state``).
    saturation : {"ice", "water"}, default "ice"
        What the 2017 relations take saturation over below the triple
        point, as for ``humitrax.state``.
    threads : int, optional
        Threads to compute on, 1 to 256 (default: one per core). The
        results do not depend on it.

    Returns
    -------
    dict
        The values ``humitrax-cli comfort --format json`` writes, in its
        order, each a float64 array of the broadcast shape (NaN where a
        row has no value):

        - ``air_temperature`` : the dry bulb [°C]
        - ``mean_radiant_temperature`` : [°C]
        - ``air_speed`` : relative to the body [m/s]
        - ``vapour_pressure`` : partial pressure of the water vapour, from
          the state [Pa]
        - ``metabolic_rate`` : [met]
        - ``clothing`` : [clo]
        - ``pmv`` : predicted mean vote, -3 to +3 in the model's range [1]
        - ``ppd`` : predicted percentage dissatisfied, 5 to 100 [%]

        then ``in_applicable_range``, a bool array: true where every input
        lies in the ranges ISO 7730 gives for the model (see Notes), false
        elsewhere and where a row has no value; then ``status``, an array
        of str (object dtype): ``""``, or the failure the command reports
        (every value NaN). When every argument is a scalar, each value is
        a float, the flag a bool and the status a str.

    Raises
    ------
    ValueError
        A missing or doubled argument (``met`` or ``clo`` not given; no
        condition, or two; neither or both of ``pressure`` and
        ``altitude``), an unknown ``units`` or ``model``, shapes that do
        not broadcast, ``threads`` out of range, a number beyond the range
        of a float.
    TypeError
        A value that is not numeric (text, booleans, None, complex
        numbers); ``units`` or ``model`` not a str.

    Warns
    -----
    PlausibilityWarning
        Once per call, when the state's given values look like a slip of
        unit, as for ``humitrax.state``; the values are computed as given.

    See Also
    --------
    state : The properties of the air, the relations of the models.

    Notes
    -----
    The model of ISO 7730:2005, section 4 [1]_ (Fanger's [2]_, which
    ASHRAE Standard 55 uses too): the heat balance of the body, with M the
    metabolic rate and W = 0 the external work in W/m², pa the vapour
    pressure in Pa, ta and tr the air and mean radiant temperatures, var
    the air speed, Icl the clothing in m²·K/W::

        PMV = (0.303 exp(-0.036 M) + 0.028) {(M - W)
              - 3.05e-3 [5733 - 6.99 (M - W) - pa] - 0.42 [(M - W) - 58.15]
              - 1.7e-5 M (5867 - pa) - 0.0014 M (34 - ta)
              - 3.96e-8 fcl [(tcl + 273)^4 - (tr + 273)^4]
              - fcl hc (tcl - ta)}
        PPD = 100 - 95 exp(-0.03353 PMV^4 - 0.2179 PMV^2)

    with the sweating term 0.42 [(M - W) - 58.15] taken as 0 at M - W of
    58.15 W/m² and below, the clothing area factor fcl = 1.00 + 1.290 Icl up to Icl =
    0.078 m²·K/W and 1.05 + 0.645 Icl above, the convective coefficient hc
    the larger of 2.38 |tcl - ta|^0.25 and 12.1 sqrt(var), and the
    clothing surface temperature tcl, which the standard's eq. (2) gives
    only implicitly, found by bisection to 1e-9 K.

    The vapour pressure is the state's (``humitrax.state``'s
    ``vapour_pressure``, × 1000 to Pa, or × 6894.757293168361 from psia).
    In inch-pound units the temperatures are converted by (t - 32)/1.8 and
    an air speed by × 0.00508 (ft/min to m/s).

    ISO 7730 backs the model for 0.8 to 4 met, 0 to 2 clo, air at 10 to
    30 °C, a mean radiant temperature of 10 to 40 °C, air speeds of 0 to
    1 m/s and vapour pressures of 0 to 2700 Pa, ends included
    (``in_applicable_range``), and advises using a PMV only between -2
    and +2. Outside those ranges the values are computed all the same.

    A row has no values, and its status says why, for: a NaN (``"met: not
    a number"``), an infinite value or a masked cell of a masked array
    (``"clo: missing"``); an altitude with no pressure (``"pressure:
    <reason>"``); air that cannot exist (``"the air cannot exist:
    relative_humidity above 100 %"``); a state with no vapour pressure
    (``"vapour_pressure: <reason>"``); an input the model cannot take
    (``"the metabolic rate must be above 0 met, not 0"``); a balance that
    cannot be solved (``"PMV: <cause>"``). These are the texts the command
    writes after ``humitrax-cli comfort:``.

    References
    ----------
    .. [1] ISO 7730:2005. *Ergonomics of the thermal environment —
       Analytical determination and interpretation of thermal comfort
       using calculation of the PMV and PPD indices and local thermal
       comfort criteria*, section 4, eqs. (1) to (5). Geneva: ISO.
    .. [2] Fanger, P. O., 1970. *Thermal Comfort: Analysis and Applications
       in Environmental Engineering*. Copenhagen: Danish Technical Press.

    Examples
    --------
    >>> c = humitrax.comfort(22.0, pressure=101.325, relative_humidity=60.0, met=1.2, clo=0.5,
    ...                      model="calculator")
    >>> round(c["pmv"], 3), round(c["ppd"], 2), c["in_applicable_range"], c["status"]
    (-0.753, 16.94, True, '')

    Arrays broadcast; a row that cannot be computed says why:

    >>> c = humitrax.comfort([20.0, 24.0, 28.0], altitude=1500.0, dew_point=12.0,
    ...                      met=[[1.0], [0.0]], clo=0.6, model="ashrae2017")
    >>> c["pmv"].round(2)
    array([[-1.85, -0.54,  0.74],
           [  nan,   nan,   nan]])
    >>> c["status"][1, 0]
    'the metabolic rate must be above 0 met, not 0'

    Inch-pound inputs; the results are SI:

    >>> c = humitrax.comfort(75.0, pressure=14.696, wet_bulb=62.0, met=1.1, clo=0.5,
    ...                      air_speed=40.0, units="ip", model="calculator")
    >>> round(c["air_temperature"], 3), round(c["air_speed"], 4), round(c["pmv"], 3)
    (23.889, 0.2032, -0.849)
    """
    units = _choice("units", units, UNITS)
    model = _choice("model", model, MODELS)
    saturation = _choice("saturation", saturation, SATURATIONS)
    threads = _threads(threads)
    if (pressure is None) == (altitude is None):
        raise ValueError("give pressure or altitude, exactly one of them")
    place = ("pressure", pressure) if pressure is not None else ("altitude", altitude)
    values = dict(zip(GIVABLE, (dry_bulb, wet_bulb, dew_point, relative_humidity, humidity_ratio, enthalpy,
                                specific_volume, vapour_pressure)))
    if values["dry_bulb"] is not None and sum(value is not None for value in values.values()) != 2:
        conditions = [name for name in CONDITIONS if values[name] is not None]
        got = "none" if not conditions else _listed(conditions, "and")
        raise ValueError(f"give one condition, {_listed(CONDITIONS)}, not {got}")
    first, second = _pair(values)
    for argument, value in (("met", met), ("clo", clo)):
        if value is None:
            raise ValueError(f"give {argument}")

    given = [first, place, second, ("met", met), ("clo", clo)]
    optional = [(argument, value) for argument, value in (("air_speed", air_speed), ("radiant", radiant))
                if value is not None]
    shape, rows = _broadcast(given + optional)
    flat = dict(zip([argument for argument, _ in given + optional], rows))
    arrays = [(argument, *flat.get(argument, (None, None)))
              for argument in [argument for argument, _ in given] + ["air_speed", "radiant"]]
    count = int(np.prod(shape, dtype=np.int64))
    names, columns, applicable, failing, texts, warned = _humitrax.comfort(
        units, model, saturation, first[0], second[0], place[0] == "altitude", arrays, count, threads)

    status = np.full(count, "", dtype=object)
    if texts:
        status[failing] = np.array(texts, dtype=object)
    if shape == ():
        result = {name: float(column[0]) for name, column in zip(names, columns)}
        result["in_applicable_range"] = bool(applicable[0])
        result["status"] = str(status[0])
    else:
        result = {name: column.reshape(shape) for name, column in zip(names, columns)}
        result["in_applicable_range"] = applicable.reshape(shape)
        result["status"] = status.reshape(shape)
    _plausibility.warn(warned)
    return result


comfort.__module__ = "humitrax"
