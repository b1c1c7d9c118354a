#include "ui/gtk/dialog_window.h"

#include <gtk/gtk.h>

#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "platform/text.h"
#include "ui/common/pixel_rows.h"
#include "ui/common/text_lines.h"
#include "ui/gtk/cairo_device_context.h"
#include "ui/gtk/dialog_layout.h"
#include "ui/gtk/toolkit_ptr.h"
#include "ui/gtk/wait_cursor.h"

namespace ui::gtk {

using common::ArgbToRgbaBytes;
using common::FromToolkitLines;
using common::ToToolkitLines;

namespace {

constexpr int kIdCancel = 2;
constexpr std::uint32_t kStaticTypeMask = 0x1F;
constexpr std::uint32_t kSsCenter = 0x1;
constexpr std::uint32_t kSsRight = 0x2;

// The control id of a widget that emits commands or paints a child.
constexpr char kIdKey[] = "larkspan-control-id";

constexpr char kStyleClass[] = "larkspan-dialog";

// Controls keep their template rectangles: the theme's minimum sizes and vertical paddings,
// made for layouts that grow to fit, would push entries and buttons out of them. The text
// itself still fits, as the rectangles come from the font's own base units.
constexpr char kCss[] =
    ".larkspan-dialog entry, .larkspan-dialog button {"
    " min-height: 0; min-width: 0; padding-top: 0; padding-bottom: 0; }"
    ".larkspan-dialog button { padding-left: 4px; padding-right: 4px; }"
    // A box the user cannot change takes the window's background, as read-only boxes do
    // elsewhere, so that the one box that can be edited stands out.
    ".larkspan-dialog entry.larkspan-read-only, .larkspan-dialog textview.larkspan-read-only text"
    " { background-color: @theme_bg_color; }";
constexpr char kReadOnlyClass[] = "larkspan-read-only";

void MarkReadOnly(GtkWidget* widget, bool readOnly) {
    GtkStyleContext* context = gtk_widget_get_style_context(widget);
    if (readOnly) {
        gtk_style_context_add_class(context, kReadOnlyClass);
    } else {
        gtk_style_context_remove_class(context, kReadOnlyClass);
    }
}

void InstallCss() {
    static bool installed = false;
    if (installed) {
        return;
    }
    ObjectPtr<GtkCssProvider> provider(gtk_css_provider_new());
    gtk_css_provider_load_from_data(provider.get(), kCss, -1, nullptr);
    gtk_style_context_add_provider_for_screen(gdk_screen_get_default(),
                                              GTK_STYLE_PROVIDER(provider.get()),
                                              GTK_STYLE_PROVIDER_PRIORITY_APPLICATION);
    installed = true;
}

std::string Utf8(std::u16string_view text) {
    return platform::Utf16ToUtf8(text);
}

std::u16string Utf16(const char* text) {
    return text != nullptr ? platform::Utf8ToUtf16(text) : std::u16string();
}

int IdOf(GtkWidget* widget) {
    return GPOINTER_TO_INT(g_object_get_data(G_OBJECT(widget), kIdKey));
}

ObjectPtr<GdkPixbuf> PixbufOf(const IconImage& image) {
    if (image.width <= 0 || image.height <= 0 ||
        image.argb.size() < static_cast<std::size_t>(image.width) * image.height) {
        return nullptr;
    }
    ObjectPtr<GdkPixbuf> pixbuf(
        gdk_pixbuf_new(GDK_COLORSPACE_RGB, TRUE, 8, image.width, image.height));
    if (!pixbuf) {
        return nullptr;
    }
    const std::vector<std::uint8_t> rgba = ArgbToRgbaBytes(image);
    guchar* pixels = gdk_pixbuf_get_pixels(pixbuf.get());
    const int stride = gdk_pixbuf_get_rowstride(pixbuf.get());
    const std::size_t row = static_cast<std::size_t>(image.width) * 4;
    for (int y = 0; y < image.height; ++y) {
        std::memcpy(pixels + static_cast<std::size_t>(y) * stride, rgba.data() + y * row, row);
    }
    return pixbuf;
}

enum class Kind { button, label, frame, entry, text };

struct Control {
    const ControlTemplate* tmpl;
    Kind kind;
    GtkWidget* placed;  // the widget on the fixed container
    GtkWidget* input;   // the widget that holds the text and takes the focus
    // A multi-line box reads back exactly what it was given as long as it is unchanged;
    // once changed, its lines end in "\r\n".
    std::u16string given;
    std::u16string shown;
};

struct Child {
    GtkWidget* area;
    ChildPainter* painter;
};

class Window final : public DialogWindow {
public:
    Window(const DialogTemplate& t, DialogEvents& events, WaitCursor& waitCursor)
        : template_(t), events_(events), waitCursor_(waitCursor) {}
    ~Window() override { window_.reset(); }

    int Run();

    void SetControlText(int id, std::u16string_view text) override;
    std::u16string GetControlText(int id) override;
    void SetReadOnly(int id, bool readOnly) override;
    Rect ControlRect(int id) override;
    Rect ClientRect() override;
    bool CreateChild(int id, const Rect& rect, ChildPainter& painter) override;
    void InvalidateChild(int id) override;
    void SetIcon(const Icon& icon) override;
    bool IsMinimized() override;
    void End(int result) override;
    Rect WindowRect() override;
    Rect WorkArea() override;
    void MoveTo(int left, int top) override;
    bool IsVisible() override;

private:
    void Build();
    void AddControl(const ControlTemplate& t);
    Rect LogicalRect(const ControlTemplate& t) const;
    int Scale() const { return std::max(1, gtk_widget_get_scale_factor(window_.get())); }
    Control* Find(int id);
    std::vector<GtkWidget*> TabStops() const;
    void FocusFirstTabStop();
    void MoveFocus(bool forward);
    void Command(int id);
    bool OnKey(const GdkEventKey& key);

    static void OnClicked(GtkButton* button, gpointer self);
    static gboolean OnKeyPress(GtkWidget*, GdkEventKey* key, gpointer self);
    static gboolean OnDelete(GtkWidget*, GdkEvent*, gpointer self);
    static gboolean OnDrawFrame(GtkWidget* widget, cairo_t* cr, gpointer);
    static gboolean OnDrawChild(GtkWidget* widget, cairo_t* cr, gpointer self);

    const DialogTemplate& template_;
    DialogEvents& events_;
    WaitCursor& waitCursor_;
    TopLevelPtr<GtkWidget> window_;
    GtkWidget* fixed_ = nullptr;
    BaseUnits base_;
    Rect client_;  // logical pixels
    std::vector<Control> controls_;
    std::map<int, Child> children_;
    int defaultId_ = 0;
    MainLoopPtr<GMainLoop> loop_;
    bool ended_ = false;
    int result_ = kIdCancel;
};

int Window::Run() {
    Build();
    // Realized but not mapped: the scale factor of the screen is known to OnInit, and the
    // window can take the wait cursor, while nothing shows yet.
    gtk_widget_realize(window_.get());
    waitCursor_.Refresh();
    const bool show = events_.OnInit(*this);
    if (!show || ended_) {
        return result_;
    }
    FocusFirstTabStop();
    gtk_window_present(GTK_WINDOW(window_.get()));
    loop_.reset(g_main_loop_new(nullptr, FALSE));
    if (!ended_) {
        g_main_loop_run(loop_.get());
    }
    window_.reset();
    gdk_display_flush(gdk_display_get_default());
    return result_;
}

void Window::Build() {
    InstallCss();
    window_.reset(gtk_window_new(GTK_WINDOW_TOPLEVEL));
    GtkWindow* window = GTK_WINDOW(window_.get());
    g_object_set_data(G_OBJECT(window), kDialogWindowKey, static_cast<DialogWindow*>(this));
    gtk_style_context_add_class(gtk_widget_get_style_context(window_.get()), kStyleClass);
    gtk_window_set_title(window, Utf8(template_.caption).c_str());
    gtk_window_set_resizable(window, (template_.style & style::kThickFrame) != 0);
    gtk_window_set_deletable(window, (template_.style & style::kSysMenu) != 0);
    gtk_window_set_modal(window, TRUE);

    // The base units of the font the dialog is drawn in, as the template's units are meant.
    ObjectPtr<PangoLayout> layout(gtk_widget_create_pango_layout(window_.get(), kBaseUnitLetters));
    PangoRectangle extents{};
    pango_layout_get_pixel_extents(layout.get(), nullptr, &extents);
    base_ = BaseUnitsFromMeasure(extents.width, extents.height);
    client_ = ToPixels(0, 0, template_.cx, template_.cy, base_.x, base_.y);
    // At the template's place on the screen, as a dialog manager puts it; the framework may
    // move it before it shows.
    const Rect origin = ToPixels(template_.x, template_.y, 0, 0, base_.x, base_.y);
    gtk_window_move(window, origin.left, origin.top);

    fixed_ = gtk_fixed_new();
    gtk_widget_set_size_request(fixed_, client_.Width(), client_.Height());
    gtk_container_add(GTK_CONTAINER(window), fixed_);
    gtk_widget_show(fixed_);
    gtk_window_set_default_size(window, client_.Width(), client_.Height());

    controls_.reserve(template_.controls.size());
    for (const ControlTemplate& t : template_.controls) {
        AddControl(t);
    }
    g_signal_connect(window, "key-press-event", G_CALLBACK(OnKeyPress), this);
    g_signal_connect(window, "delete-event", G_CALLBACK(OnDelete), this);
}

Rect Window::LogicalRect(const ControlTemplate& t) const {
    return ToPixels(t.x, t.y, t.cx, t.cy, base_.x, base_.y);
}

void Window::AddControl(const ControlTemplate& t) {
    const std::string text = Utf8(t.text);
    Control c{&t, Kind::label, nullptr, nullptr, {}, {}};
    switch (t.controlClass) {
        case ControlClass::button:
            c.kind = Kind::button;
            c.placed = c.input = gtk_button_new_with_label(text.c_str());
            g_signal_connect(c.placed, "clicked", G_CALLBACK(OnClicked), this);
            if ((t.style & style::kBsDefPushButton) != 0) {
                gtk_widget_set_can_default(c.placed, TRUE);
                gtk_style_context_add_class(gtk_widget_get_style_context(c.placed),
                                            GTK_STYLE_CLASS_SUGGESTED_ACTION);
                defaultId_ = t.id;
            }
            break;
        case ControlClass::staticText:
            if ((t.style & kStaticTypeMask) == style::kSsBlackFrame) {
                c.kind = Kind::frame;
                c.placed = gtk_drawing_area_new();
                g_signal_connect(c.placed, "draw", G_CALLBACK(OnDrawFrame), nullptr);
            } else {
                c.placed = c.input = gtk_label_new(text.c_str());
                const std::uint32_t align = t.style & kStaticTypeMask;
                gtk_label_set_xalign(GTK_LABEL(c.placed), align == kSsCenter  ? 0.5f
                                                          : align == kSsRight ? 1.0f
                                                                              : 0.0f);
                gtk_label_set_yalign(GTK_LABEL(c.placed), 0.0f);
            }
            break;
        case ControlClass::edit: {
            const bool readOnly = (t.style & style::kEsReadOnly) != 0;
            if ((t.style & style::kEsMultiline) != 0) {
                c.kind = Kind::text;
                c.placed = gtk_scrolled_window_new(nullptr, nullptr);
                GtkScrolledWindow* scrolled = GTK_SCROLLED_WINDOW(c.placed);
                gtk_scrolled_window_set_policy(
                    scrolled, GTK_POLICY_NEVER,
                    (t.style & style::kVScroll) != 0 ? GTK_POLICY_ALWAYS : GTK_POLICY_EXTERNAL);
                gtk_scrolled_window_set_overlay_scrolling(scrolled, FALSE);
                gtk_scrolled_window_set_shadow_type(
                    scrolled, (t.style & style::kBorder) != 0 ? GTK_SHADOW_IN : GTK_SHADOW_NONE);
                c.input = gtk_text_view_new();
                GtkTextView* view = GTK_TEXT_VIEW(c.input);
                gtk_text_view_set_wrap_mode(view, GTK_WRAP_WORD_CHAR);
                gtk_text_view_set_editable(view, !readOnly);
                gtk_text_view_set_cursor_visible(view, !readOnly);
                gtk_text_view_set_accepts_tab(view, FALSE);
                gtk_text_view_set_left_margin(view, 4);
                gtk_text_view_set_right_margin(view, 4);
                gtk_text_view_set_top_margin(view, 2);
                gtk_text_view_set_bottom_margin(view, 2);
                MarkReadOnly(c.input, readOnly);
                gtk_container_add(GTK_CONTAINER(c.placed), c.input);
                c.given = c.shown = std::u16string(t.text);
                gtk_text_buffer_set_text(gtk_text_view_get_buffer(view), text.c_str(), -1);
            } else {
                c.kind = Kind::entry;
                c.placed = c.input = gtk_entry_new();
                GtkEntry* entry = GTK_ENTRY(c.placed);
                gtk_entry_set_width_chars(entry, 1);
                gtk_entry_set_has_frame(entry, (t.style & style::kBorder) != 0);
                gtk_editable_set_editable(GTK_EDITABLE(entry), !readOnly);
                gtk_entry_set_activates_default(entry, TRUE);
                MarkReadOnly(c.input, readOnly);
                gtk_entry_set_text(entry, text.c_str());
            }
            break;
        }
    }
    g_object_set_data(G_OBJECT(c.placed), kIdKey, GINT_TO_POINTER(t.id));
    const Rect r = LogicalRect(t);
    gtk_widget_set_size_request(c.placed, r.Width(), r.Height());
    gtk_fixed_put(GTK_FIXED(fixed_), c.placed, r.left, r.top);
    if ((t.style & style::kVisible) != 0) {
        gtk_widget_show_all(c.placed);
    }
    if (c.kind == Kind::button && t.id == defaultId_) {
        gtk_widget_grab_default(c.placed);
    }
    controls_.push_back(std::move(c));
}

Control* Window::Find(int id) {
    for (Control& c : controls_) {
        if (c.tmpl->id == id) {
            return &c;
        }
    }
    return nullptr;
}

std::vector<GtkWidget*> Window::TabStops() const {
    std::vector<GtkWidget*> stops;
    for (const Control& c : controls_) {
        if ((c.tmpl->style & style::kTabStop) != 0 && c.input != nullptr &&
            gtk_widget_get_visible(c.input) && gtk_widget_get_sensitive(c.input)) {
            stops.push_back(c.input);
        }
    }
    return stops;
}

void Window::FocusFirstTabStop() {
    const std::vector<GtkWidget*> stops = TabStops();
    if (!stops.empty()) {
        gtk_widget_grab_focus(stops.front());
    }
}

void Window::MoveFocus(bool forward) {
    const std::vector<GtkWidget*> stops = TabStops();
    if (stops.empty()) {
        return;
    }
    GtkWidget* focus = gtk_window_get_focus(GTK_WINDOW(window_.get()));
    std::size_t next = forward ? 0 : stops.size() - 1;
    for (std::size_t i = 0; i < stops.size(); ++i) {
        if (stops[i] == focus) {
            next = forward ? (i + 1) % stops.size() : (i + stops.size() - 1) % stops.size();
            break;
        }
    }
    gtk_widget_grab_focus(stops[next]);
}

void Window::Command(int id) {
    if (!ended_) {
        events_.OnCommand(id);
    }
}

bool Window::OnKey(const GdkEventKey& key) {
    const guint modifiers = key.state & gtk_accelerator_get_default_mod_mask();
    const bool plain = (modifiers & ~GDK_SHIFT_MASK) == 0;
    switch (key.keyval) {
        case GDK_KEY_Escape:
            if (modifiers == 0) {
                Command(kIdCancel);
                return true;
            }
            return false;
        case GDK_KEY_Return:
        case GDK_KEY_KP_Enter:
        case GDK_KEY_ISO_Enter: {
            if (!plain) {
                return false;
            }
            // A focused button takes Enter itself, as on other desktops' dialogs.
            GtkWidget* focus = gtk_window_get_focus(GTK_WINDOW(window_.get()));
            for (const Control& c : controls_) {
                if (c.kind == Kind::button && c.input == focus) {
                    Command(c.tmpl->id);
                    return true;
                }
            }
            if (defaultId_ != 0) {
                Command(defaultId_);
                return true;
            }
            return false;
        }
        case GDK_KEY_Tab:
        case GDK_KEY_KP_Tab:
        case GDK_KEY_ISO_Left_Tab:
            if (!plain) {
                return false;
            }
            MoveFocus(key.keyval != GDK_KEY_ISO_Left_Tab && (modifiers & GDK_SHIFT_MASK) == 0);
            return true;
        default:
            return false;
    }
}

void Window::SetControlText(int id, std::u16string_view text) {
    Control* c = Find(id);
    if (c == nullptr || c->input == nullptr) {
        return;
    }
    switch (c->kind) {
        case Kind::button:
            gtk_button_set_label(GTK_BUTTON(c->input), Utf8(text).c_str());
            break;
        case Kind::label:
            gtk_label_set_text(GTK_LABEL(c->input), Utf8(text).c_str());
            break;
        case Kind::entry:
            gtk_entry_set_text(GTK_ENTRY(c->input), Utf8(text).c_str());
            break;
        case Kind::text:
            c->given = text;
            c->shown = ToToolkitLines(text);
            gtk_text_buffer_set_text(gtk_text_view_get_buffer(GTK_TEXT_VIEW(c->input)),
                                     Utf8(c->shown).c_str(), -1);
            break;
        case Kind::frame:
            break;
    }
}

std::u16string Window::GetControlText(int id) {
    Control* c = Find(id);
    if (c == nullptr || c->input == nullptr) {
        return {};
    }
    switch (c->kind) {
        case Kind::button:
            return Utf16(gtk_button_get_label(GTK_BUTTON(c->input)));
        case Kind::label:
            return Utf16(gtk_label_get_text(GTK_LABEL(c->input)));
        case Kind::entry:
            return Utf16(gtk_entry_get_text(GTK_ENTRY(c->input)));
        case Kind::text: {
            GtkTextBuffer* buffer = gtk_text_view_get_buffer(GTK_TEXT_VIEW(c->input));
            GtkTextIter start, end;
            gtk_text_buffer_get_bounds(buffer, &start, &end);
            GMemPtr<gchar> text(gtk_text_buffer_get_text(buffer, &start, &end, FALSE));
            const std::u16string shown = Utf16(text.get());
            return shown == c->shown ? c->given : FromToolkitLines(shown);
        }
        case Kind::frame:
            break;
    }
    return {};
}

void Window::SetReadOnly(int id, bool readOnly) {
    Control* c = Find(id);
    if (c == nullptr) {
        return;
    }
    if (c->kind == Kind::entry) {
        gtk_editable_set_editable(GTK_EDITABLE(c->input), !readOnly);
    } else if (c->kind == Kind::text) {
        gtk_text_view_set_editable(GTK_TEXT_VIEW(c->input), !readOnly);
        gtk_text_view_set_cursor_visible(GTK_TEXT_VIEW(c->input), !readOnly);
    } else {
        return;
    }
    MarkReadOnly(c->input, readOnly);
}

Rect Window::ControlRect(int id) {
    const Control* c = Find(id);
    return c != nullptr ? ToDevice(LogicalRect(*c->tmpl), Scale()) : Rect{};
}

Rect Window::ClientRect() {
    Rect logical{0, 0, client_.Width(), client_.Height()};
    if (gtk_widget_get_mapped(fixed_)) {
        logical.right = gtk_widget_get_allocated_width(fixed_);
        logical.bottom = gtk_widget_get_allocated_height(fixed_);
    }
    return ToDevice(logical, Scale());
}

bool Window::CreateChild(int id, const Rect& rect, ChildPainter& painter) {
    if (children_.count(id) != 0 || rect.Width() <= 0 || rect.Height() <= 0) {
        return false;
    }
    const Rect r = ToLogical(rect, Scale());
    GtkWidget* area = gtk_drawing_area_new();
    g_object_set_data(G_OBJECT(area), kIdKey, GINT_TO_POINTER(id));
    gtk_widget_set_size_request(area, r.Width(), r.Height());
    // Added last, so it lies over the controls that it covers, as the picture over its frame.
    gtk_fixed_put(GTK_FIXED(fixed_), area, r.left, r.top);
    g_signal_connect(area, "draw", G_CALLBACK(OnDrawChild), this);
    gtk_widget_show(area);
    children_[id] = Child{area, &painter};
    return true;
}

void Window::InvalidateChild(int id) {
    if (const auto it = children_.find(id); it != children_.end()) {
        gtk_widget_queue_draw(it->second.area);
    }
}

void Window::SetIcon(const Icon& icon) {
    std::vector<ObjectPtr<GdkPixbuf>> pixbufs;
    GList* list = nullptr;
    for (const IconImage& image : icon.images) {
        if (ObjectPtr<GdkPixbuf> pixbuf = PixbufOf(image)) {
            list = g_list_append(list, pixbuf.get());
            pixbufs.push_back(std::move(pixbuf));
        }
    }
    ListPtr<GList> owned(list);
    gtk_window_set_icon_list(GTK_WINDOW(window_.get()), list);
    // The message boxes show the same icon.
    gtk_window_set_default_icon_list(list);
}

bool Window::IsMinimized() {
    GdkWindow* window = gtk_widget_get_window(window_.get());
    return window != nullptr && (gdk_window_get_state(window) & GDK_WINDOW_STATE_ICONIFIED) != 0;
}

Rect Window::WindowRect() {
    GtkWindow* window = GTK_WINDOW(window_.get());
    GdkWindow* surface = gtk_widget_get_window(window_.get());
    GdkRectangle r{};
    if (surface != nullptr && gtk_widget_get_mapped(window_.get())) {
        gdk_window_get_frame_extents(surface, &r);  // the window manager's frame included
    } else {
        // Not shown yet: where the toolkit will ask for it to go, at the size it will ask
        // for; a window manager's frame is not known before the window is shown.
        gtk_window_get_position(window, &r.x, &r.y);
        gtk_window_get_size(window, &r.width, &r.height);
    }
    return ToDevice(Rect{r.x, r.y, r.x + r.width, r.y + r.height}, Scale());
}

Rect Window::WorkArea() {
    GdkDisplay* display = gtk_widget_get_display(window_.get());
    GdkWindow* surface = gtk_widget_get_window(window_.get());
    GdkMonitor* monitor =
        surface != nullptr ? gdk_display_get_monitor_at_window(display, surface) : nullptr;
    if (monitor == nullptr) {
        monitor = gdk_display_get_primary_monitor(display);
    }
    if (monitor == nullptr && gdk_display_get_n_monitors(display) > 0) {
        monitor = gdk_display_get_monitor(display, 0);
    }
    if (monitor == nullptr) {
        return {};
    }
    GdkRectangle r{};
    gdk_monitor_get_workarea(monitor, &r);
    return ToDevice(Rect{r.x, r.y, r.x + r.width, r.y + r.height}, Scale());
}

void Window::MoveTo(int left, int top) {
    // The window's gravity is the top-left one: the position is that of its frame's corner.
    const Rect logical = ToLogical(Rect{left, top, left, top}, Scale());
    gtk_window_move(GTK_WINDOW(window_.get()), logical.left, logical.top);
}

bool Window::IsVisible() {
    return gtk_widget_get_visible(window_.get());
}

void Window::End(int result) {
    ended_ = true;
    result_ = result;
    if (loop_ && g_main_loop_is_running(loop_.get())) {
        g_main_loop_quit(loop_.get());
    }
}

void Window::OnClicked(GtkButton* button, gpointer self) {
    static_cast<Window*>(self)->Command(IdOf(GTK_WIDGET(button)));
}

gboolean Window::OnKeyPress(GtkWidget*, GdkEventKey* key, gpointer self) {
    return static_cast<Window*>(self)->OnKey(*key) ? TRUE : FALSE;
}

gboolean Window::OnDelete(GtkWidget*, GdkEvent*, gpointer self) {
    static_cast<Window*>(self)->Command(kIdCancel);
    return TRUE;  // the dialog ends through End, never by the toolkit destroying it
}

gboolean Window::OnDrawFrame(GtkWidget* widget, cairo_t* cr, gpointer) {
    const int width = gtk_widget_get_allocated_width(widget);
    const int height = gtk_widget_get_allocated_height(widget);
    cairo_set_source_rgb(cr, 0, 0, 0);
    cairo_set_line_width(cr, 1);
    cairo_rectangle(cr, 0.5, 0.5, width - 1, height - 1);
    cairo_stroke(cr);
    return FALSE;
}

gboolean Window::OnDrawChild(GtkWidget* widget, cairo_t* cr, gpointer self) {
    auto* window = static_cast<Window*>(self);
    const auto it = window->children_.find(IdOf(widget));
    if (it == window->children_.end()) {
        return FALSE;
    }
    // User space in device pixels: the painter's pixels map one to one onto the screen's.
    const int scale = std::max(1, gtk_widget_get_scale_factor(widget));
    const Rect client{0, 0, gtk_widget_get_allocated_width(widget) * scale,
                      gtk_widget_get_allocated_height(widget) * scale};
    cairo_save(cr);
    cairo_scale(cr, 1.0 / scale, 1.0 / scale);
    CairoDeviceContext dc(cr, client);
    ChildPainter* painter = it->second.painter;
    painter->Paint(dc, client);
    cairo_restore(cr);
    return TRUE;
}

}  // namespace

int RunDialog(const DialogTemplate& dialog, DialogEvents& events, WaitCursor& waitCursor) {
    Window window(dialog, events, waitCursor);
    return window.Run();
}

}  // namespace ui::gtk
