// The framework's modal dialog over the scripted front end. Where it is placed before it is
// first shown: centred when its template sits at 0,0 and asks for no placement of its own,
// over its owner when that is up, else over the work area, and always inside the work area.
// How its loop runs handlers: one command at a time, and an exception that escapes a handler
// ends the dialog and comes out of DoModal.
#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <stdexcept>

#include "framework/app.h"
#include "framework/dialog.h"
#include "framework/exceptions.h"
#include "support/mem_env.h"
#include "support/scripted_backend.h"

namespace {

using testing_support::MemEnv;
using testing_support::Press;
using testing_support::ScriptedBackend;

constexpr UINT kDialog = 1;
constexpr UINT kOther = 2;

// A template of 200 x 100 dialog units (300 x 162 pixels at the default base units, so
// 308 x 189 with the scripted frame) at (x, y).
ui::DialogTemplate TemplateAt(int id, int x, int y, std::uint32_t extraStyle = 0) {
    return ui::DialogTemplate{id,  u"Dialog", u"MS Shell Dlg",
                              8,   x,         y,
                              200, 100,       ui::style::kPopup | ui::style::kCaption | extraStyle,
                              0,   {}};
}

class Templates final : public AfxResourceModule {
public:
    std::map<UINT, ui::DialogTemplate> dialogs;
    const ui::DialogTemplate* FindDialog(UINT id) const override {
        const auto it = dialogs.find(id);
        return it != dialogs.end() ? &it->second : nullptr;
    }
    HICON FindIcon(UINT) const override { return nullptr; }
    CString FindString(UINT) const override { return {}; }
};

// A dialog whose initialisation runs `init` after the framework's.
class TestDialog : public CDialog {
public:
    explicit TestDialog(UINT id, CWnd* parent = nullptr) : CDialog(id, parent) {}
    std::function<void(TestDialog&)> init;
    std::function<void(TestDialog&)> ok;  // Install, instead of ending the dialog

    BOOL OnInitDialog() override {
        CDialog::OnInitDialog();
        if (init) {
            init(*this);
        }
        return TRUE;
    }
    void OnOK() override {
        if (ok) {
            ok(*this);
        } else {
            CDialog::OnOK();
        }
    }
};

// `inner` lies centred on `outer`, to the pixel that an odd difference in size leaves over.
::testing::AssertionResult CentredOn(const ui::Rect& inner, const ui::Rect& outer) {
    const int dx = (inner.left + inner.right) - (outer.left + outer.right);
    const int dy = (inner.top + inner.bottom) - (outer.top + outer.bottom);
    if (dx >= -1 && dx <= 1 && dy >= -1 && dy <= 1) {
        return ::testing::AssertionSuccess();
    }
    return ::testing::AssertionFailure()
           << "{" << inner.left << "," << inner.top << "," << inner.right << "," << inner.bottom
           << "} is not centred on {" << outer.left << "," << outer.top << "," << outer.right << ","
           << outer.bottom << "}";
}

class DialogPlacementTest : public ::testing::Test {
protected:
    void SetUp() override {
        AfxServices services;
        services.env = &env;
        services.backend = &backend;
        services.resources = &templates;
        app.Attach(services, u"/x/larkspan");
        // A work area that is not the whole screen: a panel along the top.
        backend.workArea = {0, 32, 1280, 1024};
    }
    MemEnv env;
    ScriptedBackend backend;
    Templates templates;
    CWinApp app;
};

TEST_F(DialogPlacementTest, OnlyATemplateAtTheOriginThatAsksForNothingElseIsCentred) {
    struct Case {
        const char* what;
        int x, y;
        std::uint32_t style;
        bool centred;
    };
    const Case cases[] = {
        {"at 0,0", 0, 0, 0, true},
        {"at 0,0 with a sizing border and a taskbar button", 0, 0, ui::style::kThickFrame, true},
        {"elsewhere", 40, 24, 0, false},
        {"off the origin on one axis", 0, 24, 0, false},
        {"centred by the dialog manager", 0, 0, ui::style::kDsCenter, false},
        {"centred at the mouse", 0, 0, ui::style::kDsCenterMouse, false},
        {"absolutely aligned", 0, 0, ui::style::kDsAbsAlign, false},
        {"a child", 0, 0, ui::style::kChild, false},
    };
    for (const Case& c : cases) {
        templates.dialogs.insert_or_assign(kDialog, TemplateAt(kDialog, c.x, c.y, c.style));
        backend.shownAt.clear();
        backend.moves = 0;
        TestDialog dialog(kDialog);
        EXPECT_EQ(dialog.DoModal(), IDCANCEL) << c.what;
        ASSERT_EQ(backend.shownAt.size(), 1u) << c.what;
        const ui::Rect at = backend.shownAt[0];
        EXPECT_EQ(at.Width(), 308) << c.what;
        EXPECT_EQ(at.Height(), 189) << c.what;
        if (c.centred) {
            EXPECT_EQ(at.left, (1280 - 308) / 2) << c.what;
            EXPECT_EQ(at.top, 32 + (992 - 189) / 2) << c.what;
            EXPECT_TRUE(CentredOn(at, backend.workArea)) << c.what;
        } else {
            EXPECT_EQ(backend.moves, 0) << c.what;
            EXPECT_EQ(at.left, c.x * ui::kDefaultBaseX / 4) << c.what;
            EXPECT_EQ(at.top, c.y * ui::kDefaultBaseY / 8) << c.what;
        }
    }
}

TEST_F(DialogPlacementTest, ADialogThatEndsItselfDuringInitialisationIsNeitherMovedNorShown) {
    templates.dialogs.insert_or_assign(kDialog, TemplateAt(kDialog, 0, 0));
    TestDialog dialog(kDialog);
    dialog.init = [](TestDialog& d) { d.EndDialog(IDCANCEL); };
    EXPECT_EQ(dialog.DoModal(), IDCANCEL);
    EXPECT_EQ(backend.moves, 0);
    EXPECT_TRUE(backend.shownAt.empty());
}

TEST_F(DialogPlacementTest, ADialogWhoseInitialisationFailedOpensCentredAllTheSame) {
    templates.dialogs.insert_or_assign(kDialog, TemplateAt(kDialog, 0, 0));
    TestDialog dialog(kDialog);
    dialog.init = [](TestDialog&) { AfxThrowArchiveException(CArchiveException::endOfFile); };
    dialog.DoModal();
    ASSERT_EQ(backend.boxes.size(), 1u);  // the framework's report of the error
    ASSERT_EQ(backend.shownAt.size(), 1u);
    EXPECT_TRUE(CentredOn(backend.shownAt[0], backend.workArea));
}

TEST_F(DialogPlacementTest, ADialogLargerThanTheWorkAreaShowsItsTopLeftCornerInIt) {
    templates.dialogs.insert_or_assign(kDialog, TemplateAt(kDialog, 0, 0));
    backend.workArea = {100, 50, 400, 200};  // 300 x 150: smaller than 308 x 190
    TestDialog dialog(kDialog);
    dialog.DoModal();
    ASSERT_EQ(backend.shownAt.size(), 1u);
    EXPECT_EQ(backend.shownAt[0].left, 100);
    EXPECT_EQ(backend.shownAt[0].top, 50);
}

TEST_F(DialogPlacementTest, WithoutAScreenNothingMoves) {
    templates.dialogs.insert_or_assign(kDialog, TemplateAt(kDialog, 0, 0));
    backend.workArea = {};
    TestDialog dialog(kDialog);
    dialog.DoModal();
    EXPECT_EQ(backend.moves, 0);
    EXPECT_EQ(backend.shownAt.size(), 1u);
}

// A second dialog opened from the first one's Install, with the first (placed by its template
// away from the centre) as its parent, or as the application's main window.
TEST_F(DialogPlacementTest, ADialogOpenedFromAShownDialogIsCentredOverIt) {
    struct Case {
        const char* what;
        int ownerX, ownerY;  // the owner's template position, in dialog units
        bool asParent;       // else as the main window
        bool clamped;        // the owner overhangs the work area
        ui::Rect expected;
    };
    // The owner is 308 x 189 pixels of outer size at (600, 325), the second dialog 158 x 92.
    const Case cases[] = {
        {"as its parent", 400, 200, true, false, {675, 373, 833, 465}},
        {"as the main window", 400, 200, false, false, {675, 373, 833, 465}},
        // An owner across the work area's right edge: the dialog over it stays inside.
        {"near the edge", 800, 200, true, true, {1122, 373, 1280, 465}},
    };
    for (const Case& c : cases) {
        templates.dialogs.insert_or_assign(kDialog, TemplateAt(kDialog, c.ownerX, c.ownerY));
        ui::DialogTemplate small = TemplateAt(kOther, 0, 0);
        small.cx = 100;
        small.cy = 40;
        templates.dialogs.insert_or_assign(kOther, small);
        backend.shownAt.clear();
        backend.script = {Press{IDOK}};
        TestDialog owner(kDialog);
        app.m_pMainWnd = c.asParent ? nullptr : &owner;
        owner.ok = [&](TestDialog& self) {
            TestDialog second(kOther, c.asParent ? &self : nullptr);
            second.DoModal();
        };
        owner.DoModal();
        app.m_pMainWnd = nullptr;
        ASSERT_EQ(backend.shownAt.size(), 2u) << c.what;
        const ui::Rect ownerAt = backend.shownAt[0];
        const ui::Rect at = backend.shownAt[1];
        EXPECT_EQ(at, c.expected) << c.what;
        if (!c.clamped) {
            EXPECT_TRUE(CentredOn(at, ownerAt)) << c.what;
        }
    }
}

TEST_F(DialogPlacementTest, AnOwnerThatIsNotShownLeavesTheDialogCentredOnTheWorkArea) {
    templates.dialogs.insert_or_assign(kDialog, TemplateAt(kDialog, 400, 200));
    templates.dialogs.insert_or_assign(kOther, TemplateAt(kOther, 0, 0));
    for (const bool minimized : {false, true}) {
        backend.shownAt.clear();
        backend.minimized = minimized;
        TestDialog owner(kDialog);
        const auto second = [](TestDialog& self) {
            TestDialog dialog(kOther, &self);
            dialog.DoModal();
        };
        if (minimized) {
            backend.script = {Press{IDOK}};
            owner.ok = second;  // shown, but minimised
        } else {
            owner.init = second;  // still initialising, hidden
        }
        owner.DoModal();
        ASSERT_EQ(backend.shownAt.size(), 2u) << minimized;
        const ui::Rect at = minimized ? backend.shownAt[1] : backend.shownAt[0];
        EXPECT_TRUE(CentredOn(at, backend.workArea)) << minimized;
    }
}

// A front end whose message box lets the user press a button of the dialog underneath, as a
// toolkit's nested loop may deliver it.
class PressWhileBoxIsUp : public ScriptedBackend {
public:
    int pressed = IDOK;
    int RunModalDialog(const ui::DialogTemplate& dialog, ui::DialogEvents& events) override {
        events_ = &events;
        return ScriptedBackend::RunModalDialog(dialog, events);
    }
    ui::BoxAnswer ShowMessageBox(const ui::MessageBoxRequest& box,
                                 ui::DialogWindow* owner) override {
        events_->OnCommand(pressed);
        return ScriptedBackend::ShowMessageBox(box, owner);
    }

private:
    ui::DialogEvents* events_ = nullptr;
};

class DialogLoopTest : public DialogPlacementTest {};

TEST_F(DialogLoopTest, ACommandWhileAnotherRunsIsIgnored) {
    templates.dialogs.insert_or_assign(kDialog, TemplateAt(kDialog, 0, 0));
    for (const int pressed : {IDOK, IDCANCEL}) {
        PressWhileBoxIsUp front;
        front.pressed = pressed;
        front.script = {Press{IDOK}, Press{IDOK}};
        AfxServices services = app.services();
        services.backend = &front;
        app.Attach(services, u"/x/larkspan");
        TestDialog dialog(kDialog);
        int installs = 0;
        dialog.ok = [&](TestDialog&) {
            ++installs;
            AfxMessageBox(u"working");
        };
        EXPECT_EQ(dialog.DoModal(), IDCANCEL) << pressed;  // the script runs out: Escape
        EXPECT_EQ(installs, 2) << pressed;  // each scripted Install once, none from the box
        EXPECT_EQ(front.boxes.size(), 2u) << pressed;
    }
}

TEST_F(DialogLoopTest, AnExceptionThatEscapesAHandlerEndsTheDialogAndComesOutOfDoModal) {
    templates.dialogs.insert_or_assign(kDialog, TemplateAt(kDialog, 0, 0));
    struct Case {
        const char* what;
        bool inInit;
    };
    for (const Case c : {Case{"from Install", false}, Case{"from the initialisation", true}}) {
        backend.script = {Press{IDOK}, Press{IDOK}};
        TestDialog dialog(kDialog);
        int calls = 0;
        const auto fail = [&](TestDialog&) {
            ++calls;
            throw std::runtime_error("escaped");
        };
        (c.inInit ? dialog.init : dialog.ok) = fail;
        EXPECT_THROW(dialog.DoModal(), std::runtime_error) << c.what;
        EXPECT_EQ(calls, 1) << c.what;                 // the dialog ended: no second Install
        EXPECT_TRUE(backend.boxes.empty()) << c.what;  // not the framework's to report
        // The next dialog runs as usual.
        backend.script = {Press{IDOK}};
        TestDialog next(kDialog);
        EXPECT_EQ(next.DoModal(), IDOK) << c.what;
    }
}

}  // namespace
