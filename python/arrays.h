// File: arrays.h
// What the module's compiled functions share at the edge to NumPy: the array
// types they take, the value of a cell without one, and the failing rows and
// their statuses as they hand them back.
#pragma once

#include "columns.h"

#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>

#include <cstdint>
#include <iterator>
#include <limits>
#include <utility>
#include <vector>

namespace humitrax::python {

namespace py = pybind11;

using InputArray = py::array_t<double, py::array::c_style>;
using MissingArray = py::array_t<bool, py::array::c_style>;

/// A cell without a value.
inline constexpr double kNoValue = std::numeric_limits<double>::quiet_NaN();

/// The statuses of the blocks, in block order, as one list in row order.
inline std::vector<RowStatus> Joined(std::vector<std::vector<RowStatus>>& parts)
{
    std::vector<RowStatus> statuses;
    for (std::vector<RowStatus>& part : parts)
        statuses.insert(statuses.end(), std::make_move_iterator(part.begin()), std::make_move_iterator(part.end()));
    return statuses;
}

/// (rows, texts): the rows that have a status, as an int64 array, and their
/// texts, as a list of str.
inline std::pair<py::array_t<std::int64_t>, py::list> FailingRows(const std::vector<RowStatus>& statuses)
{
    py::array_t<std::int64_t> rows(static_cast<py::ssize_t>(statuses.size()));
    std::int64_t* row = rows.mutable_data();
    py::list texts(statuses.size());
    for (std::size_t i = 0; i < statuses.size(); ++i) {
        row[i] = static_cast<std::int64_t>(statuses[i].row);
        texts[i] = py::str(statuses[i].text);
    }
    return {rows, texts};
}

} // namespace humitrax::python
