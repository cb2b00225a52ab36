// SPDX-License-Identifier: GPL-3.0-or-later

// The main window's model choice with the models not linear in z, as the
// program registers them at start-up: the valence it shows against
// quorvin-batch's, the salt row, the salt ion radius that is not used, what
// it says when no valence or two give z*, and the sample file.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>

#include "batch/Batch.h"
#include "electrokinetics/ModelChoice.h"
#include "tests/support/MainWindowSession.h"

using forms::OpeningForm;

namespace {

class ModelChoice : public testing_support::MainWindowSession {
  protected:
    static void SetUpTestSuite() { electrokinetics::registerModels(); }

    // Clicks on the model field until it shows the caption.
    void chooseModel(const std::string& caption) {
        for (int i = 0; i < model::kElectrokineticModelCount; ++i) {
            if (OpeningForm->ModelTxt->text() == caption)
                return;
            OpeningForm->ModelTxt->userClick();
        }
        FAIL() << caption << " is not offered";
    }
    static bool logHas(const std::string& line) {
        for (const platform::Paragraph& p : forms::ReportFrm->document().paragraphs())
            if (p.text() == line)
                return true;
        return false;
    }
    std::string fileText(const std::string& name) {
        std::ifstream in(dir() / name, std::ios::binary);
        std::ostringstream text;
        text << in.rdbuf();
        return text.str();
    }
};

// For each model and each way of entering the valence chain, the window's z
// (entered by its own fields) is quorvin-batch's for the same row, and what
// the window says of two valences is what quorvin-batch notes.
TEST_F(ModelChoice, WindowValenceAgreesWithBatchUnderEveryModel) {
    using batch::Column;
    using model::Quantity;
    const struct {
        Quantity quantity;
        platform::StaticText* forms::TOpeningForm::*field;
        const char* text;
    } entries[] = {
        {Quantity::Sigma, nullptr, "22"},
        {Quantity::Valence, &forms::TOpeningForm::ZTxt, "10"},
        {Quantity::EffectiveValence, &forms::TOpeningForm::ZstarTxt, "3"},
    };
    const auto valenceColumn =
        std::find_if(batch::kResultColumns.begin(), batch::kResultColumns.end(),
                     [](const batch::ResultColumn& r) { return r.field == model::FieldId::ZTxt; }) -
        batch::kResultColumns.begin();
    for (int m = 0; m < model::kElectrokineticModelCount; ++m) {
        const model::ElectrokineticModelInfo& info =
            model::electrokineticModelInfo(static_cast<model::ElectrokineticModel>(m));
        ASSERT_TRUE(model::electrokineticModelAvailable(info.model)) << info.name;
        for (const auto& e : entries) {
            ASSERT_FALSE(OpeningForm->EnterRow({}, false));
            chooseModel(info.caption);
            if (e.field)
                enter(OpeningForm->*e.field, e.text);
            batch::Sample row;
            row[e.quantity] = e.text;
            row[Column::Model] = info.name;
            const batch::Outcome b = batch::runSample(row, {}, false);
            ASSERT_TRUE(b.ok()) << b.error;
            EXPECT_EQ(b.texts[static_cast<std::size_t>(valenceColumn)], OpeningForm->ZTxt->text())
                << info.name << " " << e.text;
            EXPECT_EQ(b.notice.empty(), OpeningForm->SolutionsLbl->text().empty())
                << info.name << " " << e.text << ": " << b.notice;
        }
    }
}

// State: start-up. Action: the model field clicked round, the salt clicked
// once. Expected: the salt row and "not used" in place of the salt ion
// radius only under the models not linear in z; the radius comes back as
// typed; the caption and the log name the salt.
TEST_F(ModelChoice, SaltRowAndSaltIonRadiusFollowTheModel) {
    enter(OpeningForm->RiTxt, "0.2");
    const std::string ka = OpeningForm->KaTxt->text();
    for (const char* caption :
         {"Henry (exact)", "Ohshima (1994)", "Ohshima (2001)", "Standard model", "DHH fit"}) {
        OpeningForm->ModelTxt->userClick();
        ASSERT_EQ(OpeningForm->ModelTxt->text(), caption);
        const bool pointIons = std::string(caption).find("(2001)") != std::string::npos ||
                               std::string(caption) == "Standard model";
        EXPECT_EQ(OpeningForm->SaltTxt->visible(), pointIons) << caption;
        EXPECT_EQ(OpeningForm->SaltLbl->visible(), pointIons) << caption;
        EXPECT_EQ(OpeningForm->RiTxt->visible(), !pointIons) << caption;
        EXPECT_EQ(OpeningForm->SaltIonNotUsedTxt->visible(), pointIons) << caption;
        EXPECT_EQ(OpeningForm->SaltIonNotUsedTxt->text(), "not used");
        EXPECT_EQ(OpeningForm->RiTxt->text(), "0.2");
        if (std::string(caption) == "Ohshima (2001)") {
            EXPECT_EQ(OpeningForm->SaltTxt->text(), "NaCl");
            OpeningForm->SaltTxt->userClick();
            EXPECT_EQ(OpeningForm->SaltTxt->text(), "KCl");
            EXPECT_NE(OpeningForm->Chart1->caption.find(", model Ohshima (2001), salt KCl"),
                      std::string::npos);
            EXPECT_TRUE(logHas("  Electrokinetic model: Ohshima (2001), salt KCl (point ions)"));
        }
    }
    EXPECT_EQ(OpeningForm->KaTxt->text(), ka);
    EXPECT_EQ(OpeningForm->SaltTxt->text(), "KCl") << "kept for the next model that uses it";
}

// No valence gives z*, for a mobility above the model's largest and for a
// salt the model does not hold for: "none" where z and Ge(max) stand, no
// curve, and the reason below; quorvin-batch refuses the same row.
TEST_F(ModelChoice, NoValenceIsSaidNotShownAsANumber) {
    const struct {
        const char* model;
        const char* salt;
        const char* said;
    } cases[] = {
        {"standard", "NaCl", "No valence gives this z*: it is above the largest the model gives."},
        {"ohshima-relaxation", "CaCl2",
         "Ohshima's approximation with relaxation holds for a symmetric salt (such as NaCl) "
         "only."},
    };
    using model::Quantity;
    for (const auto& c : cases) {
        ASSERT_FALSE(
            OpeningForm->EnterRow({{Quantity::StokesRadius, "3"}, {Quantity::Mobility, "3.7"}},
                                  false, *model::electrokineticModelByName(c.model), c.salt));
        EXPECT_EQ(OpeningForm->ZTxt->text(), "none") << c.model;
        EXPECT_EQ(OpeningForm->WTxt->text(), "none") << c.model;
        EXPECT_EQ(OpeningForm->SolutionsLbl->text(), c.said);
        EXPECT_EQ(OpeningForm->Series1->points().size(), 0u) << c.model;
        batch::Sample row;
        row[Quantity::StokesRadius] = "3";
        row[Quantity::Mobility] = "3.7";
        row[batch::Column::Model] = c.model;
        row[batch::Column::Salt] = c.salt;
        EXPECT_FALSE(batch::runSample(row, {}, false).ok()) << c.model;
    }
    // A model linear in z gives the valence again, and the note goes.
    chooseModel("DHH fit");
    EXPECT_NE(OpeningForm->ZTxt->text(), "none");
    EXPECT_EQ(OpeningForm->SolutionsLbl->text(), "");
    EXPECT_GT(OpeningForm->Series1->points().size(), 0u);
}

// The saved sample carries the model and the salt and opens to the same
// window; a salt the table does not know is refused with its cell.
TEST_F(ModelChoice, SampleFileKeepsModelAndSalt) {
    chooseModel("Ohshima (2001)");
    OpeningForm->SaltTxt->userClick();
    const std::string z = OpeningForm->ZTxt->text();
    backend.expectDialog<platform::SaveDialog>("TSaveDialog", [this](platform::SaveDialog& d) {
        d.FileName = (dir() / "sample.csv").string();
        return true;
    });
    OpeningForm->SaveSample1->userClick(OpeningForm);
    backend.takeMessages();
    const std::string saved = fileText("sample.csv");
    EXPECT_NE(saved.find(",Model,Salt,"), std::string::npos) << saved;
    EXPECT_NE(saved.find(",ohshima-relaxation,KCl,"), std::string::npos) << saved;
    EXPECT_NE(saved.find("two valences give z* = "), std::string::npos) << saved;
    chooseModel("DHH fit");
    EXPECT_EQ(OpeningForm->OpenFile((dir() / "sample.csv").string()), nullptr);
    EXPECT_EQ(OpeningForm->ModelTxt->text(), "Ohshima (2001)");
    EXPECT_EQ(OpeningForm->SaltTxt->text(), "KCl");
    EXPECT_EQ(OpeningForm->ZTxt->text(), z);

    write("bad.csv", "Sample;Sigma;Model;Salt\r\nA;22,0;standard;NaFoo\r\n");
    EXPECT_EQ(OpeningForm->OpenFile((dir() / "bad.csv").string()), nullptr);
    const std::vector<std::string> messages = backend.takeMessages();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_NE(messages[0].find("Salt = \"NaFoo\" is not one of NaCl, KCl"), std::string::npos)
        << messages[0];
    EXPECT_EQ(OpeningForm->ZTxt->text(), z) << "the window as it was";
}

}  // namespace
