// File: signals.h
// Long computations over arrays run with the interpreter's lock released and
// stop for Ctrl-C between two blocks of rows (columns.h's KeepGoing).
#pragma once

#include <pybind11/pybind11.h>

namespace humitrax::python {

/// Takes the interpreter's lock and runs the handlers of the signals that
/// arrived; false when one raised (Ctrl-C's KeyboardInterrupt), its
/// exception then set, for pybind11::error_already_set to raise once the
/// work has stopped.
inline bool NoSignalRaised()
{
    const pybind11::gil_scoped_acquire held;
    return PyErr_CheckSignals() == 0;
}

} // namespace humitrax::python
