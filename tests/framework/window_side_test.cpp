// The framework's window side without a real window: application name, message boxes,
// the report of escaping errors, and the scan of unsigned fields.
#include <gtest/gtest.h>

#include "framework/app.h"
#include "framework/dialog.h"
#include "framework/exceptions.h"
#include "support/mem_env.h"
#include "support/scripted_backend.h"

namespace {

using testing_support::MemEnv;
using testing_support::ScriptedBackend;

TEST(ScanUnsigned, AcceptsWhatPercentUAcceptsAndNothingElse) {
    struct Case {
        std::u16string text;
        bool ok;
        UINT value;
    };
    const Case cases[] = {
        {u"0", true, 0},
        {u"42", true, 42},
        {u"  7\t", true, 7},
        {u"+5", true, 5},
        {u"4294967295", true, 4294967295u},
        {u"4294967296", false, 0},
        {u"-1", false, 0},
        {u"", false, 0},
        {u"  ", false, 0},
        {u"12a", false, 0},
        {u"a12", false, 0},
        {u"1 2", false, 0},
    };
    for (const Case& c : cases) {
        UINT value = 99;
        EXPECT_EQ(AfxScanUnsigned(CString(c.text), &value), c.ok) << CString(c.text).ToUtf8();
        if (c.ok) {
            EXPECT_EQ(value, c.value);
        }
    }
}

class FrameworkTest : public ::testing::Test {
protected:
    void Attach(CWinApp& app, const char16_t* exe) {
        AfxServices services;
        services.env = &env;
        services.backend = &backend;
        app.Attach(services, exe);
    }
    MemEnv env;
    ScriptedBackend backend;
};

TEST_F(FrameworkTest, TheApplicationIsNamedAfterItsExecutable) {
    const std::pair<const char16_t*, const char16_t*> cases[] = {
        {u"/usr/bin/larkspan", u"larkspan"},
        {u"/opt/x/Premium.Setup.bin", u"Premium.Setup"},
        {u"C:\\Setup\\Larkspan.exe", u"Larkspan"},
        {u"inst", u"inst"},
    };
    for (const auto& [exe, name] : cases) {
        CWinApp app;
        Attach(app, exe);
        EXPECT_EQ(app.m_pszAppName, CString(name));
    }
    CWinApp named(u"Given");
    Attach(named, u"/usr/bin/larkspan");
    EXPECT_EQ(named.m_pszAppName, CString(u"Given"));
}

TEST_F(FrameworkTest, MessageBoxesGetTheirIconsAndAnswers) {
    CWinApp app;
    Attach(app, u"/x/larkspan");
    backend.answers = {ui::BoxAnswer::yes};
    EXPECT_EQ(AfxMessageBox(u"plain"), IDOK);
    EXPECT_EQ(AfxMessageBox(u"question", MB_YESNO), IDYES);
    EXPECT_EQ(AfxMessageBox(u"question", MB_YESNO), IDNO);  // the queue is empty
    ASSERT_EQ(backend.boxes.size(), 3u);
    EXPECT_EQ(backend.boxes[0].icon, ui::BoxIcon::exclamation);
    EXPECT_EQ(backend.boxes[1].icon, ui::BoxIcon::question);
    EXPECT_EQ(backend.boxes[1].buttons, ui::BoxButtons::yesNo);
    EXPECT_EQ(backend.boxes[0].title, u"larkspan");
    EXPECT_FALSE(backend.boxes[0].owned);  // no dialog is up
}

TEST_F(FrameworkTest, EscapingErrorsAreReportedWithTheFrameworksTexts) {
    CWinApp app;
    Attach(app, u"/x/larkspan");
    EXPECT_FALSE(AfxCallWndProc([] { AfxThrowArchiveException(CArchiveException::endOfFile); }));
    EXPECT_FALSE(AfxCallWndProc([] { AfxThrowMemoryException(); }));
    EXPECT_FALSE(AfxCallWndProc([] { throw std::bad_alloc(); }));
    EXPECT_TRUE(AfxCallWndProc([] {}));
    ASSERT_EQ(backend.boxes.size(), 3u);
    EXPECT_EQ(backend.boxes[0].text, u"Attempted to access an unnamed file past its end.");
    EXPECT_EQ(backend.boxes[0].icon, ui::BoxIcon::stop);
    for (int i : {1, 2}) {
        EXPECT_EQ(backend.boxes[i].text, u"Out of memory.");
        EXPECT_EQ(backend.boxes[i].icon, ui::BoxIcon::exclamation);
        EXPECT_TRUE(backend.boxes[i].systemModal);
    }
    // What is not the framework's is a bug, not a report.
    EXPECT_THROW(AfxCallWndProc([] { throw std::logic_error("bug"); }), std::logic_error);
}

TEST_F(FrameworkTest, TheWaitCursorShowsWhileItLives) {
    CWinApp app;
    Attach(app, u"/x/larkspan");
    {
        CWaitCursor outer;
        CWaitCursor inner;
        EXPECT_EQ(backend.waitCursorDepth, 2);
    }
    EXPECT_EQ(backend.waitCursorDepth, 0);
}

}  // namespace
