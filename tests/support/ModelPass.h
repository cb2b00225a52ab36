// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <string>

#include "log/LogEntry.h"
#include "model/FieldTable.h"
#include "model/Recalculate.h"
#include "platform/base/NumberText.h"

namespace testing_support {

// The main window's model, fields, graph and log, without the window.
struct ModelPass {
    model::ModelState s;
    model::FieldTable fields = model::FieldTable::mainWindowDesign();
    model::PointList series;
    model::LineList log;

    ModelPass() {
        model::readStartValues(s, fields);
        run();
    }

    void run() {
        model::Recalculate(s, fields, series, [this] { calclog::WriteLogEntry(s, fields, log); });
    }

    // What the z click does after the number entry dialog accepts the text.
    void enterZ(const std::string& text) {
        fields.setText(model::FieldId::ZTxt, text);
        s.Valence = platform::StrToFloat(text);
        s.ZCalculated = false;
        s.ZstarCalculated = true;
        s.SigmaCalculated = true;
        run();
    }

    void enterZstar(const std::string& text) {
        fields.setText(model::FieldId::ZstarTxt, text);
        s.EffectiveValence = platform::StrToFloat(text);
        s.ZCalculated = true;
        s.ZstarCalculated = false;
        s.SigmaCalculated = true;
        run();
    }

    std::string text(model::FieldId id) const { return fields.text(id); }
};

}  // namespace testing_support
