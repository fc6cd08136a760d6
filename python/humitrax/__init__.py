"""Psychrometric properties of moist air, over NumPy arrays and pandas frames.

The Humitrax state layer in Python: every property of moist air from its
barometric pressure (or altitude) and two of its properties (the dry bulb and
one condition, or any two), and the air-conditioning processes between states, computed in C++ on several
threads. The numbers and status texts are those ``humitrax-cli batch`` and
``humitrax-cli process`` write, bit for bit.

See Also
--------
state : Every property of one state, or of NumPy arrays of states.
frame : The same for the rows of a pandas DataFrame, added to a copy of it.
read_epw, read_tmy3 : EnergyPlus and TMY3 weather files as frames that
    frame takes as they are.
mix, heat, cool, coil, humidify : The air-conditioning processes of
    ``humitrax-cli process`` over arrays.
comfort : Thermal comfort by ISO 7730 (PMV and PPD) over arrays.
engine : The property engine's sixteen functions, one to one.
PropertyFailure : The exception the engine's functions raise.
PlausibilityWarning : The warning about given values that look like a
    slip of unit (a pressure in hPa, relative humidities as fractions).

Notes
-----
Units follow ``units=``:

=====================  ===========  ===========
quantity               ``"si"``     ``"ip"``
=====================  ===========  ===========
temperature            [°C]         [°F]
pressure               [kPa]        [psia]
altitude               [m]          [ft]
humidity ratio         [kg/kg]      [lb/lb]
specific enthalpy      [kJ/kg]      [Btu/lb]
specific volume        [m³/kg]      [ft³/lb]
density                [kg/m³]      [lb/ft³]
dry-air or water flow  [kg/s]       [lb/min]
energy flow            [kW]         [Btu/h]
relative humidity      [%]          [%]
=====================  ===========  ===========

Enthalpy and specific volume are per unit mass of dry air.

The relations follow ``model=``. ``"ashrae2017"`` (the default) is that
of the ASHRAE Handbook—Fundamentals 2017, chapter 1 [1]_: it takes the
saturation pressure over ice below the triple point, the dew point as the
frost point and the wet bulb over ice, or over supercooled water at every
temperature with ``saturation="water"``, the convention of meteorological
files (TMY3, most station data). ``"calculator"`` is the calculator's own:
the engine's functions as the calculator window calls them, with the
Hyland-Wexler saturation pressure [2]_, to the bit; it gives no relative
humidity below 0 °C or 32 °F and takes the dew point from one correlation
at every humidity. The two differ most below freezing. Each function's Notes list its relations.

Air that cannot exist, or a value the relations cannot form, is no
exception, so that one bad row does not stop an array: the result holds
NaN there and its ``status`` says why (``"relative_humidity: above 100
%"``). Every value given back is one that air can have. Only arguments a
call cannot use at all (a missing condition, text for a number) raise
ValueError or TypeError. Given values that air can have but weather never
does (a pressure of 1013 kPa, dry bulbs of 80 °C) are computed as given,
with one ``PlausibilityWarning`` per call that says which column looks
like a slip of unit, as ``humitrax-cli batch`` says it.

References
----------
.. [1] ASHRAE, 2017. *ASHRAE Handbook—Fundamentals*, chapter 1,
   Psychrometrics. Atlanta: ASHRAE.
.. [2] Hyland, R. W. and Wexler, A., 1983. Formulations for the
   thermodynamic properties of the saturated phases of H2O from 173.15 K
   to 473.15 K. *ASHRAE Transactions* 89(2A), 500-519.

Examples
--------
>>> import humitrax
>>> s = humitrax.state(25.0, pressure=101.325, relative_humidity=50.0)
>>> round(s["dew_point"], 2), round(s["enthalpy"], 2), s["status"]
(13.86, 50.32, '')

Below freezing, the 2017 relations give the frost point:

>>> s = humitrax.state(-10.0, pressure=101.325, relative_humidity=50.0, model="ashrae2017")
>>> round(s["dew_point"], 2)
-17.58
"""

from . import engine
from ._comfort import comfort
from ._failure import PropertyFailure
from ._frame import frame
from ._humitrax import __version__
from ._plausibility import PlausibilityWarning
from ._process import coil, cool, heat, humidify, mix
from ._state import state
from ._weather import read_epw, read_tmy3

__all__ = ["state", "frame", "read_epw", "read_tmy3", "mix", "heat", "cool", "coil", "humidify",
           "comfort", "engine", "PropertyFailure", "PlausibilityWarning"]
