// SPDX-License-Identifier: GPL-3.0-or-later

// The model choice with the models not linear in z registered, as at
// start-up: the main window against quorvin-batch, its salt row, what it
// says when no valence gives z*, its sample file, and a series' Salt column.
#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>

#include "batch/Batch.h"
#include "electrokinetics/ModelChoice.h"
#include "tests/support/MainWindowSession.h"

using forms::OpeningForm;
using model::Quantity;

namespace {

class ModelChoice : public testing_support::MainWindowSession {
  protected:
    static void SetUpTestSuite() { electrokinetics::registerModels(); }
    // ValenceResult, in quorvin-batch's results and a series'.
    static inline const std::size_t zColumn = static_cast<std::size_t>(
        std::find_if(batch::kResultColumns.begin(), batch::kResultColumns.end(),
                     [](const auto& r) { return r.field == model::FieldId::ZTxt; }) -
        batch::kResultColumns.begin());
    static batch::Outcome batchRow(std::vector<std::pair<Quantity, std::string>> values,
                                   const char* model, const char* salt = "NaCl") {
        batch::Sample row;
        for (const auto& [q, text] : values)
            row[q] = text;
        row[batch::Column::Model] = model;
        row[batch::Column::Salt] = salt;
        return batch::runSample(row, {}, false);
    }
};

// For each model (clicked to) and each way of entering the chain (typed;
// the mobility, whose field opens a calculator, entered as a row), the
// window's z and its note of two valences are quorvin-batch's.
TEST_F(ModelChoice, WindowValenceAgreesWithBatchUnderEveryModel) {
    const struct {
        Quantity quantity;
        platform::StaticText* forms::TOpeningForm::*field;  // none: as it stands, or as a row
        const char* text;
    } entries[] = {{Quantity::Sigma, nullptr, "22"},  // the start-up value
                   {Quantity::Mobility, nullptr, "1.2"},
                   {Quantity::Valence, &forms::TOpeningForm::ZTxt, "10"},
                   {Quantity::EffectiveValence, &forms::TOpeningForm::ZstarTxt, "3"}};
    for (int m = 0; m < model::kElectrokineticModelCount; ++m) {
        const auto ek = static_cast<model::ElectrokineticModel>(m);
        const auto& info = model::electrokineticModelInfo(ek);
        for (const auto& e : entries) {
            ASSERT_FALSE(OpeningForm->EnterRow({}, false));
            while (OpeningForm->ModelTxt->text() != info.caption)
                OpeningForm->ModelTxt->userClick();
            if (e.field) {
                enter(OpeningForm->*e.field, e.text);
            } else if (e.quantity == Quantity::Mobility) {
                ASSERT_FALSE(OpeningForm->EnterRow({{e.quantity, e.text}}, false, ek));
            }
            const batch::Outcome b = batchRow({{e.quantity, e.text}}, info.name);
            ASSERT_TRUE(b.ok()) << b.error;
            EXPECT_EQ(b.texts[zColumn], OpeningForm->ZTxt->text()) << info.name << " " << e.text;
            EXPECT_EQ(b.notice.empty(), OpeningForm->SolutionsLbl->text().empty()) << info.name;
        }
    }
}

// The salt row and "not used" for the salt ion radius only under the models
// not linear in z; the radius comes back as typed; a click takes the next
// salt.
TEST_F(ModelChoice, SaltRowAndSaltIonRadiusFollowTheModel) {
    enter(OpeningForm->RiTxt, "0.2");
    for (const bool pointIons : {false, false, true, true, false}) {
        OpeningForm->ModelTxt->userClick();
        EXPECT_EQ(OpeningForm->SaltTxt->visible(), pointIons) << OpeningForm->ModelTxt->text();
        EXPECT_EQ(OpeningForm->RiTxt->visible(), !pointIons);
        EXPECT_EQ(OpeningForm->SaltIonNotUsedTxt->visible(), pointIons);
        EXPECT_EQ(OpeningForm->RiTxt->text(), "0.2");
    }
    while (OpeningForm->ModelTxt->text() != "Ohshima (2001)")
        OpeningForm->ModelTxt->userClick();
    OpeningForm->SaltTxt->userClick();
    EXPECT_EQ(OpeningForm->SaltTxt->text(), "KCl");
}

// No valence gives z* (a mobility above the model's largest, a salt the
// model does not hold for): "none" for z and Ge(max), no curve, the reason
// said; quorvin-batch refuses the row.
TEST_F(ModelChoice, NoValenceIsSaidNotShownAsANumber) {
    const std::tuple<const char*, const char*, const char*> cases[] = {
        {"standard", "NaCl", "No valence gives this z*: it is above the largest the model gives."},
        {"ohshima-relaxation", "CaCl2",
         "Ohshima's approximation with relaxation holds for a "
         "symmetric salt (such as NaCl) only."}};
    for (const auto& [name, salt, said] : cases) {
        ASSERT_FALSE(
            OpeningForm->EnterRow({{Quantity::StokesRadius, "3"}, {Quantity::Mobility, "3.7"}},
                                  false, *model::electrokineticModelByName(name), salt));
        EXPECT_EQ(OpeningForm->ZTxt->text() + OpeningForm->WTxt->text(), "nonenone") << name;
        EXPECT_EQ(OpeningForm->SolutionsLbl->text(), said);
        EXPECT_TRUE(OpeningForm->Series1->points().empty());
        EXPECT_FALSE(
            batchRow({{Quantity::StokesRadius, "3"}, {Quantity::Mobility, "3.7"}}, name, salt)
                .ok());
    }
}

// The saved sample carries model and salt and opens to the same z; an
// unknown salt in a sample or a series is refused in its cell.
TEST_F(ModelChoice, SampleAndSeriesFilesCarryTheSalt) {
    OpeningForm->ModelTxt->userClick();
    OpeningForm->ModelTxt->userClick();
    OpeningForm->ModelTxt->userClick();
    OpeningForm->SaltTxt->userClick();
    const std::string z = OpeningForm->ZTxt->text();
    backend.expectDialog<platform::SaveDialog>("TSaveDialog", [this](platform::SaveDialog& d) {
        d.FileName = (dir() / "sample.csv").string();
        return true;
    });
    OpeningForm->SaveSample1->userClick(OpeningForm);
    backend.takeMessages();
    OpeningForm->ModelTxt->userClick();
    EXPECT_EQ(OpeningForm->OpenFile((dir() / "sample.csv").string()), nullptr);
    EXPECT_EQ(OpeningForm->ModelTxt->text() + " " + OpeningForm->SaltTxt->text(),
              "Ohshima (2001) KCl");
    EXPECT_EQ(OpeningForm->ZTxt->text(), z);

    series::Series s;
    std::istringstream in(
        "\xEF\xBB\xBFSample;Sigma;Model;Salt\r\na;22;ohshima-relaxation;kcl\r\n"
        "b;22;henry;NaFoo\r\nc;22;standard;NaFoo\r\n");
    s.read(in);
    EXPECT_EQ(s.resultText(0, zColumn), z);
    EXPECT_NE(s.rowNotice(0).find("in KCl: z = "), std::string::npos);
    EXPECT_EQ(s.cellError(1, 3), "") << "a note under a model linear in z";
    EXPECT_EQ(s.cellError(2, 3).rfind("Salt = \"NaFoo\" is not one of NaCl, KCl,", 0), 0u);
    EXPECT_NE(s.text().find(";kcl;"), std::string::npos);
    std::istringstream withSd("Sigma,SigmaSD,Model\n22,0.5,standard\n");
    s.read(withSd);
    EXPECT_EQ(s.rowError(0), "") << "the uncertainty follows the model and its salt";
}

}  // namespace
