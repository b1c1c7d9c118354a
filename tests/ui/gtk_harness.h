// What the desktop tests share: the real backend on a display, the install dialog's
// template, and ways to reach and drive the toolkit's windows from inside a test.
#pragma once

#include <gtk/gtk.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "ui/backend.h"

namespace gtk_harness {

inline constexpr char kCaption[] = "QIB Template Install";

// Runs the toolkit's pending work until `done` holds or about five seconds have passed;
// false on the time-out.
bool PumpUntil(const std::function<bool()>& done);
void Pump();

// The toolkit windows on the screen (or only created) with this title.
GtkWindow* FindWindow(const std::string& title);
// The message dialog that is up, or null.
GtkMessageDialog* FindMessageDialog();
// Every widget below `root`, depth first.
std::vector<GtkWidget*> Descendants(GtkWidget* root);

// A key press delivered to a toplevel as the display would deliver it.
void SendKey(GtkWidget* toplevel, guint keyval, GdkModifierType state = GdkModifierType(0));
// The window manager's request to close a toplevel.
void SendDelete(GtkWidget* toplevel);

// A dialog's events with hooks: `init` runs in OnInit (returning its result; by default the
// dialog shows), `shown` runs once the dialog is mapped and drawn, inside its modal loop.
// Every command is recorded and, unless `endOnCommand` is false, ends the dialog with it.
class Events : public ui::DialogEvents {
public:
    std::function<bool(ui::DialogWindow&)> init;
    std::function<void(ui::DialogWindow&, GtkWindow*)> shown;
    std::function<void(int)> command;
    bool endOnCommand = true;

    std::vector<int> commands;
    ui::DialogWindow* window = nullptr;
    bool wasShown = false;

    bool OnInit(ui::DialogWindow& w) override;
    void OnCommand(int id) override;
};

// Runs the install dialog's template on `backend` with `events`; fails the test when the
// dialog is still up after `shown` plus a few seconds (it is then cancelled).
int RunInstallDialog(ui::Backend& backend, Events& events);

const ui::DialogTemplate& InstallTemplate();

}  // namespace gtk_harness
