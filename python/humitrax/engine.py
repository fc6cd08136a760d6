"""The property engine's functions, one to one.

The sixteen functions of the calculator's property engine, with its
argument names and order, each a thin call into C++. They compute one
property of one state at a time, by the calculator's relations only
(``model="calculator"``: the moist-air relations of the ASHRAE
Handbook—Fundamentals [1]_ with the Hyland-Wexler saturation pressure).
For whole states, arrays, either model and the rules that keep every
value to air that can exist, use ``humitrax.state``.

See Also
--------
interp : Barometric pressure of the standard atmosphere at an altitude.
SatPressure, SatPressureSI : Saturation pressure of water vapour.
HumidRatio, HumidRatioSI : Humidity ratio.
Humidity, HumiditySI : Relative humidity, as a fraction.
DewPoint, DewPointSI : Dew-point temperature.
WetBulb, WetBulbSI : Thermodynamic wet-bulb temperature.
Volume, VolumeSI : Specific volume per unit mass of dry air.
Grains : Moisture content in grains per pound of dry air.
Enthalpy, EnthalpySI : Specific enthalpy per unit mass of dry air.
PropertyFailure : The exception they raise.

Notes
-----
The functions of a state take ``T`` the dry bulb [°C or °F], ``p`` the
barometric pressure [kPa or psia], ``Situation`` what ``StateVar`` holds
(1 the wet bulb, 2 the dew point, 3 the relative humidity as a fraction,
4 the humidity ratio), ``StateVar`` its value, and ``UnitsSI``: nonzero
for SI, zero for inch-pound. The ``*SI`` functions are the SI forms,
without the flag; ``Grains`` is inch-pound only, ``interp`` takes feet
and gives psia.

Each returns a float; one of the engine's error texts as a str
(``"out of range"``, ``"error"`` ...) where the engine gives one; or
None where its result is empty. Where a value cannot be formed it raises
``PropertyFailure``, whose ``cause`` is the word ``humitrax-cli call``
writes (``"invalid-logarithm"``, ``"type-mismatch"`` ...). A bool, a str
or a float where an int is taken is a TypeError.

References
----------
.. [1] ASHRAE, 2017. *ASHRAE Handbook—Fundamentals*, chapter 1,
   Psychrometrics. Atlanta: ASHRAE.

Examples
--------
>>> humitrax.engine.WetBulbSI(25, 101.325, 3, 0.5)
17.874858840028644
>>> humitrax.engine.DewPointSI(25, 101.325, 4, 0)
Traceback (most recent call last):
humitrax.PropertyFailure: invalid-logarithm
"""

from ._failure import PropertyFailure
from ._humitrax import engine as _engine

interp = _engine.interp
SatPressure = _engine.SatPressure
SatPressureSI = _engine.SatPressureSI
HumidRatio = _engine.HumidRatio
HumidRatioSI = _engine.HumidRatioSI
Humidity = _engine.Humidity
HumiditySI = _engine.HumiditySI
DewPoint = _engine.DewPoint
DewPointSI = _engine.DewPointSI
WetBulb = _engine.WetBulb
WetBulbSI = _engine.WetBulbSI
Volume = _engine.Volume
VolumeSI = _engine.VolumeSI
Grains = _engine.Grains
Enthalpy = _engine.Enthalpy
EnthalpySI = _engine.EnthalpySI

__all__ = [
    "PropertyFailure", "interp", "SatPressure", "SatPressureSI", "HumidRatio", "HumidRatioSI",
    "Humidity", "HumiditySI", "DewPoint", "DewPointSI", "WetBulb", "WetBulbSI", "Volume",
    "VolumeSI", "Grains", "Enthalpy", "EnthalpySI",
]
