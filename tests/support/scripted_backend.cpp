#include "support/scripted_backend.h"

#include <algorithm>

namespace testing_support {

namespace {

class ScriptedWindow final : public ui::DialogWindow {
public:
    ScriptedWindow(const ui::DialogTemplate& t, ScriptedBackend& backend)
        : template_(t), backend_(backend) {
        const ui::Rect client = ClientRect();
        const ui::Rect origin = ui::ToPixels(t.x, t.y, 0, 0, ui::kDefaultBaseX, ui::kDefaultBaseY);
        const ui::Rect& f = backend.frame;
        outer_ = {origin.left, origin.top, origin.left + f.left + client.Width() + f.right,
                  origin.top + f.top + client.Height() + f.bottom};
        for (const ui::ControlTemplate& c : t.controls) {
            state.texts[c.id] = std::u16string(c.text);
            state.readOnly[c.id] = (c.style & ui::style::kEsReadOnly) != 0;
        }
    }
    void SetControlText(int id, std::u16string_view text) override { state.texts[id] = text; }
    std::u16string GetControlText(int id) override { return state.texts[id]; }
    void SetReadOnly(int id, bool readOnly) override { state.readOnly[id] = readOnly; }
    ui::Rect ControlRect(int id) override {
        const ui::ControlTemplate* c = template_.Find(id);
        return c ? ui::ToPixels(c->x, c->y, c->cx, c->cy, ui::kDefaultBaseX, ui::kDefaultBaseY)
                 : ui::Rect{};
    }
    ui::Rect ClientRect() override {
        return ui::ToPixels(0, 0, template_.cx, template_.cy, ui::kDefaultBaseX, ui::kDefaultBaseY);
    }
    bool CreateChild(int id, const ui::Rect&, ui::ChildPainter&) override {
        if (backend_.failChildCreation) {
            return false;
        }
        backend_.createdChildren.push_back(id);
        return true;
    }
    void InvalidateChild(int) override {}
    void SetIcon(const ui::Icon&) override { iconSet = true; }
    bool IsMinimized() override { return backend_.minimized; }
    void End(int r) override {
        ended = true;
        result = r;
    }
    ui::Rect WindowRect() override { return outer_; }
    ui::Rect WorkArea() override { return backend_.workArea; }
    void MoveTo(int left, int top) override {
        ++backend_.moves;
        outer_ = {left, top, left + outer_.Width(), top + outer_.Height()};
    }
    bool IsVisible() override { return visible; }

    DialogState state;
    bool ended = false;
    int result = 2;
    bool iconSet = false;
    bool visible = false;

private:
    ui::Rect outer_;
    const ui::DialogTemplate& template_;
    ScriptedBackend& backend_;
};

}  // namespace

std::vector<std::u16string> ScriptedBackend::BoxTexts() const {
    std::vector<std::u16string> texts;
    for (const RecordedBox& b : boxes) {
        texts.push_back(b.text);
    }
    return texts;
}

ui::BoxAnswer ScriptedBackend::ShowMessageBox(const ui::MessageBoxRequest& box,
                                              ui::DialogWindow* owner) {
    boxes.push_back(
        {box.text, box.title, box.buttons, box.icon, box.systemModal, owner != nullptr});
    if (waitCursorDepth > 0) {
        ++boxesUnderWaitCursor;
    }
    if (box.buttons == ui::BoxButtons::ok) {
        return ui::BoxAnswer::ok;
    }
    if (answers.empty()) {
        return ui::BoxAnswer::no;
    }
    const ui::BoxAnswer a = answers.front();
    answers.pop_front();
    return a;
}

int ScriptedBackend::RunModalDialog(const ui::DialogTemplate& dialog, ui::DialogEvents& events) {
    ScriptedWindow window(dialog, *this);
    dialogShown = false;
    if (!events.OnInit(window) || window.ended) {
        return window.result;
    }
    dialogShown = true;
    window.visible = true;
    shownAt.push_back(window.WindowRect());
    shown.push_back(window.state);
    while (!window.ended) {
        if (script.empty()) {
            events.OnCommand(2);  // the user gives up: Escape
            break;
        }
        const Action action = script.front();
        script.pop_front();
        if (const auto* set = std::get_if<SetText>(&action)) {
            window.state.texts[set->id] = set->text;
        } else {
            events.OnCommand(std::get<Press>(action).id);
        }
        shown.push_back(window.state);
    }
    return window.result;
}

void ScriptedBackend::BeginWaitCursor() {
    ++waitCursorDepth;
    maxWaitCursorDepth = std::max(maxWaitCursorDepth, waitCursorDepth);
}

void ScriptedBackend::EndWaitCursor() {
    --waitCursorDepth;
}

}  // namespace testing_support
