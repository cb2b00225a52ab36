// SPDX-License-Identifier: GPL-3.0-or-later

#include "forms/WidgetFields.h"

#include "forms/DialogLayout.h"
#include "platform/base/Exception.h"

namespace forms {

platform::StaticText& WidgetFields::at(model::FieldId id) const {
    platform::StaticText* field = m_fields[index(id)];
    if (field == nullptr)
        throw platform::Exception(std::string("this window has no field ") + model::fieldName(id));
    return *field;
}

std::vector<platform::LabelRun> colourKeyRuns() {
    return {{"Key: entered values = "},
            platform::LabelRun::swatchOf(platform::clLime),
            {"    calculated values = "},
            platform::LabelRun::swatchOf(platform::clYellow)};
}

std::vector<platform::LabelRun> unitRunsOf(model::Quantity q) {
    std::vector<platform::LabelRun> runs;
    for (const model::UnitPart& part : model::unitParts(model::quantityInfo(q).windowUnit))
        runs.emplace_back(part.text, part.raised);
    return runs;
}

void addChoiceFields(platform::Control& parent, int top, const std::vector<ChoiceField>& choices) {
    constexpr int kRowHeight = 19, kRowPitch = 22;
    for (std::size_t k = 0; k < choices.size(); ++k) {
        const ChoiceField& c = choices[k];
        const int left = static_cast<int>(k % 2) * 214 + 8;
        const int rowTop = top + static_cast<int>(k / 2) * kRowPitch;
        const std::string caption = c.caption;
        *c.label = parent.add<platform::Label>(std::string(c.name) + "Lbl", caption);
        (*c.label)->setBounds(left, rowTop + 2, 84, kRowLabelHeight);
        platform::StaticText* f = parent.add<platform::StaticText>(std::string(c.name) + "Txt");
        *c.field = f;
        f->setColor(platform::clLime);
        f->setTextAlign(platform::TextAlign::Center);
        f->setBounds(left + 88, rowTop, 110, kRowHeight);
        f->setAccessibleName(caption.substr(0, caption.size() - 1));
        f->setTabStop(true);
        f->OnClick = c.onClick;
    }
}

}  // namespace forms
