// SPDX-License-Identifier: GPL-3.0-or-later

#include "forms/ChargeOptions.h"

#include "forms/Enternumber.h"
#include "forms/WidgetFields.h"
#include "platform/base/Exception.h"

namespace forms {

void nextPkaSet(ChargeChoice& choice) {
    choice.set = (choice.set + 1) % charge::pkaSets().size();
}

bool enterBridges(platform::Form* owner, platform::StaticText& field, ChargeChoice& choice,
                  const charge::ProteinSequence* sequence) {
    double bridges = choice.options.disulfideBridges;
    if (!enterNumberInto(owner, field, 0, 1000, bridges, true))
        return false;
    charge::TitrationOptions options = choice.options;
    options.disulfideBridges = static_cast<int>(bridges);
    if (sequence) {
        try {
            charge::countGroups(*sequence, options);
        } catch (const platform::Exception&) {
            field.setText(std::to_string(choice.options.disulfideBridges));
            throw;
        }
    }
    choice.options = options;
    return true;
}

void toggleTerminus(bool& blocked, platform::StaticText& field) {
    blocked = !blocked;
    field.setText(charge::terminusText(blocked));
}

std::string groupsText(const charge::IonizableGroups& groups) {
    std::string counted;
    for (int g = 0; g < charge::kGroupCount; ++g) {
        const auto group = static_cast<charge::Group>(g);
        if (groups[group] > 0)
            counted += std::string(counted.empty() ? "" : ", ") + charge::groupName(group) + " " +
                       std::to_string(groups[group]);
    }
    return "Groups: " + (counted.empty() ? std::string("none") : counted);
}

std::string sequenceTitle(const charge::ProteinSequence& sequence) {
    return (sequence.name.empty() ? std::string("Sequence") : sequence.name) + ", " +
           std::to_string(sequence.length()) + " residues";
}

namespace {
constexpr int kWidth = 436;
}

TSequenceOptions::TSequenceOptions(platform::Form* owner, const charge::ProteinSequence& sequence,
                                   const ChargeChoice& choice)
    : Form(owner, "SequenceOptions"), m_sequence(sequence), m_choice(choice) {
    setCaption("Sequence options");
    setBorderStyle(platform::BorderStyle::Dialog);
    setCentered(true);
    setClientSize(kWidth, 190);
    platform::Font bold;
    bold.bold = true;
    NameLbl = add<platform::Label>("NameLbl", sequenceTitle(sequence));
    NameLbl->setFont(bold);
    NameLbl->setBounds(8, 8, kWidth - 16, 15);
    GroupsLbl = add<platform::Label>("GroupsLbl");
    GroupsLbl->setBounds(8, 28, kWidth - 16, 15);
    const auto click = [this](auto action) {
        return [this, action](platform::Control&) {
            action();
            update();
        };
    };
    addChoiceFields(
        *this, 52,
        {
            {&SetLbl, &SetTxt, "Set", "pKa set:", click([this] { nextPkaSet(m_choice); })},
            {&BridgesLbl, &BridgesTxt, "Bridges", "S-S bridges:", click([this] {
                 enterBridges(this, *BridgesTxt, m_choice, &m_sequence);
             })},
            {&NTermLbl, &NTermTxt, "NTerm", "N-terminus:", click([this] {
                 toggleTerminus(m_choice.options.nTerminusBlocked, *NTermTxt);
             })},
            {&CTermLbl, &CTermTxt, "CTerm", "C-terminus:", click([this] {
                 toggleTerminus(m_choice.options.cTerminusBlocked, *CTermTxt);
             })},
        });
    CitationLbl = add<platform::Label>("CitationLbl");
    CitationLbl->setWordWrap(true);
    CitationLbl->setBounds(8, 100, kWidth - 16, 32);
    OkBtn = add<platform::Button>("OkBtn", platform::ButtonKind::Ok);
    OkBtn->setModalResult(platform::ModalResult::Ok);
    OkBtn->setDefault(true);
    OkBtn->setBounds(kWidth - 186, 150, 85, 29);
    CancelBtn = add<platform::Button>("CancelBtn", platform::ButtonKind::Cancel);
    CancelBtn->setModalResult(platform::ModalResult::Cancel);
    CancelBtn->setCancel(true);
    CancelBtn->setBounds(kWidth - 93, 150, 85, 29);
    m_choice.options = charge::fittedTo(sequence, m_choice.options);
    update();
}

void TSequenceOptions::update() {
    SetTxt->setText(std::string(m_choice.pkaSet().name));
    BridgesTxt->setText(std::to_string(m_choice.options.disulfideBridges));
    NTermTxt->setText(charge::terminusText(m_choice.options.nTerminusBlocked));
    CTermTxt->setText(charge::terminusText(m_choice.options.cTerminusBlocked));
    CitationLbl->setText(std::string(m_choice.pkaSet().citation));
    GroupsLbl->setText(groupsText(charge::countGroups(m_sequence, m_choice.options)));
}

}  // namespace forms
