// A dialog window without a screen: it keeps its controls' texts and rectangles and the
// child windows created on it, and paints a child into an OffscreenSurface on request. It
// lets painting code run where no front end is up (previews, tests).
#pragma once

#include <map>
#include <string>

#include "ui/backend.h"
#include "ui/offscreen/offscreen_surface.h"

namespace ui {

class OffscreenWindow : public DialogWindow {
public:
    struct Child {
        Rect rect;
        ChildPainter* painter = nullptr;
        int invalidations = 0;
    };

    explicit OffscreenWindow(Rect client = {}) : client_(client) {}

    void SetControlRect(int id, const Rect& rect) { controlRects_[id] = rect; }
    // While set, CreateChild fails.
    void RefuseChildren(bool refuse) { refuseChildren_ = refuse; }
    // The child of that id, or null.
    const Child* FindChild(int id) const;
    // The child's content at its own size, over `background`; an empty surface when there is
    // no such child.
    OffscreenSurface PaintChild(int id, Color background = {});
    bool IsReadOnly(int id) const;
    // The result passed to End, or -1.
    int result() const { return result_; }

    void SetControlText(int id, std::u16string_view text) override;
    std::u16string GetControlText(int id) override;
    void SetReadOnly(int id, bool readOnly) override { readOnly_[id] = readOnly; }
    Rect ControlRect(int id) override;
    Rect ClientRect() override { return client_; }
    bool CreateChild(int id, const Rect& rect, ChildPainter& painter) override;
    void InvalidateChild(int id) override;
    void SetIcon(const Icon&) override {}
    bool IsMinimized() override { return false; }
    void End(int result) override { result_ = result; }

private:
    Rect client_;
    std::map<int, Rect> controlRects_;
    std::map<int, std::u16string> texts_;
    std::map<int, bool> readOnly_;
    std::map<int, Child> children_;
    bool refuseChildren_ = false;
    int result_ = -1;
};

}  // namespace ui
