// SPDX-License-Identifier: GPL-3.0-or-later

#include <gtest/gtest.h>

#include "platform/Chart.h"
#include "platform/Form.h"
#include "platform/base/Exception.h"
#include "tests/support/HeadlessSession.h"

using namespace platform;
using platform::headless::typeText;

namespace {

// A small dialog: an edit, OK (default) and Cancel, and an optional rule
// that refuses to close.
class TestDialog : public Form {
  public:
    explicit TestDialog(Form* owner) : Form(owner, "TestDialog") {
        setCaption("Test");
        setClientSize(200, 100);
        Value = add<Edit>("Value");
        Value->setBounds(10, 10, 80, 21);
        Ok = add<Button>("BitBtn1", ButtonKind::Ok);
        Ok->setBounds(10, 60, 75, 25);
        Cancel = add<Button>("BitBtn2", ButtonKind::Cancel);
        Cancel->setBounds(100, 60, 75, 25);
        OnCloseQuery = [this](Form&, bool& canClose) {
            ++closeQueries;
            if (modalResult() == ModalResult::Ok && refuse)
                canClose = false;
            if (modalResult() == ModalResult::Ok && throwOnClose)
                throw Exception("'" + Value->text() + "' is not acceptable");
        };
    }
    std::string className() const override { return "TTestDialog"; }
    Edit* Value;
    Button* Ok;
    Button* Cancel;
    bool refuse = false;
    bool throwOnClose = false;
    int closeQueries = 0;
};

TestDialog* TestDlg = nullptr;

using PlatformLayer = testing_support::HeadlessSession;

TEST_F(PlatformLayer, ModalResultFollowsTheWayTheDialogCloses) {
    struct Case {
        const char* how;
        std::function<void(TestDialog&)> act;
        ModalResult expected;
    };
    const Case cases[] = {
        {"OK button", [](TestDialog& d) { d.Ok->userPress(); }, ModalResult::Ok},
        {"Enter", [](TestDialog& d) { d.userDialogKey(VK_RETURN); }, ModalResult::Ok},
        {"Cancel button", [](TestDialog& d) { d.Cancel->userPress(); }, ModalResult::Cancel},
        {"Escape", [](TestDialog& d) { d.userDialogKey(VK_ESCAPE); }, ModalResult::Cancel},
        {"frame", [](TestDialog& d) { d.userCloseRequest(); }, ModalResult::Cancel},
    };
    for (const Case& c : cases) {
        backend.expect<TestDialog>("TTestDialog", c.act);
        DialogRef<TestDialog> dlg(TestDlg, nullptr);
        EXPECT_EQ(dlg->ShowModal(), c.expected) << c.how;
        EXPECT_FALSE(dlg->visible()) << c.how;
    }
}

TEST_F(PlatformLayer, RefusedCloseKeepsTheDialogOpenUntilAllowed) {
    // State: the close query refuses OK once. Expected: still open after the
    // first OK, closed with OK after the second.
    backend.expect<TestDialog>("TTestDialog", [](TestDialog& d) {
        d.refuse = true;
        d.Ok->userPress();
        EXPECT_TRUE(d.visible());
        EXPECT_EQ(d.modalResult(), ModalResult::None);
        d.refuse = false;
        d.Ok->userPress();
    });
    DialogRef<TestDialog> dlg(TestDlg, nullptr);
    EXPECT_EQ(dlg->ShowModal(), ModalResult::Ok);
    EXPECT_EQ(dlg->closeQueries, 2);
}

TEST_F(PlatformLayer, ExceptionInCloseQueryIsShownAndTheDialogStaysOpen) {
    backend.expect<TestDialog>("TTestDialog", [this](TestDialog& d) {
        d.throwOnClose = true;
        typeText(*d.Value, "1e+");
        d.Ok->userPress();
        EXPECT_EQ(backend.takeMessages(), std::vector<std::string>{"'1e+' is not acceptable"});
        EXPECT_EQ(d.Value->text(), "1e+");
        d.Cancel->userPress();
    });
    DialogRef<TestDialog> dlg(TestDlg, nullptr);
    EXPECT_EQ(dlg->ShowModal(), ModalResult::Cancel);
}

TEST_F(PlatformLayer, ExceptionInAHandlerIsShownAndTheProgramGoesOn) {
    TestDialog form(nullptr);
    int clicks = 0;
    form.Value->OnClick = [&](Control&) {
        ++clicks;
        throw EConvertError("'x' is not a valid floating point value");
    };
    form.Value->userClick();
    form.Value->userClick();
    EXPECT_EQ(clicks, 2);
    EXPECT_EQ(backend.takeMessages(),
              (std::vector<std::string>{"'x' is not a valid floating point value",
                                        "'x' is not a valid floating point value"}));
}

TEST_F(PlatformLayer, UnscriptedOrMismatchedOrUnclosedDialogFailsTheTest) {
    {
        DialogRef<TestDialog> dlg(TestDlg, nullptr);
        EXPECT_THROW(dlg->ShowModal(), ScriptFailure);
    }
    backend.expectModal("TOtherDialog", [](Form&) {});
    {
        DialogRef<TestDialog> dlg(TestDlg, nullptr);
        EXPECT_THROW(dlg->ShowModal(), ScriptFailure);
    }
    backend.expectModal("TTestDialog", [](Form&) {});
    {
        DialogRef<TestDialog> dlg(TestDlg, nullptr);
        EXPECT_THROW(dlg->ShowModal(), ScriptFailure);
    }
    EXPECT_EQ(TestDlg, nullptr);
}

TEST_F(PlatformLayer, NestedDialogsTakeTheirScriptsInOrder) {
    backend.expect<TestDialog>("TTestDialog", [this](TestDialog& outer) {
        backend.expect<TestDialog>("TTestDialog", [](TestDialog& inner) {
            typeText(*inner.Value, "inner");
            inner.Ok->userPress();
        });
        TestDialog* saved = TestDlg;
        {
            DialogRef<TestDialog> inner(TestDlg, &outer);
            EXPECT_EQ(inner->ShowModal(), ModalResult::Ok);
            EXPECT_EQ(inner->Value->text(), "inner");
        }
        TestDlg = saved;
        outer.userDialogKey(VK_ESCAPE);
    });
    DialogRef<TestDialog> dlg(TestDlg, nullptr);
    EXPECT_EQ(dlg->ShowModal(), ModalResult::Cancel);
    EXPECT_EQ(backend.dialogHistory(), (std::vector<std::string>{"TTestDialog", "TTestDialog"}));
}

TEST_F(PlatformLayer, DialogRefDeletesTheDialogWhenAnExceptionPasses) {
    try {
        DialogRef<TestDialog> dlg(TestDlg, nullptr);
        EXPECT_EQ(TestDlg, &*dlg);
        throw Exception("boom");
    } catch (const Exception&) {
    }
    EXPECT_EQ(TestDlg, nullptr);
}

TEST_F(PlatformLayer, EditDoesWhatANativeEditDoes) {
    TestDialog form(nullptr);
    Edit& e = *form.Value;
    int changes = 0;
    e.OnChange = [&](Control&) { ++changes; };

    typeText(e, "15");
    EXPECT_EQ(e.text(), "15");
    EXPECT_EQ(e.SelStart(), 2);
    e.SetSelStart(1);
    e.userKeyPress('2');
    EXPECT_EQ(e.text(), "125");
    EXPECT_EQ(e.SelStart(), 2);
    e.setSelection(0, 2);
    e.userKeyPress('9');
    EXPECT_EQ(e.text(), "95") << "typing replaces the selection";
    EXPECT_EQ(changes, 4);

    e.userKeyDown(VK_HOME);
    e.userKeyDown(VK_BACK);
    EXPECT_EQ(e.text(), "95") << "Backspace at the start";
    e.userKeyDown(VK_END);
    e.userKeyDown(VK_DELETE);
    EXPECT_EQ(e.text(), "95") << "Delete at the end";
    e.userKeyDown(VK_BACK);
    EXPECT_EQ(e.text(), "9");
    EXPECT_EQ(changes, 5);

    e.setText("9");
    EXPECT_EQ(changes, 5) << "setting the same text is no change";
    e.userEdit("9pasted", 7);
    EXPECT_EQ(changes, 6);
    EXPECT_EQ(e.SelStart(), 7);
}

TEST_F(PlatformLayer, KeyPressHandlerCanDropACharacter) {
    TestDialog form(nullptr);
    form.Value->OnKeyPress = [](Control&, char& key) {
        if (key == 'x')
            key = 0;
    };
    typeText(*form.Value, "1x2");
    EXPECT_EQ(form.Value->text(), "12");
}

TEST_F(PlatformLayer, AlignedControlsShareTheirParent) {
    TestDialog form(nullptr);
    form.setClientSize(400, 300);
    auto* top = form.add<Panel>("Top");
    top->setBounds(0, 0, 0, 50);
    top->setAlign(Align::Top);
    auto* rest = form.add<Panel>("Rest");
    rest->setAlign(Align::Client);
    auto* right = rest->add<Panel>("Right");
    right->setBounds(0, 0, 120, 0);
    right->setAlign(Align::Right);
    auto* splitter = rest->add<Splitter>("Splitter");
    splitter->setBounds(0, 0, 3, 0);
    splitter->setAlign(Align::Right);
    splitter->setResizeTarget(right, 50);

    EXPECT_EQ(top->bounds(), (Rect{0, 0, 400, 50}));
    EXPECT_EQ(rest->bounds(), (Rect{0, 50, 400, 250}));
    // Inside the raised bevel of the panel.
    EXPECT_EQ(right->bounds(), (Rect{279, 1, 120, 248}));
    EXPECT_EQ(splitter->bounds(), (Rect{276, 1, 3, 248}));

    splitter->userDrag(-30);
    EXPECT_EQ(right->bounds(), (Rect{249, 1, 150, 248}));
    splitter->userDrag(1000);
    EXPECT_EQ(right->bounds().width, 50) << "not below its minimum";

    form.setClientSize(500, 300);
    EXPECT_EQ(right->bounds().right(), 499) << "stays at the right edge";
}

TEST_F(PlatformLayer, MenuItemsAreFoundByCaptionPath) {
    TestDialog form(nullptr);
    int exits = 0;
    MenuItem* file = form.createMenu()->add("File1", "&File");
    file->add("View1", "&View log...");
    file->addSeparator();
    file->add("Exit1", "&Exit", [&](MenuItem&) { ++exits; });
    MenuItem* exit = form.menu()->findPath({"&File", "&Exit"});
    ASSERT_NE(exit, nullptr);
    EXPECT_EQ(exit, form.menu()->find("Exit1"));
    EXPECT_EQ(exit->plainCaption(), "Exit");
    EXPECT_TRUE(file->items()[1]->isSeparator());
    exit->userClick(&form);
    EXPECT_EQ(exits, 1);
}

TEST_F(PlatformLayer, SeriesKeepsAscendingX) {
    TestDialog form(nullptr);
    auto* chart = form.add<Chart>("Chart1");
    PointSeries& s = chart->series();
    for (double x : {0.0, 2.0, 1.0, -1.0, 2.0})
        s.AddXY(x, x * 10);
    std::vector<double> xs;
    for (const ChartPoint& p : s.points())
        xs.push_back(p.x);
    EXPECT_EQ(xs, (std::vector<double>{-1, 0, 1, 2, 2}));
    s.Clear();
    EXPECT_TRUE(s.points().empty());
}

TEST_F(PlatformLayer, MainFormCloseEndsTheProgramUnlessRefused) {
    TestDialog* main = nullptr;
    application.CreateForm(main);
    application.Run();
    EXPECT_TRUE(main->visible());
    bool allow = false;
    main->OnCloseQuery = [&](Form&, bool& canClose) { canClose = allow; };
    main->userCloseRequest();
    EXPECT_TRUE(main->visible());
    EXPECT_FALSE(application.terminated());
    allow = true;
    main->userCloseRequest();
    EXPECT_FALSE(main->visible());
    EXPECT_TRUE(application.terminated());
}

}  // namespace
