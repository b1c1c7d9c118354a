// The compiled dialog resource 102 against the template data the other front ends use
// (resources::InstallDialogTemplate): caption, font, styles and every control in order, so
// that the resource script and the data cannot drift apart.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>

#include "resources/install_dialog.h"
#include "resources/resource.h"

namespace {

// Reads a DLGTEMPLATEEX resource field by field.
class Reader {
public:
    Reader(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}

    template <class T>
    T Get() {
        T value{};
        if (at_ + sizeof(T) > size_) {
            overrun_ = true;
            return value;
        }
        std::memcpy(&value, data_ + at_, sizeof(T));
        at_ += sizeof(T);
        return value;
    }
    std::u16string String() {
        std::u16string s;
        for (char16_t c = Get<char16_t>(); c != 0 && !overrun_; c = Get<char16_t>()) {
            s += c;
        }
        return s;
    }
    // A name or an ordinal (0xFFFF and a number): the ordinal comes back as "#number".
    std::u16string NameOrOrdinal() {
        const char16_t first = Get<char16_t>();
        if (first == 0xFFFF) {
            const std::uint16_t ordinal = Get<std::uint16_t>();
            std::u16string s = u"#";
            for (char c : std::to_string(ordinal)) {
                s += static_cast<char16_t>(c);
            }
            return s;
        }
        std::u16string s;
        for (char16_t c = first; c != 0 && !overrun_; c = Get<char16_t>()) {
            s += c;
        }
        return s;
    }
    void AlignTo4() { at_ = (at_ + 3) & ~std::size_t(3); }
    bool overrun() const { return overrun_; }
    std::size_t at() const { return at_; }

private:
    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t at_ = 0;
    bool overrun_ = false;
};

// The class of a control as the template data names it: the predefined classes' ordinals,
// or their names in any case.
bool SameClass(const std::u16string& resource, ui::ControlClass expected) {
    std::u16string lower;
    for (char16_t c : resource) {
        lower += (c >= u'A' && c <= u'Z') ? static_cast<char16_t>(c - u'A' + u'a') : c;
    }
    switch (expected) {
        case ui::ControlClass::button:
            return lower == u"#128" || lower == u"button";
        case ui::ControlClass::edit:
            return lower == u"#129" || lower == u"edit";
        case ui::ControlClass::staticText:
            return lower == u"#130" || lower == u"static";
    }
    return false;
}

TEST(DialogResource, MatchesTheTemplateData) {
    HRSRC found = ::FindResourceW(nullptr, MAKEINTRESOURCEW(IDD_INSTALL), RT_DIALOG);
    ASSERT_NE(found, nullptr);
    const auto* data =
        static_cast<const std::uint8_t*>(::LockResource(::LoadResource(nullptr, found)));
    ASSERT_NE(data, nullptr);
    Reader r(data, ::SizeofResource(nullptr, found));
    const ui::DialogTemplate& t = resources::InstallDialogTemplate();

    EXPECT_EQ(r.Get<std::uint16_t>(), 1u) << "DIALOGEX version";
    EXPECT_EQ(r.Get<std::uint16_t>(), 0xFFFFu) << "DIALOGEX signature";
    EXPECT_EQ(r.Get<std::uint32_t>(), 0u) << "help id";
    EXPECT_EQ(r.Get<std::uint32_t>(), t.exStyle);
    const std::uint32_t style = r.Get<std::uint32_t>();
    EXPECT_EQ(style, t.style);
    const std::uint16_t count = r.Get<std::uint16_t>();
    ASSERT_EQ(count, t.controls.size());
    EXPECT_EQ(r.Get<std::int16_t>(), t.x);
    EXPECT_EQ(r.Get<std::int16_t>(), t.y);
    EXPECT_EQ(r.Get<std::int16_t>(), t.cx);
    EXPECT_EQ(r.Get<std::int16_t>(), t.cy);
    EXPECT_EQ(r.NameOrOrdinal(), u"") << "no menu";
    EXPECT_EQ(r.NameOrOrdinal(), u"") << "no class of its own";
    EXPECT_EQ(r.String(), t.caption);
    ASSERT_NE(style & DS_SETFONT, 0u);
    EXPECT_EQ(r.Get<std::uint16_t>(), t.pointSize);
    EXPECT_EQ(r.Get<std::uint16_t>(), 0u) << "weight";
    EXPECT_EQ(r.Get<std::uint8_t>(), 0u) << "italic";
    EXPECT_EQ(r.Get<std::uint8_t>(), 1u) << "character set";
    EXPECT_EQ(r.String(), t.fontFace);

    for (const ui::ControlTemplate& c : t.controls) {
        SCOPED_TRACE(static_cast<int>(&c - t.controls.data()) + 1);
        r.AlignTo4();
        EXPECT_EQ(r.Get<std::uint32_t>(), 0u) << "help id";
        EXPECT_EQ(r.Get<std::uint32_t>(), 0u) << "extended style";
        EXPECT_EQ(r.Get<std::uint32_t>(), c.style);
        EXPECT_EQ(r.Get<std::int16_t>(), c.x);
        EXPECT_EQ(r.Get<std::int16_t>(), c.y);
        EXPECT_EQ(r.Get<std::int16_t>(), c.cx);
        EXPECT_EQ(r.Get<std::int16_t>(), c.cy);
        EXPECT_EQ(r.Get<std::int32_t>(), c.id);
        const std::u16string controlClass = r.NameOrOrdinal();
        EXPECT_TRUE(SameClass(controlClass, c.controlClass));
        EXPECT_EQ(r.NameOrOrdinal(), c.text);
        const std::uint16_t extra = r.Get<std::uint16_t>();
        EXPECT_EQ(extra, 0u) << "no creation data";
    }
    EXPECT_FALSE(r.overrun());
}

// The manifest binds the common controls 6 of this program's processor: an x86 program the
// x86 assembly, a 64-bit one its own ("*": it cannot bind the x86 one); DPI-aware, asInvoker.
TEST(ManifestResource, NamesTheProgramsProcessor) {
    HRSRC found = ::FindResourceW(nullptr, MAKEINTRESOURCEW(1), RT_MANIFEST);
    ASSERT_NE(found, nullptr);
    const auto* data = static_cast<const char*>(::LockResource(::LoadResource(nullptr, found)));
    ASSERT_NE(data, nullptr);
    const std::string manifest(data, ::SizeofResource(nullptr, found));
    const std::string architecture =
        sizeof(void*) == 4 ? R"(processorArchitecture="x86")" : R"(processorArchitecture="*")";
    EXPECT_NE(manifest.find(R"(name="Microsoft.Windows.Common-Controls" version="6.0.0.0")"),
              std::string::npos)
        << manifest;
    EXPECT_NE(manifest.find(architecture), std::string::npos) << manifest;
    EXPECT_NE(manifest.find(R"(<requestedExecutionLevel level="asInvoker")"), std::string::npos);
    EXPECT_NE(manifest.find(">true</dpiAware>"), std::string::npos);
}

}  // namespace
