// The install dialog on the desktop front end: placement, keys, focus, texts, painting.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "gtk_harness.h"
#include "platform/text.h"
#include "resources/app_icon.h"
#include "resources/resource.h"
#include "ui/gtk/gtk_backend.h"

namespace gtk_harness {
namespace {

constexpr int kIdOk = 1;
constexpr int kIdCancel = 2;
// The id the installer gives its image window.
constexpr int IDC_IMAGE_WINDOW = 123456;

int ScaleOf(GtkWindow* window) {
    return gtk_widget_get_scale_factor(GTK_WIDGET(window));
}

ui::Rect Allocation(GtkWidget* widget) {
    GtkAllocation a;
    gtk_widget_get_allocation(widget, &a);
    return ui::Rect{a.x, a.y, a.x + a.width, a.y + a.height};
}

ui::Rect Logical(const ui::Rect& device, int scale) {
    return ui::Rect{device.left / scale, device.top / scale, device.right / scale,
                    device.bottom / scale};
}

// What a control of the template is made of on this desktop.
bool IsWidgetFor(const ui::ControlTemplate& c, GtkWidget* widget) {
    switch (c.controlClass) {
        case ui::ControlClass::button:
            return GTK_IS_BUTTON(widget);
        case ui::ControlClass::staticText:
            return (c.style & 0x1F) == ui::style::kSsBlackFrame ? GTK_IS_DRAWING_AREA(widget)
                                                                : GTK_IS_LABEL(widget);
        case ui::ControlClass::edit:
            return (c.style & ui::style::kEsMultiline) != 0 ? GTK_IS_SCROLLED_WINDOW(widget)
                                                            : GTK_IS_ENTRY(widget);
    }
    return false;
}

std::vector<GtkWidget*> Placed(GtkWindow* window) {
    std::vector<GtkWidget*> placed;
    GtkWidget* fixed = gtk_bin_get_child(GTK_BIN(window));
    GList* children = gtk_container_get_children(GTK_CONTAINER(fixed));
    for (GList* it = children; it != nullptr; it = it->next) {
        placed.push_back(GTK_WIDGET(it->data));
    }
    g_list_free(children);
    return placed;
}

// The widget standing for control `id`: of its kind, at its rectangle.
GtkWidget* ControlWidget(ui::DialogWindow& dialog, GtkWindow* window, int id) {
    const ui::ControlTemplate* c = InstallTemplate().Find(id);
    if (c == nullptr) {
        return nullptr;
    }
    const ui::Rect rect = Logical(dialog.ControlRect(id), ScaleOf(window));
    for (GtkWidget* w : Placed(window)) {
        if (IsWidgetFor(*c, w) && Allocation(w) == rect &&
            (c->controlClass != ui::ControlClass::button ||
             platform::Utf16ToUtf8(c->text) == gtk_button_get_label(GTK_BUTTON(w)))) {
            return w;
        }
    }
    return nullptr;
}

// The control whose widget holds `focus`, or 0.
int ControlOf(ui::DialogWindow& dialog, GtkWindow* window, GtkWidget* focus) {
    for (const ui::ControlTemplate& c : InstallTemplate().controls) {
        GtkWidget* w = ControlWidget(dialog, window, c.id);
        if (w != nullptr && focus != nullptr && (w == focus || gtk_widget_is_ancestor(focus, w))) {
            return c.id;
        }
    }
    return 0;
}

class GtkDialogTest : public ::testing::Test {
protected:
    std::unique_ptr<ui::Backend> backend = ui::gtk::NewGtkBackend();
    Events events;
};

TEST_F(GtkDialogTest, PlacesEveryControlAtItsTemplateRectangle) {
    events.shown = [&](ui::DialogWindow& dialog, GtkWindow* window) {
        const int scale = ScaleOf(window);
        for (const ui::ControlTemplate& c : InstallTemplate().controls) {
            const ui::Rect device = dialog.ControlRect(c.id);
            EXPECT_GT(device.Width(), 0) << c.id;
            // Device pixels: a whole number of logical pixels on every scale.
            EXPECT_EQ(device.left % scale, 0);
            EXPECT_EQ(device.Width() % scale, 0);
            EXPECT_NE(ControlWidget(dialog, window, c.id), nullptr)
                << "control " << c.id << " (" << std::string(c.text.begin(), c.text.end())
                << ") is not at its rectangle";
        }
        // Proportional to the template: the name box starts right of the frame, both at the
        // template's top margin, and the client area is the template's size.
        const ui::Rect frame = dialog.ControlRect(IDC_IMAGE_FRAME);
        const ui::Rect name = dialog.ControlRect(IDC_PACKAGE_NAME);
        const ui::Rect client = dialog.ClientRect();
        EXPECT_EQ(frame.top, name.top);
        EXPECT_NEAR(double(name.left) / client.Width(), 243.0 / 487, 0.01);
        EXPECT_NEAR(double(frame.Width()) / client.Width(), 227.0 / 487, 0.01);
        EXPECT_NEAR(double(frame.Height()) / client.Height(), 155.0 / 169, 0.01);
        EXPECT_EQ(Logical(client, scale),
                  (ui::Rect{0, 0, gtk_widget_get_allocated_width(GTK_WIDGET(window)),
                            gtk_widget_get_allocated_height(GTK_WIDGET(window))}));
        dialog.End(kIdCancel);
    };
    EXPECT_EQ(RunInstallDialog(*backend, events), kIdCancel);
    EXPECT_TRUE(events.wasShown);
}

TEST_F(GtkDialogTest, NoTextIsClippedOnTheDesktopFont) {
    events.shown = [&](ui::DialogWindow& dialog, GtkWindow* window) {
        for (const ui::ControlTemplate& c : InstallTemplate().controls) {
            GtkWidget* w = ControlWidget(dialog, window, c.id);
            ASSERT_NE(w, nullptr) << c.id;
            int minWidth = 0, natWidth = 0, minHeight = 0, natHeight = 0;
            gtk_widget_get_preferred_width(w, &minWidth, &natWidth);
            gtk_widget_get_preferred_height_for_width(w, Allocation(w).Width(), &minHeight,
                                                      &natHeight);
            if (c.controlClass != ui::ControlClass::edit) {
                EXPECT_LE(natWidth, Allocation(w).Width()) << c.id;
            }
            EXPECT_LE(natHeight, Allocation(w).Height()) << c.id;
        }
        dialog.End(kIdCancel);
    };
    RunInstallDialog(*backend, events);
    EXPECT_TRUE(events.wasShown);
}

TEST_F(GtkDialogTest, ControlsKeepTheirPlacesWhenTheWindowIsResized) {
    events.shown = [&](ui::DialogWindow& dialog, GtkWindow* window) {
        const ui::Rect before = dialog.ClientRect();
        std::vector<ui::Rect> rects;
        for (GtkWidget* w : Placed(window)) {
            rects.push_back(Allocation(w));
        }
        EXPECT_TRUE(gtk_window_get_resizable(window));
        const int scale = ScaleOf(window);
        gtk_window_resize(window, before.Width() / scale + 120, before.Height() / scale + 80);
        EXPECT_TRUE(PumpUntil([&] { return dialog.ClientRect().Width() > before.Width(); }));
        EXPECT_EQ(dialog.ClientRect().Height(), before.Height() + 80 * scale);
        std::vector<ui::Rect> after;
        for (GtkWidget* w : Placed(window)) {
            after.push_back(Allocation(w));
        }
        EXPECT_EQ(after, rects);
        dialog.End(kIdCancel);
    };
    RunInstallDialog(*backend, events);
    EXPECT_TRUE(events.wasShown);
}

TEST_F(GtkDialogTest, InitialisesWhileHiddenAndShowsWithTheFocusOnInstall) {
    bool realizedHidden = false;
    events.init = [&](ui::DialogWindow&) {
        GtkWindow* window = FindWindow(kCaption);
        realizedHidden = window != nullptr && gtk_widget_get_realized(GTK_WIDGET(window)) &&
                         !gtk_widget_get_mapped(GTK_WIDGET(window));
        return true;
    };
    events.shown = [&](ui::DialogWindow& dialog, GtkWindow* window) {
        EXPECT_EQ(ControlOf(dialog, window, gtk_window_get_focus(window)), kIdOk);
        EXPECT_FALSE(gtk_window_get_deletable(window));  // no close button
        EXPECT_FALSE(gtk_window_get_skip_taskbar_hint(window));
        EXPECT_FALSE(dialog.IsMinimized());
        dialog.End(kIdCancel);
    };
    RunInstallDialog(*backend, events);
    EXPECT_TRUE(realizedHidden);
    EXPECT_TRUE(events.wasShown);
}

// The verbs the framework places the dialog with, checked against the X server's own view.
// The private server has no window manager and no panel: no frame around the window, and the
// work area is the whole screen.
TEST_F(GtkDialogTest, KnowsItsPlaceOnTheScreenAndShowsWhereItWasMoved) {
    ui::Rect screen, before, area;
    bool visibleWhileHidden = true;
    int scale = 1;
    events.init = [&](ui::DialogWindow& dialog) {
        GtkWindow* window = FindWindow(kCaption);
        scale = ScaleOf(window);
        GdkWindow* root = gdk_screen_get_root_window(gtk_widget_get_screen(GTK_WIDGET(window)));
        screen = {0, 0, gdk_window_get_width(root) * scale, gdk_window_get_height(root) * scale};
        before = dialog.WindowRect();
        area = dialog.WorkArea();
        visibleWhileHidden = dialog.IsVisible();
        dialog.MoveTo(101 * scale, 57 * scale);
        return true;
    };
    events.shown = [&](ui::DialogWindow& dialog, GtkWindow* window) {
        gint x = -1, y = -1;
        gdk_window_get_origin(gtk_widget_get_window(GTK_WIDGET(window)), &x, &y);
        EXPECT_EQ(x * scale, 101 * scale);
        EXPECT_EQ(y * scale, 57 * scale);
        const ui::Rect client = dialog.ClientRect();
        EXPECT_EQ(dialog.WindowRect(),
                  (ui::Rect{101 * scale, 57 * scale, 101 * scale + client.Width(),
                            57 * scale + client.Height()}));
        EXPECT_EQ(before.Width(), client.Width());
        EXPECT_EQ(before.Height(), client.Height());
        EXPECT_TRUE(dialog.IsVisible());
        dialog.End(kIdCancel);
    };
    RunInstallDialog(*backend, events);
    EXPECT_TRUE(events.wasShown);
    EXPECT_FALSE(visibleWhileHidden);
    EXPECT_GT(screen.Width(), 0);
    EXPECT_EQ(area, screen);
    // Before it is moved, a dialog stands at its template's place: 0,0 for this one.
    EXPECT_EQ(before.left, 0);
    EXPECT_EQ(before.top, 0);
}

TEST_F(GtkDialogTest, ADialogThatEndsItselfDuringInitialisationNeverShows) {
    bool mapped = false;
    events.init = [&](ui::DialogWindow& dialog) {
        GtkWindow* window = FindWindow(kCaption);
        g_signal_connect(window, "map", G_CALLBACK(+[](GtkWidget*, gpointer flag) {
                             *static_cast<bool*>(flag) = true;
                         }),
                         &mapped);
        dialog.End(kIdCancel);
        return false;
    };
    EXPECT_EQ(RunInstallDialog(*backend, events), kIdCancel);
    EXPECT_FALSE(mapped);
    EXPECT_FALSE(events.wasShown);
    EXPECT_EQ(FindWindow(kCaption), nullptr);  // and it is gone
}

TEST_F(GtkDialogTest, KeysPressTheButtonsTheyStandFor) {
    struct Key {
        guint keyval;
        GdkModifierType state;
    };
    struct Case {
        const char* what;
        std::vector<Key> keys;
        int expected;
    };
    const GdkModifierType none = GdkModifierType(0);
    const Case cases[] = {
        {"Enter on the focused Install", {{GDK_KEY_Return, none}}, kIdOk},
        {"keypad Enter", {{GDK_KEY_KP_Enter, none}}, kIdOk},
        {"Escape", {{GDK_KEY_Escape, none}}, kIdCancel},
        {"Enter on the focused Cancel", {{GDK_KEY_Tab, none}, {GDK_KEY_Return, none}}, kIdCancel},
        {"Enter in the subfolder box presses the default",
         {{GDK_KEY_ISO_Left_Tab, GDK_SHIFT_MASK},
          {GDK_KEY_ISO_Left_Tab, GDK_SHIFT_MASK},
          {GDK_KEY_Return, none}},
         kIdOk},
        {"Enter in the description presses the default",
         {{GDK_KEY_ISO_Left_Tab, GDK_SHIFT_MASK}, {GDK_KEY_Return, none}},
         kIdOk},
        {"Escape in a box",
         {{GDK_KEY_Tab, none}, {GDK_KEY_Tab, none}, {GDK_KEY_Escape, none}},
         kIdCancel},
    };
    for (const Case& c : cases) {
        Events e;
        e.shown = [&](ui::DialogWindow&, GtkWindow* window) {
            for (const Key& k : c.keys) {
                SendKey(GTK_WIDGET(window), k.keyval, k.state);
            }
        };
        EXPECT_EQ(RunInstallDialog(*backend, e), c.expected) << c.what;
        EXPECT_EQ(e.commands, std::vector<int>{c.expected}) << c.what;
    }
}

TEST_F(GtkDialogTest, TabFollowsTheTemplatesOrder) {
    events.shown = [&](ui::DialogWindow& dialog, GtkWindow* window) {
        std::vector<int> forward, backward;
        for (int i = 0; i < 6; ++i) {
            SendKey(GTK_WIDGET(window), GDK_KEY_Tab);
            forward.push_back(ControlOf(dialog, window, gtk_window_get_focus(window)));
        }
        for (int i = 0; i < 6; ++i) {
            SendKey(GTK_WIDGET(window), GDK_KEY_ISO_Left_Tab, GDK_SHIFT_MASK);
            backward.push_back(ControlOf(dialog, window, gtk_window_get_focus(window)));
        }
        EXPECT_EQ(forward, (std::vector<int>{kIdCancel, IDC_PACKAGE_NAME, IDC_REQUIRED_VERSION,
                                             IDC_SUBFOLDER, IDC_DESCRIPTION, kIdOk}));
        EXPECT_EQ(backward, (std::vector<int>{IDC_DESCRIPTION, IDC_SUBFOLDER, IDC_REQUIRED_VERSION,
                                              IDC_PACKAGE_NAME, kIdCancel, kIdOk}));
        dialog.End(kIdCancel);
    };
    RunInstallDialog(*backend, events);
    EXPECT_TRUE(events.wasShown);
}

TEST_F(GtkDialogTest, ClicksAndTheCloseRequestAreCommands) {
    struct Case {
        const char* what;
        int id;  // the button clicked, or 0 for the close request
        int expected;
    };
    for (const Case c : {Case{"Install", kIdOk, kIdOk}, Case{"Cancel", kIdCancel, kIdCancel},
                         Case{"close request", 0, kIdCancel}}) {
        Events e;
        e.shown = [&](ui::DialogWindow& dialog, GtkWindow* window) {
            if (c.id == 0) {
                SendDelete(GTK_WIDGET(window));
            } else {
                GtkWidget* button = ControlWidget(dialog, window, c.id);
                ASSERT_NE(button, nullptr);
                gtk_button_clicked(GTK_BUTTON(button));
            }
        };
        EXPECT_EQ(RunInstallDialog(*backend, e), c.expected) << c.what;
        EXPECT_EQ(e.commands, std::vector<int>{c.expected}) << c.what;
    }
}

TEST_F(GtkDialogTest, ACommandThatDoesNotEndTheDialogLeavesItOpen) {
    events.endOnCommand = false;
    events.shown = [&](ui::DialogWindow& dialog, GtkWindow* window) {
        SendKey(GTK_WIDGET(window), GDK_KEY_Return);
        SendKey(GTK_WIDGET(window), GDK_KEY_Return);
        Pump();
        EXPECT_TRUE(gtk_widget_get_mapped(GTK_WIDGET(window)));
        dialog.End(kIdOk);
    };
    EXPECT_EQ(RunInstallDialog(*backend, events), kIdOk);
    EXPECT_EQ(events.commands, (std::vector<int>{kIdOk, kIdOk}));
}

TEST_F(GtkDialogTest, TextsRoundTripWithTheirLineBreaks) {
    const std::u16string description = u"First line\r\nSecond line\r\n\r\nAfter a gap";
    events.init = [&](ui::DialogWindow& dialog) {
        dialog.SetControlText(IDC_PACKAGE_NAME, u"Gr\u00fc\u00dfe \u20ac");
        dialog.SetControlText(IDC_REQUIRED_VERSION, u"4294967295");
        dialog.SetControlText(IDC_SUBFOLDER, u"Larkspan Sample");
        dialog.SetControlText(IDC_DESCRIPTION, description);
        return true;
    };
    events.shown = [&](ui::DialogWindow& dialog, GtkWindow* window) {
        EXPECT_EQ(dialog.GetControlText(IDC_PACKAGE_NAME), u"Gr\u00fc\u00dfe \u20ac");
        EXPECT_EQ(dialog.GetControlText(IDC_REQUIRED_VERSION), u"4294967295");
        EXPECT_EQ(dialog.GetControlText(IDC_DESCRIPTION), description);
        EXPECT_EQ(dialog.GetControlText(kIdOk), u"Install");
        EXPECT_EQ(dialog.GetControlText(-5), u"");

        GtkWidget* scrolled = ControlWidget(dialog, window, IDC_DESCRIPTION);
        ASSERT_NE(scrolled, nullptr);
        GtkTextView* view = GTK_TEXT_VIEW(gtk_bin_get_child(GTK_BIN(scrolled)));
        GtkTextBuffer* buffer = gtk_text_view_get_buffer(view);
        GtkTextIter start, end;
        gtk_text_buffer_get_bounds(buffer, &start, &end);
        gchar* shown = gtk_text_buffer_get_text(buffer, &start, &end, FALSE);
        EXPECT_STREQ(shown, "First line\nSecond line\n\nAfter a gap");
        g_free(shown);
        EXPECT_EQ(gtk_text_buffer_get_line_count(buffer), 4);
        EXPECT_EQ(gtk_text_view_get_wrap_mode(view), GTK_WRAP_WORD_CHAR);
        EXPECT_FALSE(gtk_text_view_get_editable(view));
        GtkPolicyType h, v;
        gtk_scrolled_window_get_policy(GTK_SCROLLED_WINDOW(scrolled), &h, &v);
        EXPECT_EQ(v, GTK_POLICY_ALWAYS);
        EXPECT_EQ(h, GTK_POLICY_NEVER);

        // Typed in the toolkit's breaks, read back in the installer's.
        gtk_text_buffer_set_text(buffer, "a\nb", -1);
        EXPECT_EQ(dialog.GetControlText(IDC_DESCRIPTION), u"a\r\nb");

        GtkWidget* subfolder = ControlWidget(dialog, window, IDC_SUBFOLDER);
        ASSERT_NE(subfolder, nullptr);
        gtk_entry_set_text(GTK_ENTRY(subfolder), "Mine");
        EXPECT_EQ(dialog.GetControlText(IDC_SUBFOLDER), u"Mine");
        dialog.End(kIdCancel);
    };
    RunInstallDialog(*backend, events);
    EXPECT_TRUE(events.wasShown);
}

TEST_F(GtkDialogTest, OnlyTheSubfolderIsEditableUntilMadeReadOnly) {
    events.shown = [&](ui::DialogWindow& dialog, GtkWindow* window) {
        const auto editable = [&](int id) {
            return gtk_editable_get_editable(GTK_EDITABLE(ControlWidget(dialog, window, id)));
        };
        EXPECT_FALSE(editable(IDC_PACKAGE_NAME));
        EXPECT_FALSE(editable(IDC_REQUIRED_VERSION));
        EXPECT_TRUE(editable(IDC_SUBFOLDER));
        dialog.SetReadOnly(IDC_SUBFOLDER, true);
        EXPECT_FALSE(editable(IDC_SUBFOLDER));
        dialog.SetReadOnly(IDC_SUBFOLDER, false);
        EXPECT_TRUE(editable(IDC_SUBFOLDER));
        dialog.End(kIdCancel);
    };
    RunInstallDialog(*backend, events);
    EXPECT_TRUE(events.wasShown);
}

// Paints the dark background and a 4 x 2 picture in its middle, as the image window does.
class PicturePainter : public ui::ChildPainter {
public:
    int paints = 0;
    ui::Rect lastClient;
    std::vector<std::uint8_t> pixels;

    PicturePainter() {
        // Bottom-up: the stored first row is the bottom one (blue), the top row is red.
        for (int row = 0; row < 2; ++row) {
            for (int col = 0; col < 4; ++col) {
                const bool top = row == 1;
                pixels.insert(pixels.end(),
                              {std::uint8_t(top ? 0 : 255), 0, std::uint8_t(top ? 255 : 0), 0});
            }
        }
    }
    void Paint(ui::DeviceContext& dc, const ui::Rect& client) override {
        ++paints;
        lastClient = client;
        dc.FillSolidRect(client, ui::Color{16, 16, 16});
        dc.DrawBottomUpPixels((client.Width() - 4) / 2, (client.Height() - 2) / 2, 4, 2,
                              pixels.data());
    }
};

TEST_F(GtkDialogTest, AChildWindowPaintsDevicePixelsOverTheFrame) {
    PicturePainter painter;
    ui::Rect frame;
    events.init = [&](ui::DialogWindow& dialog) {
        frame = dialog.ControlRect(IDC_IMAGE_FRAME);
        EXPECT_TRUE(dialog.CreateChild(IDC_IMAGE_WINDOW, frame, painter));
        EXPECT_FALSE(dialog.CreateChild(IDC_IMAGE_WINDOW, frame, painter));  // once per id
        return true;
    };
    events.shown = [&](ui::DialogWindow& dialog, GtkWindow* window) {
        ASSERT_TRUE(PumpUntil([&] { return painter.paints > 0; }));
        EXPECT_EQ(painter.lastClient, (ui::Rect{0, 0, frame.Width(), frame.Height()}));

        gdk_display_sync(gdk_display_get_default());
        const int scale = ScaleOf(window);
        GdkPixbuf* shot = gdk_pixbuf_get_from_window(gtk_widget_get_window(GTK_WIDGET(window)), 0,
                                                     0, dialog.ClientRect().Width() / scale,
                                                     dialog.ClientRect().Height() / scale);
        ASSERT_NE(shot, nullptr);
        // The shot is in device pixels, as the painter's pixels are.
        ASSERT_EQ(gdk_pixbuf_get_width(shot), dialog.ClientRect().Width());
        const auto at = [&](int x, int y) {
            const guchar* p = gdk_pixbuf_get_pixels(shot) + y * gdk_pixbuf_get_rowstride(shot) +
                              x * gdk_pixbuf_get_n_channels(shot);
            return std::vector<int>{p[0], p[1], p[2]};
        };
        const int px = frame.left + (frame.Width() - 4) / 2;
        const int py = frame.top + (frame.Height() - 2) / 2;
        EXPECT_EQ(at(frame.left, frame.top), (std::vector<int>{16, 16, 16}));
        EXPECT_EQ(at(frame.right - 1, frame.bottom - 1), (std::vector<int>{16, 16, 16}));
        EXPECT_EQ(at(px, py), (std::vector<int>{255, 0, 0}));          // top row: red
        EXPECT_EQ(at(px + 3, py + 1), (std::vector<int>{0, 0, 255}));  // bottom row: blue
        EXPECT_EQ(at(px - 1, py), (std::vector<int>{16, 16, 16}));
        EXPECT_EQ(at(px + 4, py + 1), (std::vector<int>{16, 16, 16}));
        EXPECT_EQ(at(px, py + 2), (std::vector<int>{16, 16, 16}));
        g_object_unref(shot);

        const int before = painter.paints;
        dialog.InvalidateChild(IDC_IMAGE_WINDOW);
        EXPECT_TRUE(PumpUntil([&] { return painter.paints > before; }));
        dialog.End(kIdCancel);
    };
    RunInstallDialog(*backend, events);
    EXPECT_TRUE(events.wasShown);
}

TEST_F(GtkDialogTest, TakesTheApplicationIconInEverySize) {
    events.init = [&](ui::DialogWindow& dialog) {
        dialog.SetIcon(resources::AppIcon());
        return true;
    };
    events.shown = [&](ui::DialogWindow& dialog, GtkWindow* window) {
        GList* icons = gtk_window_get_icon_list(window);
        std::vector<int> sizes;
        for (GList* it = icons; it != nullptr; it = it->next) {
            GdkPixbuf* pixbuf = GDK_PIXBUF(it->data);
            sizes.push_back(gdk_pixbuf_get_width(pixbuf));
            EXPECT_TRUE(gdk_pixbuf_get_has_alpha(pixbuf));
        }
        g_list_free(icons);
        EXPECT_EQ(sizes, (std::vector<int>{48, 32, 16}));
        dialog.End(kIdCancel);
    };
    RunInstallDialog(*backend, events);
    EXPECT_TRUE(events.wasShown);
}

TEST(GtkBackend, IconSizeFollowsTheScreensScale) {
    const auto backend = ui::gtk::NewGtkBackend();
    GdkMonitor* monitor = gdk_display_get_monitor(gdk_display_get_default(), 0);
    ASSERT_NE(monitor, nullptr);
    EXPECT_EQ(backend->IconSize(), 32 * gdk_monitor_get_scale_factor(monitor));
}

}  // namespace
}  // namespace gtk_harness
