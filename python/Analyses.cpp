// SPDX-License-Identifier: GPL-3.0-or-later

#include "python/Analyses.h"

#include <pybind11/numpy.h>
#include <pybind11/stl.h>

#include <cmath>
#include <limits>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "charge/PkaSets.h"
#include "charge/Sequence.h"
#include "charge/Titration.h"
#include "fit/Scan.h"
#include "fit/SigmaFit.h"
#include "model/Quantities.h"
#include "series/Row.h"

namespace py = pybind11;

namespace pyquorvin {

namespace {

using Array = py::array_t<double, py::array::c_style | py::array::forcecast>;

py::array_t<double> arrayOf(const std::vector<double>& v) {
    return py::array_t<double>(static_cast<py::ssize_t>(v.size()), v.data());
}

std::vector<double> valuesOf(const Array& a) {
    return std::vector<double>(a.data(), a.data() + a.size());
}

// The conditions of a measurement from the texts of quorvin-batch's columns
// (temperature, ionic strength, radii, dielectric constant or water),
// entered into the main window's start-up sample by its rules.
model::ModelState conditionsOf(const std::map<std::string, std::string>& columns, bool water) {
    std::vector<model::Entry> entries;
    for (const auto& [name, text] : columns) {
        const std::optional<model::Quantity> q = model::quantityByName(name);
        if (!q || !model::quantityInfo(*q).column)
            throw py::value_error("no condition is called " + name);
        entries.push_back({*q, text});
    }
    series::RowResult row = series::evaluateRow(entries, water);
    if (!row.ok())
        throw py::value_error(row.error);
    return *row.measured;
}

struct Titration {
    std::vector<charge::Site> sites;
    std::optional<double> shiftPerCharge;  // with the conditions
};

Titration titration(const charge::ProteinSequence& sequence, const std::string& pkaSet,
                    int disulfides, bool nBlocked, bool cBlocked,
                    const std::optional<std::map<std::string, std::string>>& screenedAt,
                    bool water) {
    charge::TitrationOptions options;
    options.disulfideBridges = disulfides;
    options.nTerminusBlocked = nBlocked;
    options.cTerminusBlocked = cBlocked;
    const charge::PkaSet& set = charge::findPkaSet(pkaSet);
    Titration t{charge::titrationSites(charge::countGroups(sequence, options), set), {}};
    if (screenedAt)
        t.shiftPerCharge = charge::pkShiftPerCharge(conditionsOf(*screenedAt, water));
    return t;
}

py::array_t<double> netCharge(const charge::ProteinSequence& sequence, const Array& pH,
                              const std::string& pkaSet, int disulfides, bool nBlocked,
                              bool cBlocked,
                              const std::optional<std::map<std::string, std::string>>& screenedAt,
                              bool water) {
    const Titration t =
        titration(sequence, pkaSet, disulfides, nBlocked, cBlocked, screenedAt, water);
    const auto n = static_cast<std::size_t>(pH.size());
    py::array_t<double> out(static_cast<py::ssize_t>(n));
    double* z = out.mutable_data();
    const double* at = pH.data();
    py::gil_scoped_release release;
    for (std::size_t i = 0; i < n; ++i)
        z[i] = t.shiftPerCharge ? charge::screenedCharge(t.sites, at[i], *t.shiftPerCharge)
                                : charge::netCharge(t.sites, at[i]);
    return out;
}

std::optional<double> isoelectricPoint(
    const charge::ProteinSequence& sequence, const std::string& pkaSet, int disulfides,
    bool nBlocked, bool cBlocked,
    const std::optional<std::map<std::string, std::string>>& screenedAt, bool water) {
    const Titration t =
        titration(sequence, pkaSet, disulfides, nBlocked, cBlocked, screenedAt, water);
    return t.shiftPerCharge ? charge::screenedIsoelectricPoint(t.sites, *t.shiftPerCharge)
                            : charge::isoelectricPoint(t.sites);
}

fit::Scan scanOf(const Array& x, const Array& signal, const std::optional<Array>& sd,
                 const std::string& name) {
    fit::Scan scan;
    scan.name = name;
    scan.x = valuesOf(x);
    scan.signal = valuesOf(signal);
    if (sd)
        scan.sd = valuesOf(*sd);
    if (scan.x.size() != scan.signal.size() || (sd && scan.sd.size() != scan.x.size()))
        throw py::value_error(name + ": x, signal and sd differ in length");
    for (std::size_t i = 0; i < scan.x.size(); ++i)
        if (!std::isfinite(scan.x[i]) || !std::isfinite(scan.signal[i]) ||
            (sd && !(scan.sd[i] > 0 && std::isfinite(scan.sd[i]))))
            throw py::value_error(name + ": point " + std::to_string(i) +
                                  " is not finite, or its sd is not above 0");
    return scan;
}

fit::SigmaFit fitSigma(const std::vector<fit::Scan>& scans, std::optional<double> from,
                       std::optional<double> to, std::optional<double> maxSignal, bool baseline,
                       std::int64_t draws, std::uint64_t seed) {
    fit::SigmaFitOptions options;
    options.from = from;
    options.to = to;
    options.maxSignal = maxSignal;
    options.baseline = baseline;
    if (draws < 0)
        throw py::value_error("draws = " + std::to_string(draws) + " is below 0");
    options.draws = draws;
    options.seed = seed;
    py::gil_scoped_release release;
    return fit::fitSigma(scans, options);
}

void defineCharge(py::module_& m) {
    py::class_<charge::ProteinSequence>(
        m, "Sequence",
        "A protein sequence as read_sequence() reads it: name (the FASTA title), residues "
        "(one-letter codes) and notes (what the reader passed over or read by a rule).")
        .def_readonly("name", &charge::ProteinSequence::name)
        .def_readonly("residues", &charge::ProteinSequence::residues)
        .def_readonly("notes", &charge::ProteinSequence::notes)
        .def("__len__", &charge::ProteinSequence::length)
        .def("__repr__", [](const charge::ProteinSequence& s) {
            return "Sequence(name=" + py::repr(py::str(s.name)).cast<std::string>() + ", " +
                   std::to_string(s.length()) + " residues)";
        });
    m.def("read_sequence_text", &charge::readSequence, "A sequence from its FASTA or plain text.");
    m.def("read_sequence_file", &charge::readSequenceFile,
          "A sequence from a FASTA or plain text file.");
    m.def(
        "pka_sets",
        [] {
            std::vector<py::dict> sets;
            for (const charge::PkaSet& set : charge::pkaSets()) {
                py::dict d;
                d["name"] = std::string(set.name);
                d["citation"] = std::string(set.citation);
                py::dict pka;
                for (int g = 0; g < charge::kGroupCount; ++g)
                    pka[charge::groupName(static_cast<charge::Group>(g))] = set.pKa[g];
                d["pka"] = pka;
                sets.push_back(d);
            }
            return sets;
        },
        "The pKa sets; see quorvin.pka_sets.");
    m.def("net_charge", &netCharge, "The net charge at each pH; see quorvin.net_charge.");
    m.def("isoelectric_point", &isoelectricPoint,
          "The isoelectric point; see quorvin.isoelectric_point.");
}

void defineFit(py::module_& m) {
    py::class_<fit::Scan>(m, "Scan",
                          "A concentration profile as read_scan() reads it: x (cm), signal and "
                          "sd (None without an SD column), with a radial scan's description, "
                          "temperature (C) and elapsed_seconds.")
        .def_readonly("name", &fit::Scan::name)
        .def_property_readonly("x", [](const fit::Scan& s) { return arrayOf(s.x); })
        .def_property_readonly("signal", [](const fit::Scan& s) { return arrayOf(s.signal); })
        .def_property_readonly("sd",
                               [](const fit::Scan& s) -> std::optional<py::array_t<double>> {
                                   if (!s.hasSd())
                                       return std::nullopt;
                                   return arrayOf(s.sd);
                               })
        .def_readonly("description", &fit::Scan::description)
        .def_readonly("temperature", &fit::Scan::temperature)
        .def_readonly("elapsed_seconds", &fit::Scan::elapsedSeconds)
        .def("__len__", [](const fit::Scan& s) { return s.x.size(); })
        .def("__repr__", [](const fit::Scan& s) {
            return "Scan(name=" + py::repr(py::str(s.name)).cast<std::string>() + ", " +
                   std::to_string(s.x.size()) + " points)";
        });
    py::class_<fit::ScanPart>(m, "ScanPart",
                              "One scan's part of a fit: the points used and above_max left out, "
                              "x_ref (the middle of the x range used), amplitude and baseline "
                              "with their standard errors.")
        .def_readonly("name", &fit::ScanPart::name)
        .def_readonly("points", &fit::ScanPart::points)
        .def_readonly("above_max", &fit::ScanPart::aboveMax)
        .def_readonly("x_ref", &fit::ScanPart::xRef)
        .def_readonly("amplitude", &fit::ScanPart::amplitude)
        .def_readonly("amplitude_se", &fit::ScanPart::amplitudeSE)
        .def_readonly("baseline", &fit::ScanPart::baseline)
        .def_readonly("baseline_se", &fit::ScanPart::baselineSE)
        .def_readonly("temperature", &fit::ScanPart::temperature)
        .def_readonly("elapsed_seconds", &fit::ScanPart::elapsedSeconds);
    py::class_<fit::SigmaFit>(
        m, "SigmaFit",
        "A fit of Sigma (cm^-1): sigma, sigma_se (scaled by the reduced chi-square when "
        "se_scaled), low95 and high95 (the Monte Carlo 95 % interval of draws refits, "
        "failed_draws left out), points, chi_square, reduced_chi_square, runs_z (the runs "
        "test of the residuals' signs), residual_x and residuals (signal minus curve at the "
        "points used), warning and scans.")
        .def_readonly("sigma", &fit::SigmaFit::sigma)
        .def_readonly("sigma_se", &fit::SigmaFit::sigmaSE)
        .def_readonly("se_scaled", &fit::SigmaFit::seScaled)
        .def_readonly("low95", &fit::SigmaFit::low95)
        .def_readonly("high95", &fit::SigmaFit::high95)
        .def_readonly("draws", &fit::SigmaFit::draws)
        .def_readonly("failed_draws", &fit::SigmaFit::failedDraws)
        .def_readonly("sigma_baseline_correlation", &fit::SigmaFit::sigmaBaselineCorrelation)
        .def_readonly("points", &fit::SigmaFit::points)
        .def_readonly("chi_square", &fit::SigmaFit::chiSquare)
        .def_readonly("reduced_chi_square", &fit::SigmaFit::reducedChiSquare)
        .def_readonly("runs_z", &fit::SigmaFit::runsZ)
        .def_readonly("scans", &fit::SigmaFit::scans)
        .def_property_readonly("residual_x",
                               [](const fit::SigmaFit& f) { return arrayOf(f.residualX); })
        .def_property_readonly("residuals",
                               [](const fit::SigmaFit& f) { return arrayOf(f.residuals); })
        .def_property_readonly("warning", &fit::SigmaFit::warning);
    m.def("scan_of", &scanOf, "A Scan of x, signal and sd arrays.");
    m.def(
        "read_scan", [](const std::string& path) { return fit::readScanFile(path); },
        "A scan file as quorvin-fit reads it.");
    m.def("fit_sigma", &fitSigma, "The fit of Sigma to scans; see quorvin.fit_sigma.");
}

}  // namespace

void defineAnalyses(py::module_& m) {
    defineCharge(m);
    defineFit(m);
}

}  // namespace pyquorvin
