// The About window and the Keyboard Shortcuts Reference over the real main window.
#include <doctest/doctest.h>

#include "app/about.h"
#include "app/about_text.h"
#include "app/settings.h"
#include "app/update_rules.h"
#include "app/updater.h"
#include "tests/updater/update_check.h"
#include "tests/window/harness.h"

#include <string.h>

#include <string>
#include <vector>

namespace {

struct Child {
    HWND hwnd;
    std::string className, text;
    RECT rect; // client coordinates of the popup
    int id;
    DWORD style;
};

std::vector<Child> Children(HWND popup)
{
    std::vector<Child> children;
    for (HWND c = GetWindow(popup, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
        Child child;
        child.hwnd = c;
        char cls[64] = "";
        GetClassNameA(c, cls, sizeof(cls));
        child.className = cls;
        int length = GetWindowTextLengthA(c);
        std::string text((size_t)length + 1, '\0');
        GetWindowTextA(c, &text[0], length + 1);
        text.resize(strlen(text.c_str()));
        child.text = text;
        GetWindowRect(c, &child.rect);
        MapWindowPoints(nullptr, popup, (POINT*)&child.rect, 2);
        child.id = GetDlgCtrlID(c);
        child.style = (DWORD)GetWindowLongA(c, GWL_STYLE);
        children.push_back(child);
    }
    return children;
}

std::wstring Utf8ToWide(const char* utf8)
{
    int n = MultiByteToWideChar(CP_UTF8, 0, utf8, -1, nullptr, 0);
    std::wstring wide((size_t)n, L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8, -1, &wide[0], n);
    wide.resize((size_t)n - 1);
    return wide;
}

std::wstring WideText(HWND window)
{
    wchar_t text[1024] = L"";
    GetWindowTextW(window, text, 1024);
    return text;
}

// Title, styles, owner and the window rectangle (left, top, width, height).
void CheckInfoWindow(HWND window, HWND owner, const char* title, RECT expected)
{
    char text[64] = "";
    GetWindowTextA(window, text, sizeof(text));
    CHECK(std::string(text) == title);
    DWORD style = (DWORD)GetWindowLongA(window, GWL_STYLE);
    DWORD exStyle = (DWORD)GetWindowLongA(window, GWL_EXSTYLE);
    CHECK((style & (WS_POPUP | WS_BORDER | WS_SYSMENU | WS_DLGFRAME | WS_VISIBLE)) ==
          (WS_POPUP | WS_BORDER | WS_SYSMENU | WS_DLGFRAME | WS_VISIBLE));
    CHECK((exStyle & WS_EX_TOPMOST) != 0);
    CHECK((exStyle & WS_EX_DLGMODALFRAME) != 0);
    CHECK(GetWindow(window, GW_OWNER) == owner);
    RECT rc;
    GetWindowRect(window, &rc);
    CHECK(rc.left == expected.left);
    CHECK(rc.top == expected.top);
    CHECK(rc.right - rc.left == expected.right);
    CHECK(rc.bottom - rc.top == expected.bottom);
}

} // namespace

TEST_CASE("the About window: its controls and texts")
{
    TestWindow w;
    SetWindowPos(w.hwnd, nullptr, 100, 100, 800, 600, SWP_NOZORDER);
    ShowAboutWindow(w.hwnd);
    HWND about = gAboutWnd;
    REQUIRE(IsWindow(about));
    CheckInfoWindow(about, w.hwnd, "About Zorvik", {100 + (800 - 450) / 2, 100 + (600 - 330) / 2, 450, 330});

    std::vector<Child> children = Children(about);
    REQUIRE(children.size() == 9);
    struct Expected {
        const char* className;
        std::string text;
        RECT rect;
        int id;
    };
    const Expected expected[] = {
        {"Static", "", {20, 20, 52, 52}, 0},
        {"Static", "Zorvik (zenithOrbitalReflectorVectorIndexKit)", {65, 18, 425, 38}, 0},
        {"Static", AboutVersionLine(), {65, 40, 425, 58}, 0},
        {"Static", AboutCompiledLine(__DATE__, __TIME__).substr(0, 10), {65, 60, 425, 78}, 0},
        {"Button", "Key Features && Capabilities", {20, 88, 425, 268}, 0},
        {"Static", "", {35, 112, 415, 257}, 0},
        {"Button", "&Shortcuts...", {20, 280, 125, 308}, IDC_ABOUT_SHORTCUTS},
        {"Button", "Check for &Updates...", {140, 280, 300, 308}, IDC_ABOUT_CHECK_UPDATES},
        {"Button", "OK", {315, 280, 425, 308}, IDOK},
    };
    for (size_t i = 0; i < children.size(); ++i) {
        CAPTURE(i);
        const Child& child = children[i];
        CHECK(lstrcmpiA(child.className.c_str(), expected[i].className) == 0);
        if (i != 0 && i != 3 && i != 5)
            CHECK(child.text == expected[i].text);
        CHECK(child.rect.left == expected[i].rect.left);
        CHECK(child.rect.top == expected[i].rect.top);
        CHECK(child.rect.right == expected[i].rect.right);
        CHECK(child.rect.bottom == expected[i].rect.bottom);
        CHECK(child.id == expected[i].id);
    }
    // "Compiled: Nov 10 2026 11:00:13  [Pure Static i686]" with this build's date and time.
    const std::string& compiled = children[3].text;
    CHECK(compiled.compare(0, 10, "Compiled: ") == 0);
    CHECK(compiled.size() == std::string("Compiled: Nov 10 2026 11:00:13  [Pure Static i686]").size());
    CHECK(compiled.compare(compiled.size() - 20, 20, "  [Pure Static i686]") == 0);
    // The feature list keeps its bullets and shows its ampersands.
    CHECK(WideText(children[5].hwnd) == Utf8ToWide(AboutFeatureTextUtf8()));
    CHECK((children[5].style & SS_NOPREFIX) != 0);
    CHECK((children[0].style & SS_TYPEMASK) == SS_ICON);
    CHECK(SendMessageA(children[0].hwnd, STM_GETICON, 0, 0) != 0);
    CHECK((children[8].style & BS_DEFPUSHBUTTON) != 0);
    CHECK(GetFocus() == GetDlgItem(about, IDOK));
    DestroyWindow(about);
    CHECK(gAboutWnd == nullptr);
}

TEST_CASE("About windows: one more per command, each closed on its own")
{
    TestWindow w;
    // Near the screen's corner the window keeps 10 pixels from it.
    SetWindowPos(w.hwnd, nullptr, 0, 0, 300, 200, SWP_NOZORDER);
    ShowAboutWindow(w.hwnd);
    HWND older = gAboutWnd;
    ShowAboutWindow(w.hwnd);
    HWND newer = gAboutWnd;
    REQUIRE(IsWindow(older));
    REQUIRE(IsWindow(newer));
    CHECK(older != newer);
    CheckInfoWindow(newer, w.hwnd, "About Zorvik", {10, 10, 450, 330});

    // The older one closing leaves the newer one known to the message loop.
    SendMessageA(older, WM_COMMAND, IDOK, 0);
    CHECK_FALSE(IsWindow(older));
    CHECK(gAboutWnd == newer);

    // Esc through the message loop's dialog handling.
    SetFocus(GetDlgItem(newer, IDOK));
    PressKey(w.hwnd, VK_ESCAPE, false, false, false, GetDlgItem(newer, IDOK));
    PumpMessages(w.hwnd, 20);
    CHECK_FALSE(IsWindow(newer));
    CHECK(gAboutWnd == nullptr);

    // Enter and the close box close it too.
    ShowAboutWindow(w.hwnd);
    HWND third = gAboutWnd;
    PressKey(w.hwnd, VK_RETURN, false, false, false, GetDlgItem(third, IDOK));
    PumpMessages(w.hwnd, 20);
    CHECK_FALSE(IsWindow(third));
    ShowAboutWindow(w.hwnd);
    HWND fourth = gAboutWnd;
    SendMessageA(fourth, WM_CLOSE, 0, 0);
    CHECK_FALSE(IsWindow(fourth));
    CHECK(gAboutWnd == nullptr);
}

TEST_CASE("the About window's Shortcuts and Check for Updates buttons")
{
    TestWindow w;
    ShowAboutWindow(w.hwnd);
    HWND about = gAboutWnd;
    SendMessageA(GetDlgItem(about, IDC_ABOUT_SHORTCUTS), BM_CLICK, 0, 0);
    HWND shortcuts = gShortcutsWnd;
    REQUIRE(IsWindow(shortcuts));
    CHECK(GetWindow(shortcuts, GW_OWNER) == w.hwnd);
    CHECK(IsWindow(about));
    DestroyWindow(shortcuts);

    // The check starts for the main window once About is gone; without the library it
    // ends with its warning.
    SetUpdateLibraryForTesting("zorvik_no_such_library.dll");
    SendMessageA(GetDlgItem(about, IDC_ABOUT_CHECK_UPDATES), BM_CLICK, 0, 0);
    CHECK_FALSE(IsWindow(about));
    CHECK(gAboutWnd == nullptr);
    REQUIRE(IsWindow(gUpdateWnd));
    CHECK(GetWindow(gUpdateWnd, GW_OWNER) == w.hwnd);
    std::vector<SeenBox> boxes = FinishChecks(w.hwnd, {});
    REQUIRE(boxes.size() == 1);
    CHECK(boxes[0].text == "WinINet library is unavailable on this system.\nUnable to check for updates.");
    SetUpdateLibraryForTesting(nullptr);
}

TEST_CASE("the Keyboard Shortcuts Reference")
{
    TestWindow w;
    SetWindowPos(w.hwnd, nullptr, 50, 40, 700, 500, SWP_NOZORDER);
    const char* const faces[] = {"Lucida Console", "DejaVu Sans Mono"};
    for (const char* face : faces) {
        CAPTURE(face);
        // The editor font's face of the moment, at 13 points.
        lstrcpynA(gFontName, face, sizeof(gFontName));
        ShowShortcutsWindow(w.hwnd);
        HWND window = gShortcutsWnd;
        REQUIRE(IsWindow(window));
        CheckInfoWindow(window, w.hwnd, "Zorvik Keyboard Shortcuts Reference",
                        {50 + (700 - 540) / 2, 40 + (500 - 450) / 2, 540, 450});

        std::vector<Child> children = Children(window);
        REQUIRE(children.size() == 2);
        CHECK(lstrcmpiA(children[0].className.c_str(), "Edit") == 0);
        CHECK(children[0].text == ShortcutReferenceText());
        DWORD style = children[0].style;
        CHECK((style & (ES_MULTILINE | ES_READONLY | WS_VSCROLL | ES_AUTOVSCROLL)) ==
              (ES_MULTILINE | ES_READONLY | WS_VSCROLL | ES_AUTOVSCROLL));
        CHECK((style & (ES_AUTOHSCROLL | WS_HSCROLL)) == 0);
        CHECK((GetWindowLongA(GetWindow(window, GW_CHILD), GWL_EXSTYLE) & WS_EX_CLIENTEDGE) != 0);
        CHECK(children[0].rect.left == 15);
        CHECK(children[0].rect.top == 15);
        CHECK(children[0].rect.right == 510);
        CHECK(children[0].rect.bottom == 355);
        LOGFONTA font;
        REQUIRE(GetObjectA((HFONT)SendMessageA(GetWindow(window, GW_CHILD), WM_GETFONT, 0, 0), sizeof(font),
                           &font));
        CHECK(std::string(font.lfFaceName) == face);
        HDC screen = GetDC(nullptr);
        CHECK(font.lfHeight == -MulDiv(13, GetDeviceCaps(screen, LOGPIXELSY), 72));
        ReleaseDC(nullptr, screen);

        CHECK(children[1].text == "Close");
        CHECK(children[1].id == IDOK);
        CHECK(children[1].rect.left == 410);
        CHECK(children[1].rect.top == 380);
        CHECK((children[1].style & BS_DEFPUSHBUTTON) != 0);
        HWND close = GetDlgItem(window, IDOK);
        CHECK(GetFocus() == close);

        // Ctrl+A in the reference selects it all; Esc closes it through the message loop.
        SetFocus(GetWindow(window, GW_CHILD));
        PressKey(w.hwnd, 'A', true, false, false, GetWindow(window, GW_CHILD));
        DWORD s = 1, e = 0;
        SendMessageA(GetWindow(window, GW_CHILD), EM_GETSEL, (WPARAM)&s, (LPARAM)&e);
        CHECK(s == 0);
        CHECK(e == (DWORD)ShortcutReferenceText().size());
        SetFocus(close);
        PressKey(w.hwnd, VK_ESCAPE, false, false, false, close);
        PumpMessages(w.hwnd, 20);
        CHECK_FALSE(IsWindow(window));
        CHECK(gShortcutsWnd == nullptr);
    }

    // Of two references, the older closing leaves the newer known.
    ShowShortcutsWindow(w.hwnd);
    HWND older = gShortcutsWnd;
    ShowShortcutsWindow(w.hwnd);
    HWND newer = gShortcutsWnd;
    CHECK(older != newer);
    SendMessageA(older, WM_CLOSE, 0, 0);
    CHECK(gShortcutsWnd == newer);
    SendMessageA(newer, WM_COMMAND, IDCANCEL, 0);
    CHECK(gShortcutsWnd == nullptr);
}
