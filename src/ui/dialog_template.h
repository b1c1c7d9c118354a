// A dialog template as data: what a front end needs to build the window. Coordinates are
// dialog units of the template's font; each front end turns them into pixels.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

#include "ui/device_context.h"

namespace ui {

// Window and control style bits, with their usual values.
namespace style {
inline constexpr std::uint32_t kPopup = 0x80000000;
inline constexpr std::uint32_t kChild = 0x40000000;
inline constexpr std::uint32_t kVisible = 0x10000000;
inline constexpr std::uint32_t kClipChildren = 0x02000000;
inline constexpr std::uint32_t kCaption = 0x00C00000;
inline constexpr std::uint32_t kBorder = 0x00800000;
inline constexpr std::uint32_t kVScroll = 0x00200000;
inline constexpr std::uint32_t kSysMenu = 0x00080000;
inline constexpr std::uint32_t kThickFrame = 0x00040000;
inline constexpr std::uint32_t kGroup = 0x00020000;
inline constexpr std::uint32_t kTabStop = 0x00010000;
inline constexpr std::uint32_t kDsAbsAlign = 0x00000001;
inline constexpr std::uint32_t kDsSetFont = 0x00000040;
inline constexpr std::uint32_t kDsModalFrame = 0x00000080;
inline constexpr std::uint32_t kDsFixedSys = 0x00000008;
inline constexpr std::uint32_t kDsCenter = 0x00000800;
inline constexpr std::uint32_t kDsCenterMouse = 0x00001000;
inline constexpr std::uint32_t kExAppWindow = 0x00040000;
inline constexpr std::uint32_t kBsDefPushButton = 0x00000001;
inline constexpr std::uint32_t kSsBlackFrame = 0x00000007;
inline constexpr std::uint32_t kEsMultiline = 0x00000004;
inline constexpr std::uint32_t kEsAutoHScroll = 0x00000080;
inline constexpr std::uint32_t kEsReadOnly = 0x00000800;
}  // namespace style

enum class ControlClass { button, edit, staticText };

struct ControlTemplate {
    int id;
    ControlClass controlClass;
    std::u16string_view text;
    int x, y, cx, cy;
    std::uint32_t style;
};

struct DialogTemplate {
    int id;
    std::u16string_view caption;
    std::u16string_view fontFace;
    int pointSize;
    int x, y, cx, cy;
    std::uint32_t style;
    std::uint32_t exStyle;
    std::span<const ControlTemplate> controls;

    const ControlTemplate* Find(int controlId) const {
        for (const ControlTemplate& c : controls) {
            if (c.id == controlId) {
                return &c;
            }
        }
        return nullptr;
    }
};

// A template rectangle in pixels, for a font whose average character is baseX pixels wide
// and baseY high: horizontal units are quarters of baseX, vertical ones eighths of baseY.
// Position and size are converted on their own, truncating, so that a control's size does
// not depend on where it sits.
inline Rect ToPixels(int x, int y, int cx, int cy, int baseX, int baseY) {
    const int left = x * baseX / 4;
    const int top = y * baseY / 8;
    return Rect{left, top, left + cx * baseX / 4, top + cy * baseY / 8};
}

// The base units of the template's font at 96 dots per inch.
inline constexpr int kDefaultBaseX = 6;
inline constexpr int kDefaultBaseY = 13;

}  // namespace ui
