// The wait cursor over the dialog, nested, restored, and kept off the message boxes.
#include <gtest/gtest.h>

#include <vector>

#include "gtk_harness.h"
#include "ui/gtk/gtk_backend.h"

namespace gtk_harness {
namespace {

// The cursor of the window and of every window below it (entries and text views have their
// own, which would show through a cursor set on the top-level only).
std::vector<GdkCursor*> Cursors(GdkWindow* window) {
    std::vector<GdkCursor*> cursors{gdk_window_get_cursor(window)};
    GList* children = gdk_window_get_children(window);
    for (GList* it = children; it != nullptr; it = it->next) {
        for (GdkCursor* c : Cursors(GDK_WINDOW(it->data))) {
            cursors.push_back(c);
        }
    }
    g_list_free(children);
    return cursors;
}

TEST(GtkWaitCursor, CoversTheDialogWhileBusyAndRestoresEachWindowsOwn) {
    const auto backend = ui::gtk::NewGtkBackend();
    Events events;
    events.shown = [&](ui::DialogWindow& dialog, GtkWindow* window) {
        GdkWindow* top = gtk_widget_get_window(GTK_WIDGET(window));
        const std::vector<GdkCursor*> own = Cursors(top);
        ASSERT_GT(own.size(), 3u);  // the entries' text windows are among them

        backend->BeginWaitCursor();
        backend->BeginWaitCursor();
        const std::vector<GdkCursor*> busy = Cursors(top);
        ASSERT_EQ(busy.size(), own.size());
        for (GdkCursor* c : busy) {
            ASSERT_NE(c, nullptr);
            EXPECT_EQ(c, busy.front());  // one wait cursor everywhere
        }
        backend->EndWaitCursor();
        EXPECT_EQ(Cursors(top), busy);  // still one level deep
        backend->EndWaitCursor();
        EXPECT_EQ(Cursors(top), own);
        backend->EndWaitCursor();  // an unmatched end changes nothing
        EXPECT_EQ(Cursors(top), own);
        dialog.End(2);
    };
    RunInstallDialog(*backend, events);
    EXPECT_TRUE(events.wasShown);
}

TEST(GtkWaitCursor, ADialogRealizedDuringABusyStretchGetsIt) {
    const auto backend = ui::gtk::NewGtkBackend();
    backend->BeginWaitCursor();
    Events events;
    bool busyAtInit = false;
    events.init = [&](ui::DialogWindow&) {
        GtkWindow* window = FindWindow(kCaption);
        busyAtInit = gdk_window_get_cursor(gtk_widget_get_window(GTK_WIDGET(window))) != nullptr;
        return true;
    };
    events.shown = [&](ui::DialogWindow& dialog, GtkWindow* window) {
        backend->EndWaitCursor();
        EXPECT_EQ(gdk_window_get_cursor(gtk_widget_get_window(GTK_WIDGET(window))), nullptr);
        dialog.End(2);
    };
    RunInstallDialog(*backend, events);
    EXPECT_TRUE(busyAtInit);
}

TEST(GtkWaitCursor, AMessageBoxShownMeanwhileKeepsTheOrdinaryPointer) {
    const auto backend = ui::gtk::NewGtkBackend();
    Events events;
    bool boxPlain = false;
    bool dialogBusy = false;
    events.shown = [&](ui::DialogWindow& dialog, GtkWindow* window) {
        backend->BeginWaitCursor();
        struct Check {
            bool* boxPlain;
            bool* dialogBusy;
            GtkWindow* dialog;
        } check{&boxPlain, &dialogBusy, window};
        g_timeout_add(
            20,
            +[](gpointer data) -> gboolean {
                auto* c = static_cast<Check*>(data);
                GtkMessageDialog* box = FindMessageDialog();
                if (box == nullptr) {
                    return G_SOURCE_CONTINUE;
                }
                *c->boxPlain =
                    gdk_window_get_cursor(gtk_widget_get_window(GTK_WIDGET(box))) == nullptr;
                *c->dialogBusy =
                    gdk_window_get_cursor(gtk_widget_get_window(GTK_WIDGET(c->dialog))) != nullptr;
                gtk_dialog_response(GTK_DIALOG(box), GTK_RESPONSE_OK);
                return G_SOURCE_REMOVE;
            },
            &check);
        ui::MessageBoxRequest box;
        box.text = u"Error\nsomething";
        box.title = u"larkspan";
        backend->ShowMessageBox(box, &dialog);
        backend->EndWaitCursor();
        dialog.End(2);
    };
    RunInstallDialog(*backend, events);
    EXPECT_TRUE(boxPlain);
    EXPECT_TRUE(dialogBusy);
}

}  // namespace
}  // namespace gtk_harness
