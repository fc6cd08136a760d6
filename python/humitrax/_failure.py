"""The exception the property engine raises (humitrax.PropertyFailure)."""


class PropertyFailure(ArithmeticError):
    """A value the property engine cannot form.

    Raised by the functions of ``humitrax.engine`` where the engine fails:
    an error text used as a number, a division by zero, an overflow, an
    operation with no meaningful result, the logarithm of a value that is
    not positive, or an iteration that finds no answer. ``humitrax.state``
    and the processes raise none: they give NaN and a status instead.

    Parameters
    ----------
    cause : str
        The cause as one word (see ``cause`` below).

    Attributes
    ----------
    cause : str
        The cause as one word, as ``humitrax-cli call`` writes it:
        ``"type-mismatch"`` (an error text, such as the saturation
        pressure's ``"out of range"``, used as a number),
        ``"division-by-zero"``, ``"overflow"``, ``"invalid-operation"``
        (a NaN, or an operation with no meaningful result),
        ``"invalid-logarithm"`` or ``"no-convergence"``. ``str(error)`` is
        the same word.

    Examples
    --------
    >>> try:
    ...     humitrax.engine.VolumeSI(25, 0, 4, 0.01)
    ... except humitrax.PropertyFailure as error:
    ...     print(error.cause, isinstance(error, ArithmeticError))
    division-by-zero True
    """

    def __init__(self, cause):
        super().__init__(cause)
        self.cause = cause


PropertyFailure.__module__ = "humitrax"
