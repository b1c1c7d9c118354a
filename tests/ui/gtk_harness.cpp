#include "gtk_harness.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <thread>

#include "resources/install_dialog.h"
#include "ui/gtk/gtk_backend.h"

namespace gtk_harness {

void Pump() {
    while (gtk_events_pending()) {
        gtk_main_iteration_do(FALSE);
    }
}

bool PumpUntil(const std::function<bool()>& done) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (!done()) {
        if (std::chrono::steady_clock::now() > deadline) {
            return false;
        }
        if (gtk_events_pending()) {
            gtk_main_iteration_do(FALSE);
        } else {
            gdk_display_sync(gdk_display_get_default());
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
    }
    return true;
}

GtkWindow* FindWindow(const std::string& title) {
    GList* toplevels = gtk_window_list_toplevels();
    GtkWindow* found = nullptr;
    for (GList* it = toplevels; it != nullptr && found == nullptr; it = it->next) {
        const char* t = gtk_window_get_title(GTK_WINDOW(it->data));
        if (t != nullptr && title == t) {
            found = GTK_WINDOW(it->data);
        }
    }
    g_list_free(toplevels);
    return found;
}

GtkMessageDialog* FindMessageDialog() {
    GList* toplevels = gtk_window_list_toplevels();
    GtkMessageDialog* found = nullptr;
    for (GList* it = toplevels; it != nullptr && found == nullptr; it = it->next) {
        if (GTK_IS_MESSAGE_DIALOG(it->data) && gtk_widget_get_mapped(GTK_WIDGET(it->data))) {
            found = GTK_MESSAGE_DIALOG(it->data);
        }
    }
    g_list_free(toplevels);
    return found;
}

namespace {

void Collect(GtkWidget* widget, gpointer out) {
    auto* all = static_cast<std::vector<GtkWidget*>*>(out);
    all->push_back(widget);
    if (GTK_IS_CONTAINER(widget)) {
        gtk_container_forall(GTK_CONTAINER(widget), Collect, out);
    }
}

}  // namespace

std::vector<GtkWidget*> Descendants(GtkWidget* root) {
    std::vector<GtkWidget*> all;
    if (GTK_IS_CONTAINER(root)) {
        gtk_container_forall(GTK_CONTAINER(root), Collect, &all);
    }
    return all;
}

void SendKey(GtkWidget* toplevel, guint keyval, GdkModifierType state) {
    GdkDisplay* display = gtk_widget_get_display(toplevel);
    GdkEvent* event = gdk_event_new(GDK_KEY_PRESS);
    event->key.window = GDK_WINDOW(g_object_ref(gtk_widget_get_window(toplevel)));
    event->key.send_event = TRUE;
    event->key.time = GDK_CURRENT_TIME;
    event->key.keyval = keyval;
    event->key.state = state;
    GdkKeymapKey* keys = nullptr;
    gint count = 0;
    if (gdk_keymap_get_entries_for_keyval(gdk_keymap_get_for_display(display), keyval, &keys,
                                          &count) &&
        count > 0) {
        event->key.hardware_keycode = static_cast<guint16>(keys[0].keycode);
    }
    g_free(keys);
    gdk_event_set_device(event, gdk_seat_get_keyboard(gdk_display_get_default_seat(display)));
    gtk_main_do_event(event);
    gdk_event_free(event);
}

void SendDelete(GtkWidget* toplevel) {
    GdkEvent* event = gdk_event_new(GDK_DELETE);
    event->any.window = GDK_WINDOW(g_object_ref(gtk_widget_get_window(toplevel)));
    event->any.send_event = TRUE;
    gtk_main_do_event(event);
    gdk_event_free(event);
}

bool Events::OnInit(ui::DialogWindow& w) {
    window = &w;
    return init ? init(w) : true;
}

void Events::OnCommand(int id) {
    commands.push_back(id);
    if (command) {
        command(id);
    }
    if (endOnCommand && window != nullptr) {
        window->End(id);
    }
}

namespace {

struct Watch {
    Events* events;
    int ticks = 0;
    bool removed = false;
};

// Polls from inside the dialog's modal loop: runs `shown` once the window is on screen, and
// cancels a dialog that the test left up.
gboolean Poll(gpointer data) {
    auto* watch = static_cast<Watch*>(data);
    Events& events = *watch->events;
    GtkWindow* window = FindWindow(kCaption);
    if (!events.wasShown && window != nullptr && gtk_widget_get_mapped(GTK_WIDGET(window)) &&
        gtk_widget_get_allocated_width(GTK_WIDGET(window)) > 1) {
        events.wasShown = true;
        gdk_display_sync(gdk_display_get_default());
        Pump();
        if (events.shown) {
            events.shown(*events.window, window);
        }
    }
    if (++watch->ticks > 500 && events.window != nullptr) {  // ten seconds
        ADD_FAILURE() << "the dialog was left up";
        events.window->End(-1);
        watch->removed = true;
        return G_SOURCE_REMOVE;
    }
    return G_SOURCE_CONTINUE;
}

}  // namespace

int RunInstallDialog(ui::Backend& backend, Events& events) {
    Watch watch{&events};
    struct Source {  // removed on every path, a dialog that throws included
        Watch& watch;
        guint id;
        ~Source() {
            if (!watch.removed) {
                g_source_remove(id);
            }
            Pump();
        }
    } source{watch, g_timeout_add(20, Poll, &watch)};
    return backend.RunModalDialog(InstallTemplate(), events);
}

const ui::DialogTemplate& InstallTemplate() {
    return resources::InstallDialogTemplate();
}

}  // namespace gtk_harness

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    if (!ui::gtk::OpenDisplay(&argc, &argv)) {
        std::fprintf(stderr, "these tests need a display (run them through with_xvfb.sh)\n");
        return 1;
    }
    return RUN_ALL_TESTS();
}
