#include "app/MainLayout.h"

namespace rir {

MainLayout LayoutMainWindow(int w, int h, bool logShown) {
    MainLayout l;
    l.tabControl.left = TAB_LEFT;
    l.tabControl.top = TAB_TOP;
    l.tabControl.right = w > 805 ? w - 11 : 794;
    if (logShown)
        l.tabControl.bottom = h > 485 ? h - 118 : 367;
    else
        l.tabControl.bottom = h > 485 ? h - 17 : 468;
    l.logBox.left = TAB_LEFT;
    l.logBox.right = l.tabControl.right;
    l.logBox.top = h > 485 ? h - 113 : 372;
    l.logBox.bottom = l.logBox.top + LOG_HEIGHT;
    return l;
}

} // namespace rir
