#include <doctest/doctest.h>

#include "tests/window/harness.h"

#include "app/dialog_edit.h"
#include "app/popup_window.h"

#include <string>
#include <vector>

namespace {

const char kOwnerClass[] = "ZorvikPopupTestOwnerClass";
const char kModelessClass[] = "ZorvikPopupTestModelessClass";
const char kModalClass[] = "ZorvikPopupTestModalClass";
const UINT kProbe = WM_APP + 1;

enum { kField = 11, kNotes = 12, kHidden = 13, kOwnFont = 14 };

std::vector<int> gCommands;
HWND gOwner = nullptr;
// What the modal window saw when it was probed inside its loop.
bool gOwnerEnabledInLoop = true;
bool gOwnerEnabledAtDestroy = false;
DWORD gProbeSelStart = 0, gProbeSelEnd = 0;

const PopupControl kControls[] = {
    {"STATIC", "Name:", 0, 0, {10, 12, 60, 18}},
    {"EDIT", "12345", WS_TABSTOP | ES_AUTOHSCROLL, WS_EX_CLIENTEDGE, {75, 10, 150, 22}, kField},
    {"EDIT", "notes", WS_TABSTOP | ES_MULTILINE | ES_READONLY, WS_EX_CLIENTEDGE, {10, 40, 215, 40}, kNotes},
    {"EDIT", "", 0, 0, {10, 90, 1, 1}, kHidden, kControlHidden},
    {"STATIC", "no dialog font", 0, 0, {10, 95, 100, 18}, kOwnFont, kControlOwnFont},
    {"BUTTON", "OK", WS_TABSTOP | BS_DEFPUSHBUTTON, 0, {60, 120, 75, 25}, IDOK},
    {"BUTTON", "Cancel", WS_TABSTOP, 0, {150, 120, 75, 25}, IDCANCEL},
};
const int kControlCount = (int)(sizeof(kControls) / sizeof(kControls[0]));

LRESULT CALLBACK OwnerProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    return DefWindowProcA(hwnd, msg, wParam, lParam);
}

// Records its buttons; the modal one closes itself on IDOK, IDCANCEL and WM_CLOSE, as the
// modal windows do.
LRESULT CALLBACK PopupProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    char name[64] = "";
    GetClassNameA(hwnd, name, sizeof(name));
    bool modal = lstrcmpA(name, kModalClass) == 0;
    switch (msg) {
    case WM_CREATE:
        CreatePopupControls(hwnd, kControls, kControlCount);
        return 0;
    case WM_COMMAND:
        if (HIWORD(wParam) != 0) // a field's focus or change notification
            return 0;
        gCommands.push_back(LOWORD(wParam));
        if (modal && (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL))
            CloseModalPopup(hwnd);
        return 0;
    case WM_CLOSE:
        if (!modal)
            break;
        CloseModalPopup(hwnd);
        return 0;
    case WM_DESTROY:
        gOwnerEnabledAtDestroy = IsWindowEnabled(gOwner) != FALSE;
        return 0;
    }
    if (msg == kProbe) {
        gOwnerEnabledInLoop = IsWindowEnabled(gOwner) != FALSE;
        SendMessageA(GetDlgItem(hwnd, kField), EM_GETSEL, (WPARAM)&gProbeSelStart, (LPARAM)&gProbeSelEnd);
        return 0;
    }
    return DefWindowProcA(hwnd, msg, wParam, lParam);
}

struct PopupFixture {
    PopupFixture()
    {
        REQUIRE(RegisterPopupClass(kOwnerClass, OwnerProc));
        REQUIRE(RegisterPopupClass(kModelessClass, PopupProc));
        REQUIRE(RegisterPopupClass(kModalClass, PopupProc));
        gOwner = CreateWindowExA(0, kOwnerClass, "owner", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 100, 80, 600, 400,
                                 nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
        REQUIRE(gOwner);
        gCommands.clear();
    }
    ~PopupFixture()
    {
        SetModifiers(false, false, false);
        DestroyWindow(gOwner);
        gOwner = nullptr;
    }
};

PopupWindowSpec Spec(const char* cls, HWND owner)
{
    const DWORD style = WS_POPUP | WS_VISIBLE | WS_CAPTION | WS_SYSMENU;
    PopupWindowSpec spec = {cls, "Popup", style, WS_EX_DLGMODALFRAME, 240, 160, kPopupClientSize, 0, owner};
    return spec;
}

void PostKey(HWND target, int vk)
{
    PostMessageA(target, WM_KEYDOWN, vk, 1);
}

std::string Commands()
{
    std::string text;
    for (int id : gCommands)
        text += std::to_string(id) + " ";
    return text;
}

std::string Text(HWND window)
{
    char buffer[64] = "";
    GetWindowTextA(window, buffer, sizeof(buffer));
    return buffer;
}

// A key through a modeless window's step of the message loop, then the messages it makes.
void OfferKey(HWND popup, HWND focus, int vk)
{
    RunKeyThrough(focus, vk, [popup](MSG* msg) { return OfferToPopup(popup, msg, true); });
}

} // namespace

TEST_CASE("a modeless popup: its controls from the table, centred on the owner")
{
    PopupFixture f;
    HWND popup = CreatePopupWindow(Spec(kModelessClass, gOwner));
    REQUIRE(popup);
    CHECK(GetWindow(popup, GW_OWNER) == gOwner);
    CHECK(IsWindowEnabled(gOwner));

    RECT client, outer, owner;
    GetClientRect(popup, &client);
    CHECK(client.right == 240);
    CHECK(client.bottom == 160);
    GetWindowRect(popup, &outer);
    GetWindowRect(gOwner, &owner);
    int w = outer.right - outer.left, h = outer.bottom - outer.top;
    CHECK(outer.left == owner.left + (owner.right - owner.left - w) / 2);
    CHECK(outer.top == owner.top + (owner.bottom - owner.top - h) / 2);

    HWND field = GetDlgItem(popup, kField), notes = GetDlgItem(popup, kNotes);
    HWND hidden = GetDlgItem(popup, kHidden), ownFont = GetDlgItem(popup, kOwnFont);
    REQUIRE(field);
    REQUIRE(notes);
    REQUIRE(hidden);
    REQUIRE(ownFont);
    CHECK(Text(field) == "12345");

    HGDIOBJ dialogFont = GetStockObject(DEFAULT_GUI_FONT);
    const int dialogFontIds[] = {kField, kNotes, kHidden, IDOK, IDCANCEL};
    for (int id : dialogFontIds)
        CHECK((HGDIOBJ)SendMessageA(GetDlgItem(popup, id), WM_GETFONT, 0, 0) == dialogFont);
    CHECK((HGDIOBJ)SendMessageA(ownFont, WM_GETFONT, 0, 0) != dialogFont);

    // Single-line fields get the dialog field subclass; the multi-line one stays plain.
    const LONG_PTR subclass = (LONG_PTR)DialogEditProc;
    CHECK(GetWindowLongPtrA(field, GWLP_WNDPROC) == subclass);
    CHECK(GetWindowLongPtrA(hidden, GWLP_WNDPROC) == subclass);
    CHECK(GetWindowLongPtrA(notes, GWLP_WNDPROC) != subclass);
    CHECK_FALSE(IsWindowVisible(hidden));
    CHECK(IsWindowVisible(field));

    // Enter and Esc in the field, Esc on a button, Ctrl+A in the focused field.
    OfferKey(popup, field, VK_RETURN);
    OfferKey(popup, field, VK_ESCAPE);
    OfferKey(popup, GetDlgItem(popup, IDOK), VK_ESCAPE);
    CHECK(Commands() == "1 2 2 ");
    SendMessageA(field, EM_SETSEL, 2, 2);
    SetModifiers(true, false, false);
    OfferKey(popup, field, 'A');
    SetModifiers(false, false, false);
    DWORD s = 9, e = 9;
    SendMessageA(field, EM_GETSEL, (WPARAM)&s, (LPARAM)&e);
    CHECK(s == 0);
    CHECK(e == 5);

    DestroyWindow(popup);
    CHECK_FALSE(OfferToPopup(popup, nullptr, true)); // a closed window takes nothing
}

TEST_CASE("placement: the outer size as given, coordinates raised to the minimum")
{
    PopupFixture f;
    SetWindowPos(gOwner, nullptr, 0, 0, 200, 150, SWP_NOZORDER);
    PopupWindowSpec spec = Spec(kModelessClass, gOwner);
    spec.sizeKind = kPopupOuterSize;
    spec.width = 450;
    spec.height = 330;
    spec.minCoordinate = 10;
    HWND popup = CreatePopupWindow(spec);
    REQUIRE(popup);
    RECT rc;
    GetWindowRect(popup, &rc);
    CHECK(rc.left == 10);
    CHECK(rc.top == 10);
    CHECK(rc.right - rc.left == 450);
    CHECK(rc.bottom - rc.top == 330);
    DestroyWindow(popup);

    // No minimum: the window may start left of and above the screen.
    POINT at = CenterOnOwner(gOwner, 450, 330, kNoPlacementMinimum);
    CHECK(at.x == (200 - 450) / 2);
    CHECK(at.y == (150 - 330) / 2);
    CHECK(CenterOnOwner(gOwner, 450, 330, 0).x == 0);
}

TEST_CASE("a modal popup: the owner is disabled while its loop runs, Enter and Esc close it")
{
    PopupFixture f;
    struct Row {
        const char* name;
        int key;
        bool focusCancel;
        int command;
    } rows[] = {
        {"Enter in the field", VK_RETURN, false, IDOK},
        {"Esc", VK_ESCAPE, false, IDCANCEL},
        {"Enter on Cancel", VK_RETURN, true, IDCANCEL},
    };
    for (const Row& row : rows) {
        INFO(std::string(row.name));
        gCommands.clear();
        PopupWindowSpec spec = Spec(kModalClass, gOwner);
        HWND popup = CreateModalPopup(spec);
        REQUIRE(popup);
        CHECK_FALSE(IsWindowEnabled(gOwner));
        HWND field = GetDlgItem(popup, kField);
        HWND focus = row.focusCancel ? GetDlgItem(popup, IDCANCEL) : field;
        SetFocus(focus);
        SendMessageA(field, EM_SETSEL, 2, 2);
        // Ctrl+A on whatever has the focus selects the named field.
        SetModifiers(true, false, false);
        PostKey(focus, 'A');
        PostMessageA(popup, kProbe, 0, 0);
        PostKey(focus, row.key);
        gOwnerEnabledInLoop = true;
        gOwnerEnabledAtDestroy = false;
        RunModalPopupLoop(popup, gOwner, field);
        SetModifiers(false, false, false);
        CHECK_FALSE(IsWindow(popup));
        CHECK(Commands() == std::to_string(row.command) + " ");
        CHECK_FALSE(gOwnerEnabledInLoop);
        CHECK(gOwnerEnabledAtDestroy); // enabled before the window went
        CHECK(gProbeSelStart == 0);
        CHECK(gProbeSelEnd == 5);
        CHECK(IsWindowEnabled(gOwner));
    }
}

TEST_CASE("a modal popup: the quit message ends its loop and stays for the program's loop")
{
    PopupFixture f;
    HWND popup = CreateModalPopup(Spec(kModalClass, gOwner));
    REQUIRE(popup);
    PostQuitMessage(7);
    RunModalPopupLoop(popup, gOwner, nullptr);
    CHECK(IsWindowEnabled(gOwner));
    MSG msg;
    REQUIRE(PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    CHECK(msg.wParam == 7);
    DestroyWindow(popup);

    // A window that cannot be created leaves the owner enabled.
    PopupWindowSpec spec = Spec("ZorvikNoSuchPopupClass", gOwner);
    CHECK(CreateModalPopup(spec) == nullptr);
    CHECK(IsWindowEnabled(gOwner));
}
