#include "app/tab_strip.h"

#include "app/main_window.h"
#include "document/document.h"

namespace {

struct DiskColours {
    COLORREF outline, body, line;
};

const DiskColours kUnmodified = {RGB(18, 65, 130), RGB(36, 128, 235), RGB(160, 190, 225)};
const DiskColours kModified = {RGB(140, 20, 20), RGB(225, 45, 45), RGB(230, 150, 150)};

// The colour of pixel (x, y) of the floppy disk, or CLR_INVALID for the transparent
// background.
COLORREF DiskPixel(int x, int y, const DiskColours& c)
{
    bool outline = (y == 1 && x >= 2 && x <= 12) || (y == 14 && x >= 2 && x <= 13) ||
                   ((x == 2 || x == 13) && y >= 2 && y <= 13);
    if (outline)
        return c.outline;
    if (x < 3 || x > 12 || y < 2 || y > 13)
        return CLR_INVALID;
    if (x >= 4 && x <= 10 && y >= 2 && y <= 6) {
        if (x == 4 || x == 10 || y == 6)
            return RGB(150, 155, 160);
        if (x >= 6 && x <= 8 && y >= 3)
            return RGB(40, 40, 40);
        return RGB(215, 220, 225);
    }
    if (x >= 4 && x <= 11 && y >= 8 && y <= 13) {
        if (x == 4 || x == 11 || y == 8 || y == 13)
            return RGB(190, 195, 200);
        return (y == 9 || y == 11) ? RGB(255, 255, 255) : c.line;
    }
    return c.body;
}

} // namespace

HBITMAP MakeTabIcon(bool modified)
{
    const DiskColours& colours = modified ? kModified : kUnmodified;
    HDC screen = GetDC(nullptr);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, 16, 16);
    HDC dc = CreateCompatibleDC(screen);
    ReleaseDC(nullptr, screen);
    HGDIOBJ old = SelectObject(dc, bitmap);
    RECT all = {0, 0, 16, 16};
    HBRUSH magenta = CreateSolidBrush(RGB(255, 0, 255));
    FillRect(dc, &all, magenta);
    DeleteObject(magenta);
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x) {
            COLORREF colour = DiskPixel(x, y, colours);
            if (colour != CLR_INVALID)
                SetPixel(dc, x, y, colour);
        }
    SelectObject(dc, old);
    DeleteDC(dc);
    return bitmap;
}

HIMAGELIST CreateTabImageList()
{
    HIMAGELIST list = ImageList_Create(16, 16, ILC_COLOR24 | ILC_MASK, 2, 2);
    for (int modified = 0; modified < 2; ++modified) {
        HBITMAP bitmap = MakeTabIcon(modified != 0);
        ImageList_AddMasked(list, bitmap, RGB(255, 0, 255));
        DeleteObject(bitmap);
    }
    return list;
}

void RefreshTabIcon(int index)
{
    if (!gTabsWnd || index < 0 || index >= GetTabCount())
        return;
    TCITEMA item;
    ZeroMemory(&item, sizeof(item));
    item.mask = TCIF_IMAGE | TCIF_PARAM;
    if (!SendMessageA(gTabsWnd, TCM_GETITEMA, index, (LPARAM)&item) || !item.lParam)
        return;
    TabDocument* doc = (TabDocument*)item.lParam;
    bool modified = doc->modified;
    if (index == GetSelectedTabIndex() && gEditorWnd && !gProgrammaticChange &&
        SendMessageA(gEditorWnd, EM_GETMODIFY, 0, 0)) {
        doc->modified = true;
        modified = true;
    }
    if (item.iImage != (modified ? 1 : 0)) {
        item.mask = TCIF_IMAGE;
        item.iImage = modified ? 1 : 0;
        SendMessageA(gTabsWnd, TCM_SETITEMA, index, (LPARAM)&item);
    }
}

void RefreshAllTabIcons()
{
    int count = GetTabCount();
    for (int i = 0; i < count; ++i)
        RefreshTabIcon(i);
}
