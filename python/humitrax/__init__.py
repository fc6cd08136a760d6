"""Psychrometric properties of moist air: the Humitrax state layer in Python.

- ``state(dry_bulb, pressure=... | altitude=..., <one condition>=...)``:
  every property of one state or of NumPy arrays of states, computed in C++
  on several threads, the values ``humitrax-cli batch`` gives bit for bit;
- ``frame(df, ...)``: the same for the rows of a pandas DataFrame, added to
  a copy of it (and, with Dask, ``ddf.map_partitions(humitrax.frame, ...)``
  for frames spread over a cluster);
- ``mix``, ``heat``, ``cool``, ``coil``, ``humidify``: the air-conditioning
  processes of ``humitrax-cli process`` over arrays, their values named as
  its csv names them (``"leaving.dry_bulb"``, ``"process.heat"``);
- ``engine``: the property engine's sixteen functions one to one, raising
  ``PropertyFailure``.

Units are SI (``units="si"``: °C, kPa, m) or inch-pound (``"ip"``: °F,
psia, ft); relative humidity is in percent.

Example::

    >>> import humitrax
    >>> s = humitrax.state(25.0, pressure=101.325, relative_humidity=50.0)
    >>> round(s["dew_point"], 2), round(s["enthalpy"], 2), s["status"]
    (13.89, 50.31, '')
"""

from . import engine
from ._failure import PropertyFailure
from ._frame import frame
from ._humitrax import __version__
from ._process import coil, cool, heat, humidify, mix
from ._state import state

__all__ = ["state", "frame", "mix", "heat", "cool", "coil", "humidify", "engine", "PropertyFailure"]
