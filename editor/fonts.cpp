#include "editor/fonts.h"

#include "document/document.h"
#include "editor/editor_hooks.h"
#include "editor/editor_metrics.h"
#include "editor/gutter.h"

#include <commdlg.h>
#include <string.h>

namespace {

bool IsReplacedFace(const char* face)
{
    return !face || !face[0] || _stricmp(face, "Consolas") == 0 || _stricmp(face, "Courier New") == 0;
}

int ScreenDpi()
{
    HDC screen = GetDC(nullptr);
    if (!screen)
        return 96;
    int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    return dpi > 0 ? dpi : 96;
}

int WindowDpi(HWND window)
{
    HDC dc = GetDC(window);
    int dpi = dc ? GetDeviceCaps(dc, LOGPIXELSY) : 0;
    if (dc)
        ReleaseDC(window, dc);
    return dpi;
}

} // namespace

bool IsFontInstalled(const char* face)
{
    if (!face || !face[0])
        return false;
    HDC dc = CreateCompatibleDC(nullptr);
    if (!dc)
        return false;
    LOGFONTA lf;
    ZeroMemory(&lf, sizeof(lf));
    lf.lfCharSet = DEFAULT_CHARSET;
    lf.lfPitchAndFamily = FIXED_PITCH | FF_MODERN;
    lstrcpynA(lf.lfFaceName, face, LF_FACESIZE);
    HFONT font = CreateFontIndirectA(&lf);
    if (!font) {
        DeleteDC(dc);
        return false;
    }
    HGDIOBJ old = SelectObject(dc, font);
    char actual[32] = "";
    GetTextFaceA(dc, sizeof(actual), actual);
    SelectObject(dc, old);
    DeleteObject(font);
    DeleteDC(dc);
    return _stricmp(actual, face) == 0;
}

// Their first values come from the settings table (ResetSettingsState).
char gFontName[32];
int gFontSize;

const char* gPreferredCodingFonts[2] = {"D2Coding", "NanumGothicCoding"};

const char* PickDefaultCodingFont()
{
    for (const char* face : gPreferredCodingFonts)
        if (IsFontInstalled(face))
            return face;
    return "GulimChe";
}

HFONT CreateEditorFont(const char* face, int points)
{
    const char* used = IsReplacedFace(face) ? PickDefaultCodingFont() : face;
    return CreateFontA(-MulDiv(points, ScreenDpi(), 72), 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE,
                       DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, CLEARTYPE_QUALITY,
                       FIXED_PITCH | FF_MODERN, used);
}

void ApplyEditorFont(HWND mainWnd)
{
    HFONT font = CreateEditorFont(gFontName, gFontSize);
    HFONT old = (HFONT)SendMessageA(gEditorWnd, WM_GETFONT, 0, 0);
    SendMessageA(gEditorWnd, WM_SETFONT, (WPARAM)font, TRUE);
    if (gGutterWnd)
        SendMessageA(gGutterWnd, WM_SETFONT, (WPARAM)font, TRUE);
    if (old)
        DeleteObject(old);
    LayoutMainWindowIfReady(mainWnd);
    RefreshGutter();
    InvalidateRect(gEditorWnd, nullptr, FALSE);
    if (gGutterWnd)
        InvalidateRect(gGutterWnd, nullptr, FALSE);
}

void ApplyEditorFontIfReady(HWND mainWnd)
{
    if (gEditorWnd)
        ApplyEditorFont(mainWnd);
}

void ChooseEditorFont(HWND owner)
{
    int dpi = WindowDpi(owner);
    LOGFONTA lf;
    ZeroMemory(&lf, sizeof(lf));
    lf.lfHeight = -MulDiv(gFontSize, dpi > 0 ? dpi : 96, 72);
    lf.lfPitchAndFamily = FIXED_PITCH | FF_MODERN;
    lstrcpynA(lf.lfFaceName, gFontName, LF_FACESIZE);
    CHOOSEFONTA cf;
    ZeroMemory(&cf, sizeof(cf));
    cf.lStructSize = sizeof(cf);
    cf.hwndOwner = owner;
    cf.lpLogFont = &lf;
    cf.Flags = CF_SCREENFONTS | CF_INITTOLOGFONTSTRUCT | CF_EFFECTS | CF_FIXEDPITCHONLY;
    if (!ChooseFontA(&cf)) {
        if (CommDlgExtendedError() == 0)
            return;
        // Some systems fail the fixed-pitch filter itself: offer every screen font.
        cf.Flags = CF_SCREENFONTS | CF_INITTOLOGFONTSTRUCT | CF_EFFECTS;
        if (!ChooseFontA(&cf))
            return;
    }
    lstrcpynA(gFontName, lf.lfFaceName, sizeof(gFontName));
    int points;
    if (cf.iPointSize > 0) {
        points = cf.iPointSize / 10;
    } else {
        dpi = WindowDpi(owner);
        points = (dpi > 0 && lf.lfHeight < 0) ? MulDiv(-lf.lfHeight, 72, dpi) : abs(lf.lfHeight);
    }
    gFontSize = ClampFontSize(points);
    if (gEditorWnd)
        ApplyEditorFont(owner);
    gEditorHooks.fontChanged();
}

void ZoomEditorFont(HWND editor, int wheelDelta)
{
    gFontSize = ClampFontSize(wheelDelta > 0 ? gFontSize + 2 : gFontSize - 2);
    if (gEditorWnd)
        ApplyEditorFont(GetParent(editor));
    gEditorHooks.fontChanged();
}
