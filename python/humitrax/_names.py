"""The header rules of a table's column names, as humitrax-cli batch reads a header.

A name is compared without regard to case and surrounding blanks; blanks,
underscores and hyphens between words are alike ("Dry Bulb", "dry-bulb" and
"DRY_BULB" are dry_bulb); a unit after the name, in brackets or in
parentheses ("pressure [hPa]", "Dry-bulb (C)"), converts the column's values
to the unit system's own, by the same arithmetic as batch, so that the same
text gives the same number bit for bit.
"""

from dataclasses import dataclass

from . import _humitrax

_SEPARATORS = frozenset(" \t_-")
_BLANKS = " \t"
_CLOSING = {"]": "[", ")": "("}


@dataclass(frozen=True)
class ColumnName:
    """A column's name as the rules read it."""

    name: str  # lower case, words joined by "_"
    unit: str | None  # as written, trimmed; None when the name gives none
    unclosed: str | None = None  # the name before a "[" or "(" that is never closed


def _lower(text):
    """ASCII letters in lower case, as batch lowers them; others as they are."""
    return "".join(c.lower() if "A" <= c <= "Z" else c for c in text)


def _words(text):
    """Blanks, underscores and hyphens between words become one underscore;
    ASCII lower case."""
    out = []
    gap = False
    for c in text:
        if c in _SEPARATORS:
            gap = True
            continue
        if gap:
            out.append("_")
        gap = False
        out.append(c)
    return _lower("".join(out))


def read_name(header):
    """The name and unit of a column header: "Dry Bulb [°C]" gives dry_bulb and "°C"."""
    text = str(header).strip(_BLANKS)
    if len(text) > 1 and text[-1] in _CLOSING:
        open_at = text.rfind(_CLOSING[text[-1]])
        if open_at >= 0:
            return ColumnName(_words(text[:open_at].strip(_BLANKS)), text[open_at + 1:-1].strip(_BLANKS))
    open_at = max(text.rfind("["), text.rfind("("))
    if open_at >= 0 and "]" not in text[open_at:] and ")" not in text[open_at:]:
        return ColumnName(_words(text), None, read_name(text[:open_at]).name)
    return ColumnName(_words(text), None)


@dataclass(frozen=True)
class Conversion:
    """((value + before) × factor ÷ divisor) + after, batch's order of operations."""

    before: float = 0.0
    factor: float = 1.0
    divisor: float = 1.0
    after: float = 0.0
    identity: bool = False

    def apply(self, values):
        if self.identity:
            return values
        return (values + self.before) * self.factor / self.divisor + self.after


_SAME = Conversion(identity=True)


def _times(factor):
    return Conversion(factor=factor)


def _over(divisor):
    return Conversion(divisor=divisor)


_KPA_PER_PSI = _humitrax.KILOPASCALS_PER_PSI
_M_PER_FT = _humitrax.METRES_PER_FOOT
_GRAINS = float(_humitrax.GRAINS_PER_POUND)
_F_TO_C = Conversion(before=-32.0, divisor=1.8)
_C_TO_F = Conversion(factor=1.8, after=32.0)

# By column: each unit (lower case) as (to SI, to inch-pound), and the list
# the messages give.
_TEMPERATURES = ({"c": (_SAME, _C_TO_F), "°c": (_SAME, _C_TO_F), "degc": (_SAME, _C_TO_F),
                  "f": (_F_TO_C, _SAME), "°f": (_F_TO_C, _SAME), "degf": (_F_TO_C, _SAME)},
                 "C, °C, F or °F")
UNITS = {
    "dry_bulb": _TEMPERATURES,
    "wet_bulb": _TEMPERATURES,
    "dew_point": _TEMPERATURES,
    "pressure": ({"kpa": (_SAME, _over(_KPA_PER_PSI)),
                  "hpa": (_over(10.0), _over(10.0 * _KPA_PER_PSI)),
                  "mbar": (_over(10.0), _over(10.0 * _KPA_PER_PSI)),
                  "pa": (_over(1000.0), _over(1000.0 * _KPA_PER_PSI)),
                  "bar": (_times(100.0), _times(100.0 / _KPA_PER_PSI)),
                  "psia": (_times(_KPA_PER_PSI), _SAME),
                  "inhg": (_times(3.386389), _times(0.491154))},
                 "kPa, hPa, Pa, mbar, bar, psia or inHg"),
    "altitude": ({"m": (_SAME, _over(_M_PER_FT)), "ft": (_times(_M_PER_FT), _SAME)}, "m or ft"),
    "relative_humidity": ({"%": (_SAME, _SAME)}, "%"),
    "humidity_ratio": ({"kg/kg": (_SAME, _SAME), "lb/lb": (_SAME, _SAME), "g/kg": (_over(1000.0), _over(1000.0)),
                        "gr/lb": (_over(_GRAINS), _over(_GRAINS))},
                       "kg/kg, lb/lb, g/kg or gr/lb"),
}


def conversion(column, unit, units):
    """The conversion of `unit` to the unit system's own for `column` (its
    rule name: "pressure" ...); None for a unit that does not fit it."""
    known, _ = UNITS[column]
    pair = known.get(_lower(unit.strip(_BLANKS)))
    if pair is None:
        return None
    return pair[0] if units == "si" else pair[1]


def unit_list(column):
    """The units a column may be given in, for a message: "m or ft"."""
    return UNITS[column][1]
