// The install dialog's own arithmetic and window messages, without a front end's window.
#include <gtest/gtest.h>

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

class DialogMembersTest : public InstallerTest {};

TEST_F(DialogMembersTest, StartEmptyWithTheApplicationIcon) {
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

}  // namespace
}  // namespace testing_support
