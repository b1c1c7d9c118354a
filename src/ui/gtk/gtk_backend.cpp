#include "ui/gtk/gtk_backend.h"

#include <gtk/gtk.h>

#include "ui/gtk/dialog_window.h"
#include "ui/gtk/message_box.h"
#include "ui/gtk/wait_cursor.h"

namespace ui::gtk {

namespace {

// A full icon at 96 dots per inch; the desktop's scale factor enlarges it.
constexpr int kIconSize = 32;

class GtkBackend final : public Backend {
public:
    BoxAnswer ShowMessageBox(const MessageBoxRequest& box, DialogWindow* owner) override {
        return RunMessageBox(box, owner);
    }
    int RunModalDialog(const DialogTemplate& dialog, DialogEvents& events) override {
        return RunDialog(dialog, events, waitCursor_);
    }
    void BeginWaitCursor() override { waitCursor_.Begin(); }
    void EndWaitCursor() override { waitCursor_.End(); }
    int IconSize() override {
        GdkDisplay* display = gdk_display_get_default();
        GdkMonitor* monitor = nullptr;
        if (display != nullptr) {
            monitor = gdk_display_get_primary_monitor(display);
            if (monitor == nullptr) {
                monitor = gdk_display_get_monitor(display, 0);
            }
        }
        return kIconSize * (monitor != nullptr ? gdk_monitor_get_scale_factor(monitor) : 1);
    }

private:
    WaitCursor waitCursor_;
};

}  // namespace

bool OpenDisplay(int* argc, char*** argv) {
    return gtk_init_check(argc, argv) != FALSE;
}

std::unique_ptr<Backend> NewGtkBackend() {
    return std::make_unique<GtkBackend>();
}

}  // namespace ui::gtk
