// SPDX-License-Identifier: GPL-3.0-or-later

// The extension under the Python package quorvin: the package's functions
// take their keywords and broadcast their arrays in Python and call these.
// It keeps no state between calls.

#include <pybind11/pybind11.h>

#include "charge/Sequence.h"
#include "electrokinetics/ModelChoice.h"
#include "fit/LeastSquares.h"
#include "fit/Scan.h"
#include "platform/base/Csv.h"
#include "platform/base/Exception.h"
#include "python/Analyses.h"
#include "python/Arrays.h"
#include "python/Tables.h"

namespace py = pybind11;

PYBIND11_MODULE(_quorvin, m) {
    m.doc() = "The C++ part of the quorvin package; use the package's functions.";
    m.attr("__version__") = QUORVIN_VERSION;
    // The models not linear in z, as the programs offer them; their tables
    // are built when first used.
    electrokinetics::registerModels();
    // The program's refusals reach Python as ValueError with its message.
    py::register_exception_translator([](std::exception_ptr p) {
        try {
            if (p)
                std::rethrow_exception(p);
        } catch (const platform::InputError& e) {
            PyErr_SetString(PyExc_ValueError, e.what());
        } catch (const platform::Exception& e) {
            PyErr_SetString(PyExc_ValueError, e.what());
        } catch (const fit::FitError& e) {
            PyErr_SetString(PyExc_ValueError, e.what());
        } catch (const fit::ScanError& e) {
            PyErr_SetString(PyExc_ValueError, e.what());
        }
    });
    pyquorvin::defineTables(m);
    pyquorvin::defineArrays(m);
    pyquorvin::defineAnalyses(m);
}
