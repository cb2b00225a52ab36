// SPDX-License-Identifier: GPL-3.0-or-later
// The user guide stays true to the program: every menu command of every
// window is named in it.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "forms/Mainfrm.h"
#include "forms/Report.h"
#include "forms/Series.h"
#include "platform/Menu.h"
#include "tests/support/Files.h"
#include "tests/support/MainWindowSession.h"

namespace {

// The captions of a menu's commands, with their "&" marks dropped.
void collect(const platform::MenuItem& item, std::vector<std::string>& captions) {
    for (const auto& child : item.items()) {
        if (child->isSeparator())
            continue;
        std::string caption;
        for (char c : child->caption())
            if (c != '&')
                caption += c;
        captions.push_back(caption);
        collect(*child, captions);
    }
}

class Guide : public testing_support::MainWindowSession {};

TEST_F(Guide, NamesEveryMenuCommandOfEveryWindow) {
    const std::string guide = testing_support::readFile(QUORVIN_USER_GUIDE);
    std::vector<std::string> captions;
    forms::TSeriesFrm series(forms::OpeningForm, {});
    for (const platform::Form* form :
         {static_cast<platform::Form*>(forms::OpeningForm),
          static_cast<platform::Form*>(forms::ReportFrm), static_cast<platform::Form*>(&series)}) {
        ASSERT_NE(form->menu(), nullptr);
        for (const auto& top : form->menu()->items()) {
            captions.push_back(top->caption());
            collect(*top, captions);
        }
    }
    EXPECT_GT(captions.size(), 20u);
    for (std::string caption : captions) {
        caption.erase(std::remove(caption.begin(), caption.end(), '&'), caption.end());
        EXPECT_NE(guide.find(caption), std::string::npos) << "\"" << caption << "\"";
    }
}

}  // namespace
