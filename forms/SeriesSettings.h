// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <optional>

#include "charge/Sequence.h"
#include "forms/ChargeOptions.h"
#include "series/Settings.h"

namespace forms {

// A series' sequence with the choices it is titrated with.
struct AttachedSequence {
    charge::ProteinSequence sequence;
    ChargeChoice choice;
};

// The sequence a series' settings keep (keys Sequence, SequenceName,
// PkaSet, Bridges, NTerminus, CTerminus), or none. A value that cannot be
// read is refused with the setting's column name and why.
std::optional<AttachedSequence> attachedSequence(const series::Settings& settings);
// The same keys written, or removed for none.
void putSequence(series::Settings& settings, const std::optional<AttachedSequence>& attached);

}  // namespace forms
