#include "ui/console/console_backend.h"

#include <algorithm>
#include <cctype>
#include <istream>
#include <ostream>
#include <string_view>
#include <vector>

#include "platform/text.h"
#include "ui/common/text_lines.h"

namespace ui::console {

namespace {

constexpr int kIdOk = 1;
constexpr int kIdCancel = 2;

std::string Utf8(std::u16string_view text) {
    return platform::Utf16ToUtf8(text);
}

// Prints text with one line per break; "\r\n" counts as one break, as does "\n" or "\r".
void PrintLines(std::ostream& out, std::u16string_view text, std::string_view indent = {}) {
    for (const std::u16string_view line : common::SplitLines(text)) {
        out << indent << Utf8(line) << '\n';
    }
}

std::string Lower(std::string s) {
    std::transform(s.begin(), s.end(), s.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return s;
}

struct Control {
    const ControlTemplate* tmpl;
    std::u16string text;
    bool readOnly;
};

class ConsoleWindow final : public DialogWindow {
public:
    explicit ConsoleWindow(const DialogTemplate& t) : template_(t) {
        for (const ControlTemplate& c : t.controls) {
            controls_.push_back({&c, std::u16string(c.text), (c.style & style::kEsReadOnly) != 0});
        }
    }

    void SetControlText(int id, std::u16string_view text) override {
        if (Control* c = Find(id)) {
            c->text = text;
        }
    }
    std::u16string GetControlText(int id) override {
        const Control* c = Find(id);
        return c ? c->text : std::u16string();
    }
    void SetReadOnly(int id, bool readOnly) override {
        if (Control* c = Find(id)) {
            c->readOnly = readOnly;
        }
    }
    Rect ControlRect(int id) override {
        const Control* c = Find(id);
        if (c == nullptr) {
            return {};
        }
        return ToPixels(c->tmpl->x, c->tmpl->y, c->tmpl->cx, c->tmpl->cy, kDefaultBaseX,
                        kDefaultBaseY);
    }
    Rect ClientRect() override {
        return ToPixels(0, 0, template_.cx, template_.cy, kDefaultBaseX, kDefaultBaseY);
    }
    bool CreateChild(int, const Rect&, ChildPainter&) override { return true; }
    void InvalidateChild(int) override {}
    void SetIcon(const Icon&) override {}
    bool IsMinimized() override { return false; }
    void End(int result) override {
        ended_ = true;
        result_ = result;
    }

    bool ended() const { return ended_; }
    int result() const { return result_; }
    const DialogTemplate& dialogTemplate() const { return template_; }
    std::vector<Control>& controls() { return controls_; }
    Control* Find(int id) {
        for (Control& c : controls_) {
            if (c.tmpl->id == id) {
                return &c;
            }
        }
        return nullptr;
    }

private:
    const DialogTemplate& template_;
    std::vector<Control> controls_;
    bool ended_ = false;
    int result_ = kIdCancel;
};

class ConsoleBackend final : public Backend {
public:
    ConsoleBackend(std::istream& in, std::ostream& out, ConsoleOptions options)
        : in_(in), out_(out), options_(std::move(options)) {}

    BoxAnswer ShowMessageBox(const MessageBoxRequest& box, DialogWindow*) override {
        const char* mark = box.icon == BoxIcon::question ? "[?]"
                           : box.icon == BoxIcon::stop   ? "[x]"
                                                         : "[!]";
        out_ << mark << ' ' << Utf8(box.title) << '\n';
        PrintLines(out_, box.text);
        std::string line;
        if (box.buttons == BoxButtons::ok) {
            out_ << "(press Enter for OK)" << std::endl;
            std::getline(in_, line);
            return BoxAnswer::ok;
        }
        out_ << "(y = Yes, n = No)" << std::endl;
        if (!std::getline(in_, line)) {
            return BoxAnswer::no;
        }
        const std::string answer = Lower(Trim(line));
        return (answer == "y" || answer == "yes") ? BoxAnswer::yes : BoxAnswer::no;
    }

    int RunModalDialog(const DialogTemplate& dialog, DialogEvents& events) override {
        ConsoleWindow window(dialog);
        if (!events.OnInit(window) || window.ended()) {
            return window.result();
        }
        Print(window);
        std::string line;
        while (!window.ended()) {
            out_ << "> " << std::flush;
            if (!std::getline(in_, line)) {
                out_ << '\n';
                events.OnCommand(kIdCancel);
                break;  // end of input: nothing more can be asked
            }
            Command(window, events, Trim(line), line);
        }
        return window.ended() ? window.result() : kIdCancel;
    }

    void BeginWaitCursor() override {}
    void EndWaitCursor() override {}
    int IconSize() override { return 32; }

private:
    static std::string Trim(const std::string& s) {
        const auto b = s.find_first_not_of(" \t\r");
        if (b == std::string::npos) {
            return {};
        }
        return s.substr(b, s.find_last_not_of(" \t\r") - b + 1);
    }

    // The edit controls in reading order (top to bottom, then left to right), each with the
    // static label on its row to its left, or the label given in the options.
    std::vector<std::pair<std::u16string, Control*>> Fields(ConsoleWindow& w) {
        std::vector<Control*> edits;
        for (Control& c : w.controls()) {
            if (c.tmpl->controlClass == ControlClass::edit) {
                edits.push_back(&c);
            }
        }
        std::stable_sort(edits.begin(), edits.end(), [](const Control* a, const Control* b) {
            return a->tmpl->y != b->tmpl->y ? a->tmpl->y < b->tmpl->y : a->tmpl->x < b->tmpl->x;
        });
        std::vector<std::pair<std::u16string, Control*>> fields;
        for (Control* e : edits) {
            std::u16string label;
            if (const auto it = options_.labels.find(e->tmpl->id); it != options_.labels.end()) {
                label = it->second;
            }
            for (const Control& s : w.controls()) {
                const ControlTemplate& t = *s.tmpl;
                if (label.empty() && t.controlClass == ControlClass::staticText &&
                    !t.text.empty() && t.x < e->tmpl->x && t.y < e->tmpl->y + e->tmpl->cy &&
                    e->tmpl->y < t.y + t.cy) {
                    label = t.text;
                }
            }
            fields.emplace_back(label, e);
        }
        return fields;
    }

    // The one control that the user may edit: the edit box that the template leaves writable.
    static Control* EditableField(ConsoleWindow& w) {
        for (Control& c : w.controls()) {
            if (c.tmpl->controlClass == ControlClass::edit &&
                (c.tmpl->style & style::kEsReadOnly) == 0) {
                return &c;
            }
        }
        return nullptr;
    }

    void Print(ConsoleWindow& w) {
        out_ << Utf8(w.dialogTemplate().caption) << '\n';
        for (const auto& [label, c] : Fields(w)) {
            const bool multiline = (c->tmpl->style & style::kEsMultiline) != 0;
            const bool editable = (c->tmpl->style & style::kEsReadOnly) == 0;
            std::u16string value = c->text;
            if (multiline) {
                out_ << Utf8(label) << ": ";
                PrintLines(out_, value);
            } else {
                out_ << Utf8(label) << ": " << Utf8(value)
                     << (editable && c->readOnly ? " (read-only)" : "") << '\n';
            }
        }
        out_ << "Commands: Enter or i = Install, c = Cancel, s TEXT = set the subfolder"
             << std::endl;
    }

    void Command(ConsoleWindow& w, DialogEvents& events, const std::string& command,
                 const std::string& raw) {
        const std::string lower = Lower(command);
        if (lower.empty() || lower == "i" || lower == "install") {
            events.OnCommand(kIdOk);
        } else if (lower == "c" || lower == "cancel") {
            events.OnCommand(kIdCancel);
        } else if (lower == "s" || lower.rfind("s ", 0) == 0) {
            Control* field = EditableField(w);
            if (field == nullptr || field->readOnly) {
                out_ << "The subfolder is fixed by this package and cannot be changed."
                     << std::endl;
                return;
            }
            // Everything after "s " exactly as typed.
            const auto at = raw.find_first_not_of(" \t");
            std::string text = raw.size() > at + 2 ? raw.substr(at + 2) : std::string();
            if (!text.empty() && text.back() == '\r') {
                text.pop_back();
            }
            field->text = platform::Utf8ToUtf16(text);
            out_ << "Install Into Subfolder: " << text << std::endl;
        } else {
            out_ << "Commands: Enter or i = Install, c = Cancel, s TEXT = set the subfolder, s = "
                    "empty it"
                 << std::endl;
        }
    }

    std::istream& in_;
    std::ostream& out_;
    ConsoleOptions options_;
};

}  // namespace

std::unique_ptr<Backend> NewConsoleBackend(std::istream& in, std::ostream& out,
                                           ConsoleOptions options) {
    return std::make_unique<ConsoleBackend>(in, out, std::move(options));
}

}  // namespace ui::console
