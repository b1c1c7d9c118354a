#include "ui/offscreen/offscreen_window.h"

namespace ui {

const OffscreenWindow::Child* OffscreenWindow::FindChild(int id) const {
    const auto it = children_.find(id);
    return it == children_.end() ? nullptr : &it->second;
}

OffscreenSurface OffscreenWindow::PaintChild(int id, Color background) {
    const auto it = children_.find(id);
    if (it == children_.end()) {
        return OffscreenSurface(0, 0);
    }
    const Rect client{0, 0, it->second.rect.Width(), it->second.rect.Height()};
    OffscreenSurface surface(client.right, client.bottom, background);
    it->second.painter->Paint(surface, client);
    return surface;
}

bool OffscreenWindow::IsReadOnly(int id) const {
    const auto it = readOnly_.find(id);
    return it != readOnly_.end() && it->second;
}

void OffscreenWindow::SetControlText(int id, std::u16string_view text) {
    texts_[id] = std::u16string(text);
}

std::u16string OffscreenWindow::GetControlText(int id) {
    const auto it = texts_.find(id);
    return it == texts_.end() ? std::u16string() : it->second;
}

Rect OffscreenWindow::ControlRect(int id) {
    const auto it = controlRects_.find(id);
    return it == controlRects_.end() ? Rect{} : it->second;
}

bool OffscreenWindow::CreateChild(int id, const Rect& rect, ChildPainter& painter) {
    if (refuseChildren_ || children_.count(id) != 0) {
        return false;
    }
    children_[id] = Child{rect, &painter, 0};
    return true;
}

void OffscreenWindow::InvalidateChild(int id) {
    const auto it = children_.find(id);
    if (it != children_.end()) {
        ++it->second.invalidations;
    }
}

}  // namespace ui
