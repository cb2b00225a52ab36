// SPDX-License-Identifier: GPL-3.0-or-later

#include "forms/WidgetFields.h"

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

}  // namespace forms
