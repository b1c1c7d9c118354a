#include "ui/gtk/message_box.h"

#include <gtk/gtk.h>

#include "platform/text.h"
#include "ui/common/text_lines.h"
#include "ui/gtk/dialog_window.h"
#include "ui/gtk/toolkit_ptr.h"

namespace ui::gtk {

using common::BoxText;
using common::SplitBoxText;

namespace {

// The on-screen toolkit window of `owner`, or null.
GtkWindow* ParentOf(const DialogWindow* owner) {
    if (owner == nullptr) {
        return nullptr;
    }
    ListPtr<GList> toplevels(gtk_window_list_toplevels());
    for (GList* it = toplevels.get(); it != nullptr; it = it->next) {
        GtkWidget* widget = GTK_WIDGET(it->data);
        if (g_object_get_data(G_OBJECT(widget), kDialogWindowKey) == owner) {
            return gtk_widget_get_mapped(widget) ? GTK_WINDOW(widget) : nullptr;
        }
    }
    return nullptr;
}

GtkMessageType TypeOf(BoxIcon icon) {
    switch (icon) {
        case BoxIcon::question:
            return GTK_MESSAGE_QUESTION;
        case BoxIcon::stop:
            return GTK_MESSAGE_ERROR;
        case BoxIcon::exclamation:
            break;
    }
    return GTK_MESSAGE_WARNING;
}

const char* IconNameOf(BoxIcon icon) {
    switch (icon) {
        case BoxIcon::question:
            return "dialog-question";
        case BoxIcon::stop:
            return "dialog-error";
        case BoxIcon::exclamation:
            break;
    }
    return "dialog-warning";
}

gboolean RefuseClose(GtkWidget*, GdkEvent*, gpointer) {
    return TRUE;
}

}  // namespace

BoxAnswer RunMessageBox(const MessageBoxRequest& box, DialogWindow* owner) {
    GtkWindow* parent = ParentOf(owner);
    const BoxText text = SplitBoxText(box.text);
    const bool yesNo = box.buttons == BoxButtons::yesNo;
    TopLevelPtr<GtkWidget> dialog(gtk_message_dialog_new(
        parent, GTK_DIALOG_MODAL, TypeOf(box.icon), yesNo ? GTK_BUTTONS_YES_NO : GTK_BUTTONS_OK,
        "%s", text.heading.c_str()));
    GtkWindow* window = GTK_WINDOW(dialog.get());
    if (!text.body.empty()) {
        gtk_message_dialog_format_secondary_text(GTK_MESSAGE_DIALOG(dialog.get()), "%s",
                                                 text.body.c_str());
    }
    // The toolkit's message dialogs no longer show an image for their type by themselves.
    G_GNUC_BEGIN_IGNORE_DEPRECATIONS
    GtkWidget* image = gtk_image_new_from_icon_name(IconNameOf(box.icon), GTK_ICON_SIZE_DIALOG);
    gtk_widget_show(image);
    gtk_message_dialog_set_image(GTK_MESSAGE_DIALOG(dialog.get()), image);
    G_GNUC_END_IGNORE_DEPRECATIONS
    // Setting an image makes the box untyped; its type still tells assistive technology and
    // the theme what kind of message it is.
    g_object_set(dialog.get(), "message-type", TypeOf(box.icon), nullptr);
    gtk_window_set_title(window, platform::Utf16ToUtf8(box.title).c_str());
    gtk_window_set_position(window,
                            parent != nullptr ? GTK_WIN_POS_CENTER_ON_PARENT : GTK_WIN_POS_CENTER);
    gtk_window_set_skip_taskbar_hint(window, parent != nullptr);
    if (box.systemModal) {
        gtk_window_set_keep_above(window, TRUE);
    }
    gtk_dialog_set_default_response(GTK_DIALOG(dialog.get()),
                                    yesNo ? GTK_RESPONSE_YES : GTK_RESPONSE_OK);
    if (yesNo) {
        // Neither Escape nor the window manager answers a question.
        gtk_window_set_deletable(window, FALSE);
        g_signal_connect(dialog.get(), "delete-event", G_CALLBACK(RefuseClose), nullptr);
    }
    const int response = gtk_dialog_run(GTK_DIALOG(dialog.get()));
    if (!yesNo) {
        return BoxAnswer::ok;
    }
    return response == GTK_RESPONSE_YES ? BoxAnswer::yes : BoxAnswer::no;
}

}  // namespace ui::gtk
