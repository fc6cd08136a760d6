"""The property engine's functions, one to one.

Each takes the engine's arguments in its order: ``T`` the dry bulb (°C or
°F), ``p`` the barometric pressure (kPa or psia), ``Situation`` what
``StateVar`` holds (1 wet bulb, 2 dew point, 3 relative humidity as a
fraction, 4 humidity ratio), ``StateVar`` its value, and ``UnitsSI``
nonzero for SI, zero for inch-pound; the ``*SI`` functions are SI only.
Each returns a float, the engine's error text as a str ("out of range",
"error", ...) or None when the result is empty, and raises
``PropertyFailure`` when a value cannot be formed; its ``cause`` is the word
``humitrax-cli call`` writes ("invalid-logarithm", "type-mismatch", ...).

For whole states, arrays and every property at once, use
``humitrax.state``.

Example::

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
