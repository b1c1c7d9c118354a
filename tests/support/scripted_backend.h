// A front end for tests: records every message box and every state the dialog is shown in,
// answers boxes from a queue and plays a script of user actions on the dialog.
#pragma once

#include <deque>
#include <map>
#include <string>
#include <variant>
#include <vector>

#include "ui/backend.h"

namespace testing_support {

struct RecordedBox {
    std::u16string text;
    std::u16string title;
    ui::BoxButtons buttons;
    ui::BoxIcon icon;
    bool systemModal;
    bool owned;  // shown with an owner window
};

// The dialog's controls at one moment.
struct DialogState {
    std::map<int, std::u16string> texts;
    std::map<int, bool> readOnly;
};

// User actions, played in order once the dialog is shown.
struct SetText {
    int id;
    std::u16string text;
};
struct Press {
    int id;
};
using Action = std::variant<SetText, Press>;

class ScriptedBackend : public ui::Backend {
public:
    // Answers for Yes/No boxes, in order; when none is left the answer is No. OK boxes are
    // always answered OK.
    std::deque<ui::BoxAnswer> answers;
    std::deque<Action> script;

    std::vector<RecordedBox> boxes;
    std::vector<DialogState> shown;  // the state when shown, then after every action
    bool dialogShown = false;
    int waitCursorDepth = 0;
    int maxWaitCursorDepth = 0;
    // Boxes shown while the wait cursor was on.
    int boxesUnderWaitCursor = 0;
    std::vector<int> createdChildren;
    bool failChildCreation = false;
    bool minimized = false;

    // The screen: the work area every dialog opens in (empty: there is no screen), and the
    // frame around a dialog's client area (its left, top, right and bottom widths). A dialog
    // starts with its outer rectangle at its template's position.
    ui::Rect workArea{0, 0, 1280, 1024};
    ui::Rect frame{4, 23, 4, 4};
    // The outer rectangle of each dialog when it was shown, in the order they showed, and
    // the number of moves asked of any dialog.
    std::vector<ui::Rect> shownAt;
    int moves = 0;

    std::vector<std::u16string> BoxTexts() const;

    ui::BoxAnswer ShowMessageBox(const ui::MessageBoxRequest& box,
                                 ui::DialogWindow* owner) override;
    int RunModalDialog(const ui::DialogTemplate& dialog, ui::DialogEvents& events) override;
    void BeginWaitCursor() override;
    void EndWaitCursor() override;
    int IconSize() override { return 32; }
};

}  // namespace testing_support
