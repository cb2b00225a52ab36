// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <string>
#include <utility>
#include <vector>

#include "model/Calculators.h"
#include "model/FieldTable.h"
#include "model/ModelState.h"
#include "model/Outputs.h"
#include "model/Quantities.h"

namespace model {

// One sample as the main window holds it, without a window: the text of each
// value field (an input's as typed), the choices (which of Sigma, mobility, z
// and z* is entered; which of D, f and Rs; E entered or calculated), the
// values the calculators keep beside the fields, and the results of its last
// evaluation. The window, quorvin-batch and the analyses change it only
// through the functions below, so the rules stand once.
struct Sample {
    ModelState state;
    FieldTable fields;
};

// The main window's state and fields, wherever they are held.
struct SampleRef {
    ModelState& state;
    ValueFields& fields;
};

// Reads the start-up texts of the fields into the state and derives f, D and
// the quantities of the solution from them, as the window does before its
// first pass.
void readStartValues(SampleRef s);

// The state the main window starts with: its start-up texts read and the
// first pass run (which writes no log entry).
const Sample& startUpSample();

// What an evaluation shows: the state with every result, the fields' texts
// and colours, and the graph's points.
struct Evaluation {
    Sample sample;
    std::vector<std::pair<double, double>> points;
};
// One recalculation pass over a copy of the sample; with the log entry when
// writeLogEntry is given.
Evaluation evaluate(const Sample& sample);

// The lines of the .DAT export: "z Ge" on the graph's own grid.
std::vector<std::string> datLines(const ModelState& s);

// A value the main window's number entry accepted for one of its own fields
// (T, I, Ri, the dielectric constant, z, z*): the field shows the text as
// typed and the state takes the value (z and z* truncated to whole numbers);
// z or z* becomes the entered one of the valence chain; after a change of
// temperature D, f and Rs follow it.
void enterInMainWindow(SampleRef s, Quantity q, const std::string& text, double value);

// The solvent's values of the window, for the solvent dialog.
SolventValues solventValuesOf(const ModelState& s);
// With water chosen, the viscosity and dielectric constant follow the
// temperature, and their fields show them.
void followSolvent(SampleRef s);
// After the solvent dialog's OK: the window takes the choice and the values,
// its fields show the texts the dialog shows, and D, f and Rs follow a
// changed viscosity.
void takeBackSolvent(SampleRef s, const SolventValues& v, const SolventTexts& shown);

// The window's values as the D, f, Rs calculator exchanges them.
HydrodynamicRefs hydrodynamicsOf(ModelState& s);
// After the D, f, Rs calculator's OK: the window takes back the values; its
// Stokes radius field shows the radius with at most two decimals and the
// temperature field a temperature that changed.
void takeBackDfRs(SampleRef s, const DfRsValues& v);

// The values a window shares with the E field calculator.
struct FieldRefs {
    double& Current;
    double& Conductivity;
    double& XSection;
    double& EField;
    bool& ECalculated;
};
FieldRefs fieldGroupOf(ModelState& s);
// The calculator opened from the group: for direct entry of E or, from the
// other three fields, for calculating it whatever the mode was.
FieldValues fieldValuesOf(const FieldRefs& g, bool direct);
// After OK: E with its text and, in calculate mode, the three inputs with
// the texts the calculator shows.
void takeBackField(FieldRefs g, ValueFields& fields, const FieldValues& v, const FieldTexts& shown);

// The mobility calculator's values from the window, and back after OK:
// Sigma and the mobility keep their values, their fields show them rounded,
// and the fields of the temperature, Stokes radius and the E group show what
// changed (texts the calculator shows, in calcFields).
MobilityValues mobilityValuesOf(const ModelState& s);
void takeBackMobility(SampleRef s, const MobilityValues& v, const ValueFields& calcFields);
// Sigma or the mobility as if typed in the mobility calculator and taken
// back by its OK; the calculator's refusal, with nothing changed, when it
// would not take the text.
std::optional<std::string> enterMeasured(SampleRef s, Quantity q, const std::string& text);

// The order in which a row of entries goes into the window, one visit per
// dialog: the solvent (water with its relative viscosity, or the dielectric
// constant), the ionic strength, salt ion radius and temperature in the
// window, the Stokes radius and viscosity in one visit of
// the D, f, Rs calculator, the E group in one visit of the E field
// calculator, Sigma or the mobility in the mobility calculator, then z or z*
// in the window.
struct Entry {
    Quantity quantity;
    std::string text;
};
// Enters them into s; the first value the window refuses ends it, and its
// reason is returned (the sample is then part-way).
// With water the solvent is water at the temperature (the row then gives no
// viscosity or dielectric constant of its own).
std::optional<std::string> enterAll(Sample& s, const std::vector<Entry>& entries,
                                    bool water = false);

}  // namespace model
