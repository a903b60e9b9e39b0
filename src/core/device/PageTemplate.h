// Dialog template 129, the device page: every control with its kind, its place in page pixels
// at the smallest window size, its template text and its state before the logic touches it.
#pragma once

#include <span>
#include <string_view>

namespace rir {

// A rectangle in pixels: left, top, width and height. Its right and bottom edges (x + width,
// y + height) lie just outside it, as with window rectangles.
struct PixelRect {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    constexpr int right() const { return x + width; }
    constexpr int bottom() const { return y + height; }
    friend constexpr bool operator==(const PixelRect&, const PixelRect&) = default;
};

enum class ControlKind { GroupBox, Label, Edit, Button, CheckBox, ChartArea };

// Labels that the logic never addresses carry this id.
inline constexpr int IDC_STATIC = -1;

// The commands Enter and Escape give a dialog; in the module dialog they are "Установить" and
// "Отменить", a device page ignores them.
inline constexpr int IDOK = 1;
inline constexpr int IDCANCEL = 2;

struct TemplateControl {
    int id;
    ControlKind kind;
    PixelRect rect;
    std::string_view text; // UTF-8
    bool shown = true;
    bool enabled = true;
    bool checked = false;
};

// The page's size at the smallest window size: it spans (15, 35)-(788, 358) of the main
// window's client area.
inline constexpr int PAGE_TEMPLATE_WIDTH = 773;
inline constexpr int PAGE_TEMPLATE_HEIGHT = 323;

std::span<const TemplateControl> PageTemplate();
// Nothing for an id the template does not hold (and for IDC_STATIC).
const TemplateControl* FindTemplateControl(int id);

} // namespace rir
