#include "ui/gtk/cairo_device_context.h"

#include <cairo.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

#include "ui/common/pixel_rows.h"
#include "ui/gtk/toolkit_ptr.h"

namespace ui::gtk {

using common::CopyBottomUpToRgb24;
using common::PremultiplyArgb;
using common::VisiblePart;

Rect CairoDeviceContext::Clip() const {
    double x1 = 0, y1 = 0, x2 = 0, y2 = 0;
    cairo_clip_extents(cairo_, &x1, &y1, &x2, &y2);
    const Rect clip{static_cast<int>(std::floor(x1)), static_cast<int>(std::floor(y1)),
                    static_cast<int>(std::ceil(x2)), static_cast<int>(std::ceil(y2))};
    return Rect{std::max(clip.left, surface_.left), std::max(clip.top, surface_.top),
                std::min(clip.right, surface_.right), std::min(clip.bottom, surface_.bottom)};
}

void CairoDeviceContext::FillSolidRect(const Rect& rect, Color color) {
    cairo_save(cairo_);
    cairo_set_source_rgb(cairo_, color.red / 255.0, color.green / 255.0, color.blue / 255.0);
    cairo_rectangle(cairo_, rect.left, rect.top, rect.Width(), rect.Height());
    cairo_fill(cairo_);
    cairo_restore(cairo_);
}

void CairoDeviceContext::DrawBottomUpPixels(int x, int y, int width, int height,
                                            const std::uint8_t* pixels) {
    if (pixels == nullptr) {
        return;
    }
    // Only the part that shows is converted: a paint costs the visible pixels, however large
    // the picture.
    const std::optional<Rect> part = VisiblePart(x, y, width, height, Clip());
    if (!part) {
        return;
    }
    SurfacePtr<cairo_surface_t> image(
        cairo_image_surface_create(CAIRO_FORMAT_RGB24, part->Width(), part->Height()));
    if (cairo_surface_status(image.get()) != CAIRO_STATUS_SUCCESS) {
        return;
    }
    cairo_surface_flush(image.get());
    CopyBottomUpToRgb24(pixels, width, height, *part, cairo_image_surface_get_data(image.get()),
                        cairo_image_surface_get_stride(image.get()));
    cairo_surface_mark_dirty(image.get());

    const int left = x + part->left;
    const int top = y + part->top;
    cairo_save(cairo_);
    cairo_set_source_surface(cairo_, image.get(), left, top);
    cairo_pattern_set_filter(cairo_get_source(cairo_), CAIRO_FILTER_NEAREST);
    cairo_rectangle(cairo_, left, top, part->Width(), part->Height());
    cairo_fill(cairo_);
    cairo_restore(cairo_);
}

void CairoDeviceContext::DrawIcon(int x, int y, int size, const Icon& icon) {
    const IconImage* picked = icon.ImageFor(size);
    if (picked == nullptr || picked->width <= 0 || picked->height <= 0 ||
        picked->argb.size() < static_cast<std::size_t>(picked->width) * picked->height) {
        return;
    }
    SurfacePtr<cairo_surface_t> image(
        cairo_image_surface_create(CAIRO_FORMAT_ARGB32, picked->width, picked->height));
    if (cairo_surface_status(image.get()) != CAIRO_STATUS_SUCCESS) {
        return;
    }
    cairo_surface_flush(image.get());
    std::uint8_t* data = cairo_image_surface_get_data(image.get());
    const int stride = cairo_image_surface_get_stride(image.get());
    std::vector<std::uint32_t> row(static_cast<std::size_t>(picked->width));
    for (int r = 0; r < picked->height; ++r) {
        PremultiplyArgb(picked->argb.data() + static_cast<std::size_t>(r) * picked->width,
                        row.size(), row.data());
        std::memcpy(data + static_cast<std::size_t>(r) * stride, row.data(), row.size() * 4);
    }
    cairo_surface_mark_dirty(image.get());

    cairo_save(cairo_);
    cairo_translate(cairo_, x, y);
    if (picked->width != size || picked->height != size) {
        cairo_scale(cairo_, static_cast<double>(size) / picked->width,
                    static_cast<double>(size) / picked->height);
    }
    cairo_set_source_surface(cairo_, image.get(), 0, 0);
    cairo_paint(cairo_);
    cairo_restore(cairo_);
}

}  // namespace ui::gtk
