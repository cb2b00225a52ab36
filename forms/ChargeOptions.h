// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <cstddef>
#include <memory>
#include <string>

#include "charge/PkaSets.h"
#include "charge/Sequence.h"
#include "platform/Form.h"

namespace forms {

// What a sequence is titrated with: a pKa set and the options, as the
// charge window and a series choose them (EMBOSS, no bridges, both termini
// free to start with).
struct ChargeChoice {
    std::size_t set = 0;  // in charge::pkaSets()
    charge::TitrationOptions options;
    const charge::PkaSet& pkaSet() const { return charge::pkaSets()[set]; }
};

// The choice fields' rules, the same in every window that shows them. The
// bridges are typed in the number entry; a number the sequence has no Cys
// for is refused (the exception says why) and the field shows the old one.
void nextPkaSet(ChargeChoice& choice);
bool enterBridges(platform::Form* owner, platform::StaticText& field, ChargeChoice& choice,
                  const charge::ProteinSequence* sequence);
void toggleTerminus(bool& blocked, platform::StaticText& field);

// "Groups: N-terminus 1, Asp 7, ..." or "Groups: none".
std::string groupsText(const charge::IonizableGroups& groups);
// "lysozyme C, 129 residues".
std::string sequenceTitle(const charge::ProteinSequence& sequence);

// The sequence's options asked before a series takes it: the choice fields
// of the charge window, its groups and the set's citation; OK or Cancel.
class TSequenceOptions : public platform::Form {
  public:
    TSequenceOptions(platform::Form* owner, const charge::ProteinSequence& sequence,
                     const ChargeChoice& choice);
    std::string className() const override { return "TSequenceOptions"; }
    const ChargeChoice& choice() const { return m_choice; }

    platform::Label* NameLbl;
    platform::Label* GroupsLbl;
    platform::Label* SetLbl;
    platform::StaticText* SetTxt;
    platform::Label* BridgesLbl;
    platform::StaticText* BridgesTxt;
    platform::Label* NTermLbl;
    platform::StaticText* NTermTxt;
    platform::Label* CTermLbl;
    platform::StaticText* CTermTxt;
    platform::Label* CitationLbl;
    platform::Button* OkBtn;
    platform::Button* CancelBtn;

  private:
    void update();
    const charge::ProteinSequence& m_sequence;
    ChargeChoice m_choice;
};

}  // namespace forms
