"""Bad arguments to humitrax.state: the error's type and a message naming the argument."""

import numpy as np
import pytest

import humitrax

STATE = dict(pressure=101.325, relative_humidity=50)


@pytest.mark.parametrize("dry_bulb, arguments, error, message", [
    (25, dict(relative_humidity=50), ValueError, "give pressure or altitude; neither was given"),
    (25, dict(STATE, altitude=0), ValueError, "give pressure or altitude, not both"),
    (25, dict(pressure=101.325), ValueError, "give one condition: 'wet_bulb', 'dew_point', 'relative_humidity' or"),
    (25, dict(STATE, dew_point=5), ValueError, "not 'dew_point' and 'relative_humidity'"),
    (25, dict(STATE, units="metric"), ValueError, "units must be 'si' or 'ip', not 'metric'"),
    (25, dict(STATE, units=1), TypeError, "units must be 'si' or 'ip', not int"),
    (25, dict(STATE, model="coolprop"), ValueError, "model must be 'calculator' or 'ashrae2017', not 'coolprop'"),
    (25, dict(STATE, model="calculator", saturation="water"), ValueError, "saturation='water' is for the 2017"),
    ([20, 25, 30], dict(pressure=[100, 101], relative_humidity=50), ValueError,
     r"do not broadcast together: dry_bulb \(3,\), pressure \(2,\), relative_humidity \(\)"),
    ("25", STATE, TypeError, "dry_bulb must be numeric, not str"),
    (25, dict(altitude=True, dew_point=5), TypeError, "altitude must be numeric, not bool"),
    ([20, True], STATE, TypeError, "dry_bulb must be numeric, not bool"),
    (25, dict(pressure=np.array([101.325, None, np.True_], dtype=object), relative_humidity=50), TypeError,
     "pressure must be numeric, not bool"),
    ([[20, 25], [30]], STATE, ValueError, "dry_bulb is neither a number nor a regular array"),
    (25, dict(STATE, threads=0), ValueError, "threads must be from 1 to 256, not 0"),
    (25, dict(STATE, threads=2.0), TypeError, "threads must be a whole number, not float"),
    (10**400, STATE, ValueError, "dry_bulb has a number beyond the range of a float"),
    (25, dict(altitude=10**400, dew_point=5), ValueError, "altitude has a number beyond the range"),
    (25, dict(pressure=101.325, relative_humidity=[50, 10**400]), ValueError,
     "relative_humidity has a number beyond the range"),
], ids=["no_pressure", "pressure_and_altitude", "no_condition", "two_conditions", "unknown_units",
        "units_not_text", "unknown_model", "water_for_the_calculator", "shapes_do_not_broadcast", "text_dry_bulb",
        "boolean", "boolean_among_numbers_in_a_list", "boolean_in_an_object_array", "ragged", "zero_threads", "fractional_threads", "int_beyond_float_dry_bulb",
        "int_beyond_float_altitude", "int_beyond_float_in_a_condition_list"])
def test_bad_arguments_raise_naming_the_argument(dry_bulb, arguments, error, message):
    with pytest.raises(error, match=message):
        humitrax.state(dry_bulb, **arguments)


def test_arguments_after_the_dry_bulb_are_keywords_only():
    with pytest.raises(TypeError):
        humitrax.state(25, 101.325, 50)
