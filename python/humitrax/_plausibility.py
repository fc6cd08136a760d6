"""The warning about given values that look like a slip of unit (humitrax.PlausibilityWarning)."""

import os
import sys
import warnings


class PlausibilityWarning(UserWarning):
    """Given values that air can have but that look like a slip of unit.

    Issued once per call by ``state``, ``frame``, ``comfort`` and the
    processes (``mix``, ``heat``, ``cool``, ``coil``, ``humidify``) when
    the given values of a column lie where weather never does: a pressure
    in hPa, Pa or psia where kPa belong, relative humidities written as
    fractions, a humidity ratio in g/kg, dry bulbs in °F where °C belong.
    The message has one line per such column, the texts ``humitrax-cli
    batch`` and ``humitrax-cli state`` print for the same values (a
    process's second or leaving state is named by its argument,
    ``"b_dry_bulb: ..."``). A warning changes nothing: every value is
    computed as given, and the results and statuses are those of the same
    call without it.

    Notes
    -----
    The tally counts every given value that is not missing, in the unit
    system's own unit (a frame's columns after their units are converted),
    one per row:

    - pressure (given, not an altitude): any value outside 30 to 120 kPa
      (4.4 to 17.4 psia), with the unit most of them fit: hPa or mbar, Pa,
      psia, inHg, kPa (inch-pound) or bar;
    - relative humidity: every value within 0 to 1 % and one above 0, a
      fraction where percent belong;
    - humidity ratio: any value above 0.1 kg/kg (lb/lb): g/kg, gr/lb, or
      a dry bulb in °F;
    - dry bulb: any value above 60 °C (140 °F): °F, or kelvins.

    Real weather never reaches these bounds. The warning points at the
    line that called the humitrax function. Python's warning filters
    apply: ``warnings.simplefilter("error", humitrax.PlausibilityWarning)``
    makes it an exception, ``"ignore"`` silences it.

    Examples
    --------
    >>> import warnings
    >>> with warnings.catch_warnings(record=True) as caught:
    ...     warnings.simplefilter("always")
    ...     s = humitrax.state(25.0, pressure=1013.25, relative_humidity=50.0)
    >>> print(caught[0].message)
    pressure: the value lies outside 30 to 120 kPa; in hPa or mbar?
    >>> caught[0].category is humitrax.PlausibilityWarning, s["status"]
    (True, '')
    """


PlausibilityWarning.__module__ = "humitrax"

_PACKAGE = os.path.dirname(os.path.abspath(__file__)) + os.sep


def warn(texts):
    """One PlausibilityWarning joining `texts` (one line per column), at the
    line outside the package that called it; nothing for no texts."""
    if not texts:
        return
    # stacklevel 2 from the public function the caller called, however deep
    # in the package this is called (frame calls state).
    level = 2
    frame = sys._getframe(1)
    while frame is not None and frame.f_code.co_filename.startswith(_PACKAGE):
        frame = frame.f_back
        level += 1
    warnings.warn("\n".join(texts), PlausibilityWarning, stacklevel=level)
