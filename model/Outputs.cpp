// SPDX-License-Identifier: GPL-3.0-or-later

#include "model/Outputs.h"

namespace model {

const char* fieldName(FieldId id) {
    static const char* const names[kFieldCount] = {
        "SigTxt",  "MuTxt",   "RsTxt", "RiTxt",  "ITxt",     "TTxt", "DTxt",
        "CurrTxt", "CondTxt", "XTxt",  "ETxt",   "ZstarTxt", "ZTxt", "ATxt",
        "KTxt",    "KaTxt",   "HTxt",  "DHHTxt", "WTxt",     "VTxt", "ZetaTxt",
    };
    return names[static_cast<int>(id)];
}

}  // namespace model
