// The install dialog's own arithmetic and window messages, without a front end's window.
#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <iterator>

#include "app/installer_fixture.h"
#include "app/larkspan_dlg.h"
#include "resources/app_icon.h"
#include "resources/install_dialog.h"
#include "resources/resource.h"
#include "resources/resource_module.h"

namespace testing_support {
namespace {

TEST(DialogIcon, IsCentredWithDivisionsTruncatingTowardsZero) {
    struct Case {
        int clientWidth;
        int expectedX;
    };
    for (const Case c : {Case{36, 2}, Case{37, 3}, Case{30, 0}, Case{29, -1}}) {
        int x = 0;
        int y = 0;
        CLarkspanDlg::IconOrigin(CRect{0, 0, c.clientWidth, 36}, 32, 32, &x, &y);
        EXPECT_EQ(x, c.expectedX) << c.clientWidth;
        EXPECT_EQ(y, 2);
    }
}

TEST(DialogTemplate, FramesThePictureAt340By251PixelsOnTheDefaultFont) {
    const ui::DialogTemplate& t = resources::InstallDialogTemplate();
    const ui::ControlTemplate* frame = t.Find(IDC_IMAGE_FRAME);
    ASSERT_NE(frame, nullptr);
    const ui::Rect r = ui::ToPixels(frame->x, frame->y, frame->cx, frame->cy, 6, 13);
    EXPECT_EQ(r.Width(), 340);
    EXPECT_EQ(r.Height(), 251);
    EXPECT_EQ(t.controls.size(), 9u);
    EXPECT_EQ(t.controls[0].id, IDOK);  // first in tab order: focused when shown
}

// Template 102 as drawn, numbers and texts written out here rather than taken from the
// program's constants: caption, labels, places, sizes and styles.
TEST(DialogTemplate, IsTemplate102) {
    const ui::DialogTemplate& t = resources::InstallDialogTemplate();
    EXPECT_EQ(t.id, 102);
    EXPECT_EQ(t.caption, u"QIB Template Install");
    EXPECT_EQ(t.fontFace, u"MS Shell Dlg");
    EXPECT_EQ(t.pointSize, 8);
    EXPECT_EQ((std::array{t.x, t.y, t.cx, t.cy}), (std::array{0, 0, 487, 169}));
    EXPECT_EQ(t.style, 0x90C40048u);
    EXPECT_EQ(t.exStyle, 0x00040000u);

    using enum ui::ControlClass;
    struct Control {
        int id;
        ui::ControlClass controlClass;
        std::u16string_view text;
        int x, y, cx, cy;
        std::uint32_t style;
    };
    const Control expected[] = {
        {1, button, u"Install", 378, 148, 50, 14, 0x50010001},
        {2, button, u"Cancel", 430, 148, 50, 14, 0x50010000},
        {1000, staticText, u"", 7, 7, 227, 155, 0x50000007},
        {1001, edit, u"", 243, 7, 237, 14, 0x50810880},
        {-1, staticText, u"Requires QIB Version", 246, 97, 70, 8, 0x50020000},
        {1002, edit, u"", 324, 94, 26, 14, 0x50810880},
        {-1, staticText, u"Install Into Subfolder", 248, 118, 68, 8, 0x50020000},
        {1003, edit, u"", 324, 115, 94, 14, 0x50810080},
        {1004, edit, u"", 243, 25, 237, 56, 0x50A10804},
    };
    ASSERT_EQ(t.controls.size(), std::size(expected));
    for (std::size_t i = 0; i < std::size(expected); ++i) {
        const ui::ControlTemplate& c = t.controls[i];
        const Control& e = expected[i];
        EXPECT_EQ(c.id, e.id) << i;
        EXPECT_EQ(c.controlClass, e.controlClass) << i;
        EXPECT_EQ(c.text, e.text) << i;
        EXPECT_EQ((std::array{c.x, c.y, c.cx, c.cy}), (std::array{e.x, e.y, e.cx, e.cy})) << i;
        EXPECT_EQ(c.style, e.style) << i;
    }
}

TEST(AppIcon, HasThreeSizesWithOpaqueArtwork) {
    const ui::Icon& icon = resources::AppIcon();
    ASSERT_EQ(icon.images.size(), 3u);
    const int sizes[] = {48, 32, 16};
    for (std::size_t i = 0; i < 3; ++i) {
        const ui::IconImage& image = icon.images[i];
        EXPECT_EQ(image.width, sizes[i]);
        EXPECT_EQ(image.argb.size(), static_cast<std::size_t>(sizes[i] * sizes[i]));
        const auto centre = static_cast<std::size_t>((sizes[i] / 2) * sizes[i] + sizes[i] / 2);
        EXPECT_EQ(image.argb[centre] >> 24, 0xFFu);  // the centre is drawn
        EXPECT_EQ(image.argb[0] >> 24, 0u);          // the corner is not
    }
}

using DialogMembersTest = InstallerTest;

TEST_P(DialogMembersTest, StartEmptyWithTheApplicationIcon) {
    CLarkspanApp app;
    AfxServices services{&env, &backend, &decoder, &resources::LarkspanResources()};
    app.Attach(services, u"larkspan");
    struct Dlg : CLarkspanDlg {
        using CLarkspanDlg::OnQueryDragIcon;
    } dlg;
    EXPECT_EQ(dlg.m_hIcon, &resources::AppIcon());
    EXPECT_EQ(dlg.OnQueryDragIcon(), dlg.m_hIcon);
    EXPECT_EQ(dlg.m_nVersion, 0u);
    EXPECT_TRUE(dlg.m_strDataFile.IsEmpty());
    EXPECT_TRUE(dlg.m_strName.IsEmpty());
}

INSTANTIATE_TEST_SUITE_P(Envs, DialogMembersTest, ::testing::ValuesIn(InstallerEnvs()),
                         InstallerEnvName);

}  // namespace
}  // namespace testing_support
