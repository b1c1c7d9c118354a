// Message boxes on the desktop: texts, icons, buttons, defaults, owners.
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "gtk_harness.h"
#include "ui/gtk/gtk_backend.h"

namespace gtk_harness {
namespace {

// Acts on the next message box once it is on screen, from inside its modal loop.
struct BoxAction {
    std::function<void(GtkMessageDialog*)> act;
    bool done = false;
};

void OnNextBox(BoxAction& action) {
    g_timeout_add(
        20,
        +[](gpointer data) -> gboolean {
            auto* a = static_cast<BoxAction*>(data);
            GtkMessageDialog* box = FindMessageDialog();
            if (box == nullptr) {
                return G_SOURCE_CONTINUE;
            }
            gdk_display_sync(gdk_display_get_default());
            Pump();
            a->done = true;
            a->act(box);
            return G_SOURCE_REMOVE;
        },
        &action);
}

std::string Property(GtkMessageDialog* box, const char* name) {
    gchar* value = nullptr;
    g_object_get(box, name, &value, nullptr);
    std::string s = value != nullptr ? value : "";
    g_free(value);
    return s;
}

std::string IconName(GtkMessageDialog* box) {
    G_GNUC_BEGIN_IGNORE_DEPRECATIONS
    GtkWidget* image = gtk_message_dialog_get_image(box);
    G_GNUC_END_IGNORE_DEPRECATIONS
    if (image == nullptr || !GTK_IS_IMAGE(image)) {
        return {};
    }
    const gchar* name = nullptr;
    gtk_image_get_icon_name(GTK_IMAGE(image), &name, nullptr);
    return name != nullptr ? name : "";
}

GtkWidget* Button(GtkMessageDialog* box, int response) {
    return gtk_dialog_get_widget_for_response(GTK_DIALOG(box), response);
}

TEST(GtkMessageBox, ShowsHeadingTextIconAndButtonsAndAnswersFromTheKeys) {
    enum class Do { enter, escape, closeThenNo, clickNo };
    struct Case {
        const char* what;
        ui::BoxButtons buttons;
        ui::BoxIcon icon;
        std::u16string text;
        Do action;
        ui::BoxAnswer expected;
        std::string heading, secondary, iconName;
        GtkMessageType type;
    };
    const Case cases[] = {
        {"OK box, Enter", ui::BoxButtons::ok, ui::BoxIcon::exclamation,
         u"Error\nFile is not a QIB Archive file!", Do::enter, ui::BoxAnswer::ok, "Error",
         "File is not a QIB Archive file!", "dialog-warning", GTK_MESSAGE_WARNING},
        {"OK box, Escape", ui::BoxButtons::ok, ui::BoxIcon::exclamation,
         u"Error 4, the templates were not installed", Do::escape, ui::BoxAnswer::ok,
         "Error 4, the templates were not installed", "", "dialog-warning", GTK_MESSAGE_WARNING},
        {"error report", ui::BoxButtons::ok, ui::BoxIcon::stop,
         u"Attempted to access an unnamed file past its end.", Do::enter, ui::BoxAnswer::ok,
         "Attempted to access an unnamed file past its end.", "", "dialog-error",
         GTK_MESSAGE_ERROR},
        {"question, Enter is Yes", ui::BoxButtons::yesNo, ui::BoxIcon::question,
         u"File Exist\nThe file 'a.qop' already exist.\nContinue Overwriting the template?",
         Do::enter, ui::BoxAnswer::yes, "File Exist",
         "The file 'a.qop' already exist.\nContinue Overwriting the template?", "dialog-question",
         GTK_MESSAGE_QUESTION},
        {"question, No clicked", ui::BoxButtons::yesNo, ui::BoxIcon::question, u"File Exist\nx?",
         Do::clickNo, ui::BoxAnswer::no, "File Exist", "x?", "dialog-question",
         GTK_MESSAGE_QUESTION},
        {"question cannot be closed", ui::BoxButtons::yesNo, ui::BoxIcon::question,
         u"File Exist\r\nx?", Do::closeThenNo, ui::BoxAnswer::no, "File Exist", "x?",
         "dialog-question", GTK_MESSAGE_QUESTION},
    };
    const auto backend = ui::gtk::NewGtkBackend();
    for (const Case& c : cases) {
        BoxAction action;
        action.act = [&](GtkMessageDialog* box) {
            EXPECT_EQ(Property(box, "text"), c.heading) << c.what;
            EXPECT_EQ(Property(box, "secondary-text"), c.secondary) << c.what;
            EXPECT_EQ(IconName(box), c.iconName) << c.what;
            GtkMessageType type;
            g_object_get(box, "message-type", &type, nullptr);
            EXPECT_EQ(type, c.type) << c.what;
            EXPECT_STREQ(gtk_window_get_title(GTK_WINDOW(box)), "larkspan") << c.what;
            const bool yesNo = c.buttons == ui::BoxButtons::yesNo;
            GtkWidget* defaultButton = Button(box, yesNo ? GTK_RESPONSE_YES : GTK_RESPONSE_OK);
            ASSERT_NE(defaultButton, nullptr) << c.what;
            EXPECT_EQ(gtk_window_get_focus(GTK_WINDOW(box)), defaultButton) << c.what;
            EXPECT_EQ(Button(box, GTK_RESPONSE_NO) != nullptr, yesNo) << c.what;
            EXPECT_EQ(Button(box, GTK_RESPONSE_OK) != nullptr, !yesNo) << c.what;
            switch (c.action) {
                case Do::enter:
                    SendKey(GTK_WIDGET(box), GDK_KEY_Return);
                    break;
                case Do::escape:
                    SendKey(GTK_WIDGET(box), GDK_KEY_Escape);
                    break;
                case Do::closeThenNo:
                    EXPECT_FALSE(gtk_window_get_deletable(GTK_WINDOW(box)));
                    SendDelete(GTK_WIDGET(box));
                    SendKey(GTK_WIDGET(box), GDK_KEY_Escape);
                    Pump();
                    EXPECT_TRUE(gtk_widget_get_mapped(GTK_WIDGET(box))) << c.what;
                    [[fallthrough]];
                case Do::clickNo:
                    gtk_button_clicked(GTK_BUTTON(Button(box, GTK_RESPONSE_NO)));
                    break;
            }
        };
        OnNextBox(action);
        ui::MessageBoxRequest box;
        box.text = c.text;
        box.title = u"larkspan";
        box.buttons = c.buttons;
        box.icon = c.icon;
        EXPECT_EQ(backend->ShowMessageBox(box, nullptr), c.expected) << c.what;
        EXPECT_TRUE(action.done) << c.what;
        Pump();
        EXPECT_EQ(FindMessageDialog(), nullptr) << c.what;
    }
}

TEST(GtkMessageBox, BelongsToTheDialogOnceItIsOnScreen) {
    const auto backend = ui::gtk::NewGtkBackend();
    ui::MessageBoxRequest request;
    request.text = u"Premium template were installed.\r\nIf QIB is currenty running";
    request.title = u"inst";

    GtkWindow* parentAtInit = reinterpret_cast<GtkWindow*>(1);
    GtkWindow* parentShown = nullptr;
    GtkWindow* dialogWindow = nullptr;
    Events events;
    events.init = [&](ui::DialogWindow& dialog) {
        // Still hidden: a box now stands on its own, where the user can see it.
        BoxAction action{[&](GtkMessageDialog* box) {
            parentAtInit = gtk_window_get_transient_for(GTK_WINDOW(box));
            gtk_dialog_response(GTK_DIALOG(box), GTK_RESPONSE_OK);
        }};
        OnNextBox(action);
        backend->ShowMessageBox(request, &dialog);
        return true;
    };
    events.shown = [&](ui::DialogWindow& dialog, GtkWindow* window) {
        dialogWindow = window;
        BoxAction action{[&](GtkMessageDialog* box) {
            parentShown = gtk_window_get_transient_for(GTK_WINDOW(box));
            EXPECT_TRUE(gtk_window_get_modal(GTK_WINDOW(box)));
            gtk_dialog_response(GTK_DIALOG(box), GTK_RESPONSE_OK);
        }};
        OnNextBox(action);
        EXPECT_EQ(backend->ShowMessageBox(request, &dialog), ui::BoxAnswer::ok);
        dialog.End(1);
    };
    RunInstallDialog(*backend, events);
    EXPECT_EQ(parentAtInit, nullptr);
    ASSERT_NE(dialogWindow, nullptr);
    EXPECT_EQ(parentShown, dialogWindow);
}

}  // namespace
}  // namespace gtk_harness
