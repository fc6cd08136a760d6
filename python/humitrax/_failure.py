"""The exception the property engine raises (humitrax.PropertyFailure)."""


class PropertyFailure(ArithmeticError):
    """A value the property engine cannot form.

    Raised by the functions of ``humitrax.engine`` where the engine fails: an
    error text used as a number, a division by zero, an overflow, an
    operation with no meaningful result, the logarithm of a value that is
    not positive, or an iteration that finds no answer.

    Attributes
    ----------
    cause : str
        The cause as one word, as ``humitrax-cli call`` writes it:
        ``"type-mismatch"``, ``"division-by-zero"``, ``"overflow"``,
        ``"invalid-operation"``, ``"invalid-logarithm"`` or
        ``"no-convergence"``. ``str(error)`` is the same word.
    """

    def __init__(self, cause):
        super().__init__(cause)
        self.cause = cause


PropertyFailure.__module__ = "humitrax"
