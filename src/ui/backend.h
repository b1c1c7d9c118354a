// The seam between the framework and a user-interface front end (GTK, the console, or the
// tests' scripted one). No toolkit type appears here; each front end implements these
// classes in its own folder.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "ui/device_context.h"
#include "ui/dialog_template.h"

namespace ui {

enum class BoxIcon { exclamation, question, stop };
enum class BoxButtons { ok, yesNo };
enum class BoxAnswer { ok = 1, yes = 6, no = 7 };

struct MessageBoxRequest {
    std::u16string text;  // "\n" breaks lines; the first line serves as the heading
    std::u16string title;
    BoxButtons buttons = BoxButtons::ok;
    BoxIcon icon = BoxIcon::exclamation;
    bool systemModal = false;
};

// A child window's content, painted on request; painted in a dialog's loop, it throws
// nothing, as DialogEvents.
class ChildPainter {
public:
    virtual ~ChildPainter() = default;
    virtual void Paint(DeviceContext& dc, const Rect& client) = 0;
};

// What a dialog's owner (the framework's CDialog) hears from the front end. The front end
// calls these from its toolkit's loop: they throw nothing (the framework keeps what escapes
// a handler until the loop has returned), and they may be called again from a nested loop
// that one of them runs (a message box); the owner decides what to do then.
class DialogEvents {
public:
    virtual ~DialogEvents() = default;
    // The window and its controls exist and are hidden. Returns false when the dialog
    // ended itself during initialisation; it is then never shown.
    virtual bool OnInit(class DialogWindow& window) = 0;
    // A button was pressed: IDOK (1) for the default button and Enter, IDCANCEL (2) for
    // Cancel, Escape and the window manager's close request.
    virtual void OnCommand(int id) = 0;
    // The dialog's own client area is to be painted (front ends whose dialog manager sends
    // the dialog its paint requests ask; a minimised dialog draws its icon here). The front
    // end has erased the background before.
    virtual void PaintClient(DeviceContext& dc, const Rect& client) {
        static_cast<void>(dc);
        static_cast<void>(client);
    }
    // The icon shown while the minimised dialog is dragged; null for the system's default.
    virtual const Icon* DragIcon() { return nullptr; }
};

// A dialog window built from a template, as the framework drives it.
class DialogWindow {
public:
    virtual ~DialogWindow() = default;
    virtual void SetControlText(int id, std::u16string_view text) = 0;
    virtual std::u16string GetControlText(int id) = 0;
    virtual void SetReadOnly(int id, bool readOnly) = 0;
    // A control's rectangle in the dialog's client coordinates, in pixels.
    virtual Rect ControlRect(int id) = 0;
    virtual Rect ClientRect() = 0;
    // Creates a child window over `rect` whose content `painter` paints; false on failure.
    virtual bool CreateChild(int id, const Rect& rect, ChildPainter& painter) = 0;
    virtual void InvalidateChild(int id) = 0;
    virtual void SetIcon(const Icon& icon) = 0;
    virtual bool IsMinimized() = 0;
    // Erases the background of the minimised dialog on `dc`, a context this front end handed
    // to PaintClient. Front ends that paint a minimised window themselves do nothing.
    virtual void EraseIconBackground(DeviceContext& dc) { static_cast<void>(dc); }
    // Ends the modal loop with this result; during initialisation the dialog never shows.
    virtual void End(int result) = 0;

    // Placement on the screen, in screen coordinates, in the same pixels as the rectangles
    // above. A front end without a screen has empty rectangles and does not move.
    //
    // The window's outer rectangle: its frame and caption included, as far as the front end
    // knows them before the window is shown.
    virtual Rect WindowRect() { return {}; }
    // The work area (the monitor less the task bars and panels) of the monitor the window is
    // on, or of the nearest one.
    virtual Rect WorkArea() { return {}; }
    // Moves the window, keeping its size, so that its outer rectangle starts at (left, top).
    virtual void MoveTo(int left, int top) {
        static_cast<void>(left);
        static_cast<void>(top);
    }
    // True while the window is shown (also when minimised); false while it initialises.
    virtual bool IsVisible() { return false; }
};

class Backend {
public:
    virtual ~Backend() = default;
    // Shows a modal box, owned by `owner` when there is one.
    virtual BoxAnswer ShowMessageBox(const MessageBoxRequest& box, DialogWindow* owner) = 0;
    // Builds the dialog, initialises it through `events`, shows it and runs its modal loop;
    // returns the result passed to End.
    virtual int RunModalDialog(const DialogTemplate& dialog, DialogEvents& events) = 0;
    // Nested: the wait cursor shows while the count is above zero.
    virtual void BeginWaitCursor() = 0;
    virtual void EndWaitCursor() = 0;
    // The size of a full icon on this desktop, in pixels.
    virtual int IconSize() = 0;
    // Registers the system's common control classes named by `classes` (the first step of
    // start-up); front ends without them have nothing to register.
    virtual bool InitCommonControls(std::uint32_t classes) {
        static_cast<void>(classes);
        return true;
    }
};

}  // namespace ui
