"""humitrax.engine: the engine's functions one to one, as humitrax-cli call answers them."""

import itertools
import pickle
import subprocess

import numpy as np
import pytest

import humitrax
from humitrax import engine

# The arguments after the name, by how many the function takes: ordinary
# states, every Situation and an invalid one, and the failures (a dry bulb
# outside the saturation range, humidity ratio 0, pressure 0).
STATES = [(25, 101.325), (-10, 101.325), (77, 14.696), (300, 101.325), (25, 0), (-95, 101.325)]
STATE_VALUES = [(1, 18), (2, 10), (3, 0.5), (4, 0.01), (4, 0), (7, 0.5)]
STATE_ARGUMENTS = [state + value for state, value in itertools.product(STATES, STATE_VALUES)]
ARGUMENTS = {
    "interp": [(0,), (1500,), (-1000,), (1e200,), (float("nan"),)],
    "SatPressure": [(t, u) for t in (20, -20, 68, 500) for u in (0, 1)],
    "SatPressureSI": [(20,), (-20,), (0,), (200.5,)],
    "Grains": STATE_ARGUMENTS,
}
for name in ["HumidRatio", "Humidity", "DewPoint", "WetBulb", "Volume", "Enthalpy"]:
    ARGUMENTS[name] = [a + (u,) for a in STATE_ARGUMENTS for u in (0, 1)]
    ARGUMENTS[name + "SI"] = STATE_ARGUMENTS


def python_answer(function, arguments):
    """The answer in the words of humitrax-cli call; a number must be a float, a text a str."""
    try:
        result = function(*arguments)
    except humitrax.PropertyFailure as failure:
        return ("failure", failure.cause)
    if result is None:
        return ("empty",)
    if type(result) is str:
        return ("text", result)
    return ("number", result.hex()) if type(result) is float else ("not a float", repr(result))


def cli_answer(line):
    kind, _, rest = line.partition(" ")
    return ("number", float(rest).hex()) if kind == "number" else (kind, rest) if rest else (kind,)


def test_every_function_answers_as_humitrax_cli_call(cli):
    calls = [(name, arguments) for name, cases in ARGUMENTS.items() for arguments in cases]
    lines = "".join(f"{name} {' '.join(repr(a) for a in arguments)}\n" for name, arguments in calls)
    done = subprocess.run([cli, "call"], input=lines, capture_output=True, text=True, timeout=60)
    answers = done.stdout.splitlines()
    assert len(answers) == len(calls), done.stderr
    assert len(ARGUMENTS) == 16 and set(ARGUMENTS) <= set(engine.__all__)
    mismatches = [(name, arguments, answer) for (name, arguments), answer in zip(calls, answers)
                  if python_answer(getattr(engine, name), arguments) != cli_answer(answer)]
    assert mismatches == []
    assert {cli_answer(answer)[0] for answer in answers} == {"number", "text", "empty", "failure"}


def test_a_failure_raises_property_failure_with_its_cause():
    with pytest.raises(engine.PropertyFailure) as raised:
        engine.DewPointSI(25, 101.325, 4, 0)  # dry air
    assert type(raised.value) is humitrax.PropertyFailure and isinstance(raised.value, ArithmeticError)
    assert raised.value.cause == str(raised.value) == "invalid-logarithm"
    assert repr(raised.value) == "PropertyFailure('invalid-logarithm')"
    assert pickle.loads(pickle.dumps(raised.value)).cause == "invalid-logarithm"


# True is no number: every kind of argument refuses Python's and NumPy's bools.
@pytest.mark.parametrize("function, arguments", [
    (engine.SatPressureSI, (True,)),
    (engine.interp, (np.True_,)),
    (engine.SatPressure, (20, True)),
    (engine.HumidRatioSI, (25, 101.325, True, 0.5)),
    (engine.WetBulb, (25, 101.325, 3, np.False_, 1)),
], ids=["temperature", "altitude_numpy_bool", "units", "situation", "state_variable_numpy_bool"])
def test_a_bool_argument_is_a_type_error(function, arguments):
    with pytest.raises(TypeError, match="incompatible function arguments"):
        function(*arguments)

