// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <array>
#include <string>
#include <vector>

#include "model/Outputs.h"
#include "model/Quantities.h"
#include "platform/Control.h"

namespace forms {

// A window's value fields as the model sees them: each FieldId bound to the
// field that shows it. A window binds only the fields it has.
class WidgetFields : public model::ValueFields {
  public:
    void bind(model::FieldId id, platform::StaticText* field) { m_fields[index(id)] = field; }
    platform::StaticText* field(model::FieldId id) const { return m_fields[index(id)]; }

    std::string text(model::FieldId id) const override { return at(id).text(); }
    void setText(model::FieldId id, const std::string& text) override { at(id).setText(text); }
    platform::Color color(model::FieldId id) const override { return at(id).color(); }
    void setColor(model::FieldId id, platform::Color color) override { at(id).setColor(color); }

  private:
    static std::size_t index(model::FieldId id) { return static_cast<std::size_t>(id); }
    platform::StaticText& at(model::FieldId id) const;

    std::array<platform::StaticText*, model::kFieldCount> m_fields{};
};

// The key to the colours of entered and calculated values, as every window
// that has both shows it.
std::vector<platform::LabelRun> colourKeyRuns();

// The unit of q as the windows draw it beside its field.
std::vector<platform::LabelRun> unitRunsOf(model::Quantity q);

// A choice of an analysis window: its caption and the lime field that a
// click changes, named name + "Lbl" and name + "Txt".
struct ChoiceField {
    platform::Label** label;
    platform::StaticText** field;
    const char* name;
    const char* caption;  // "Signal limit:"
    platform::NotifyEvent onClick;
};
// The choices two to a row, from top down, at the left of parent.
void addChoiceFields(platform::Control& parent, int top, const std::vector<ChoiceField>& choices);

}  // namespace forms
