#include "ui/gtk/wait_cursor.h"

#include <gtk/gtk.h>

#include "ui/gtk/dialog_window.h"
#include "ui/gtk/toolkit_ptr.h"

namespace ui::gtk {

namespace {

// Kept on each toolkit window that shows the wait cursor: the cursor it had before.
constexpr char kSavedCursorKey[] = "larkspan-saved-cursor";

struct SavedCursor {
    GdkCursor* cursor;  // owned reference, or null for the parent's cursor
};

void FreeSavedCursor(gpointer data) {
    auto* saved = static_cast<SavedCursor*>(data);
    if (saved->cursor != nullptr) {
        g_object_unref(saved->cursor);
    }
    delete saved;
}

ObjectPtr<GdkCursor> NewWaitCursor(GdkDisplay* display) {
    GdkCursor* cursor = gdk_cursor_new_from_name(display, "wait");
    if (cursor == nullptr) {
        cursor = gdk_cursor_new_for_display(display, GDK_WATCH);
    }
    return ObjectPtr<GdkCursor>(cursor);
}

// Applies to the window and all its descendants: entries, text views and buttons have
// windows of their own whose cursors would otherwise win over the top-level's.
template <class F>
void ForTree(GdkWindow* window, const F& f) {
    f(window);
    ListPtr<GList> children(gdk_window_get_children(window));
    for (GList* it = children.get(); it != nullptr; it = it->next) {
        ForTree(static_cast<GdkWindow*>(it->data), f);
    }
}

void ShowWait(GdkWindow* top, GdkCursor* wait) {
    ForTree(top, [wait](GdkWindow* w) {
        if (g_object_get_data(G_OBJECT(w), kSavedCursorKey) != nullptr) {
            return;
        }
        GdkCursor* old = gdk_window_get_cursor(w);
        auto* saved = new SavedCursor{old != nullptr ? GDK_CURSOR(g_object_ref(old)) : nullptr};
        g_object_set_data_full(G_OBJECT(w), kSavedCursorKey, saved, FreeSavedCursor);
        gdk_window_set_cursor(w, wait);
    });
}

void Restore(GdkWindow* top) {
    ForTree(top, [](GdkWindow* w) {
        const auto* saved =
            static_cast<const SavedCursor*>(g_object_get_data(G_OBJECT(w), kSavedCursorKey));
        if (saved == nullptr) {
            return;
        }
        gdk_window_set_cursor(w, saved->cursor);
        g_object_set_data(G_OBJECT(w), kSavedCursorKey, nullptr);  // frees it
    });
}

}  // namespace

void WaitCursor::Begin() {
    if (++depth_ == 1) {
        Refresh();
    }
}

void WaitCursor::End() {
    if (depth_ > 0 && --depth_ == 0) {
        Refresh();
    }
}

void WaitCursor::Refresh() const {
    GdkDisplay* display = gdk_display_get_default();
    if (display == nullptr) {
        return;
    }
    ObjectPtr<GdkCursor> wait;
    ListPtr<GList> toplevels(gtk_window_list_toplevels());
    for (GList* it = toplevels.get(); it != nullptr; it = it->next) {
        GtkWidget* widget = GTK_WIDGET(it->data);
        GdkWindow* window = gtk_widget_get_window(widget);
        if (window == nullptr || g_object_get_data(G_OBJECT(widget), kDialogWindowKey) == nullptr) {
            continue;
        }
        if (Busy()) {
            if (!wait) {
                wait = NewWaitCursor(display);
            }
            ShowWait(window, wait.get());
        } else {
            Restore(window);
        }
    }
    // The installer works synchronously between these calls: without a flush the server
    // would see the change only when the work is over.
    gdk_display_flush(display);
}

}  // namespace ui::gtk
