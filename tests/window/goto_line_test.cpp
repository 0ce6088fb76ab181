#include <doctest/doctest.h>

#include "tests/window/harness.h"

#include "app/command_ids.h"
#include "app/main_window.h"
#include "editor/block_mode.h"
#include "search/find.h"
#include "search/find_ids.h"

#include <functional>
#include <string>

namespace {

// What the test does once the modal window is up: run from a thread timer, which the
// window's own message loop dispatches.
std::function<void(HWND window)> gWhileOpen;
std::string gPrompt, gProposed;
bool gOwnerDisabled = false;
int gSelStart = -1, gSelEnd = -1;

void CALLBACK ActWhenOpen(HWND, UINT, UINT_PTR timer, DWORD)
{
    HWND window = FindWindowA("ZorvikGoToLineClass", nullptr);
    if (!window)
        return;
    KillTimer(nullptr, timer);
    // Ctrl+G is still held for GetKeyState while the window's loop runs.
    SetModifiers(false, false, false);
    char buffer[256] = "";
    GetDlgItemTextA(window, IDC_GOTO_PROMPT, buffer, sizeof buffer);
    gPrompt = buffer;
    GetDlgItemTextA(window, IDC_GOTO_LINE, buffer, sizeof buffer);
    gProposed = buffer;
    gOwnerDisabled = !IsWindowEnabled(GetParent(gEditorWnd));
    DWORD s = 0, e = 0;
    SendDlgItemMessageA(window, IDC_GOTO_LINE, EM_GETSEL, (WPARAM)&s, (LPARAM)&e);
    gSelStart = (int)s;
    gSelEnd = (int)e;
    gWhileOpen(window);
}

void PostKey(HWND target, int vk)
{
    PostMessageA(target, WM_KEYDOWN, (WPARAM)vk, 1);
}

// Opens Go to Line with Ctrl+G and lets act drive it; returns when the window is gone.
void GoToLine(HWND mainWnd, std::function<void(HWND window)> act)
{
    gWhileOpen = std::move(act);
    gPrompt.clear();
    gProposed.clear();
    SetTimer(nullptr, 0, 10, ActWhenOpen);
    PressKey(mainWnd, 'G', true, false, false, gEditorWnd);
}

// Types a number into the field and presses a key there.
std::function<void(HWND)> Enter(const char* number, int vk = VK_RETURN)
{
    std::string text = number;
    return [text, vk](HWND window) {
        HWND field = GetDlgItem(window, IDC_GOTO_LINE);
        SetWindowTextA(field, text.c_str());
        PostKey(field, vk);
    };
}

std::string Lines(int count)
{
    std::string text;
    for (int i = 1; i <= count; ++i) {
        text += "line " + std::to_string(i);
        if (i < count)
            text += "\r\n";
    }
    return text;
}

int Caret()
{
    DWORD s = 0, e = 0;
    SendMessageA(gEditorWnd, EM_GETSEL, (WPARAM)&s, (LPARAM)&e);
    return s == e ? (int)e : -1;
}

int LineStart(int line)
{
    return (int)SendMessageA(gEditorWnd, EM_LINEINDEX, (WPARAM)line, 0);
}

} // namespace

TEST_CASE("Go to Line: the proposed line, Go, Cancel and the numbers the field may hold")
{
    TestWindow f;
    REQUIRE(f.hwnd);
    SetWindowTextA(gEditorWnd, Lines(40).c_str());
    SendMessageA(gEditorWnd, EM_SETSEL, LineStart(2), LineStart(4) + 2);

    struct Row {
        const char* name;
        const char* typed;
        int key;
        bool focusCancel;
        int line; // where the caret ends: -1 unchanged
    };
    // clang-format off
    const Row rows[] = {
        {"a line", "7", VK_RETURN, false, 6},
        {"past the end", "999", VK_RETURN, false, 39},
        {"thirty digits", "123456789012345678901234567890", VK_RETURN, false, 39},
        {"zero", "0", VK_RETURN, false, -1},
        {"nothing", "", VK_RETURN, false, -1},
        {"Esc", "12", VK_ESCAPE, false, -1},
        {"Enter on Cancel", "12", VK_RETURN, true, -1},
    };
    // clang-format on
    for (const Row& row : rows) {
        INFO(std::string(row.name));
        SendMessageA(gEditorWnd, EM_SETSEL, LineStart(2), LineStart(4) + 2);
        std::string typed = row.typed;
        bool focusCancel = row.focusCancel;
        int key = row.key;
        GoToLine(f.hwnd, [typed, focusCancel, key](HWND window) {
            HWND field = GetDlgItem(window, IDC_GOTO_LINE);
            SetWindowTextA(field, typed.c_str());
            HWND target = focusCancel ? GetDlgItem(window, IDCANCEL) : field;
            SetFocus(target);
            PostKey(target, key);
        });
        CHECK(FindWindowA("ZorvikGoToLineClass", nullptr) == nullptr);
        CHECK(gPrompt == "Line number (1 - 40):");
        // The line of the selection end, its whole text selected.
        CHECK(gProposed == "5");
        CHECK(gSelStart == 0);
        CHECK(gSelEnd == 1);
        CHECK(gOwnerDisabled);
        CHECK(IsWindowEnabled(f.hwnd));
        CHECK(GetFocus() == gEditorWnd);
        if (row.line >= 0) {
            CHECK(Caret() == LineStart(row.line));
            int first = (int)SendMessageA(gEditorWnd, EM_GETFIRSTVISIBLELINE, 0, 0);
            // The target line is the first one shown, as far as the editor scrolls.
            CHECK(first <= row.line);
            CHECK(first > 0);
        } else {
            DWORD s = 0, e = 0;
            SendMessageA(gEditorWnd, EM_GETSEL, (WPARAM)&s, (LPARAM)&e);
            CHECK((int)s == LineStart(2));
            CHECK((int)e == LineStart(4) + 2);
        }
    }

    // The close box closes it like Cancel.
    GoToLine(f.hwnd, [](HWND window) { PostMessageA(window, WM_CLOSE, 0, 0); });
    CHECK(FindWindowA("ZorvikGoToLineClass", nullptr) == nullptr);
    CHECK(IsWindowEnabled(f.hwnd));
    CHECK(GetFocus() == gEditorWnd);
}

TEST_CASE("Go to Line in an empty document, and out of block mode")
{
    TestWindow f;
    REQUIRE(f.hwnd);
    GoToLine(f.hwnd, Enter("3"));
    CHECK(gPrompt == "Line number (1 - 1):");
    CHECK(gProposed == "1");
    CHECK(Caret() == 0);

    SetWindowTextA(gEditorWnd, Lines(5).c_str());
    SendMessageA(gEditorWnd, EM_SETSEL, 0, 0);
    gBlockMode = true;
    gMultiCaretOffsets = {0, 4};
    GoToLine(f.hwnd, Enter("3"));
    CHECK(Caret() == LineStart(2));
    CHECK_FALSE(gBlockMode);
    CHECK(gMultiCaretOffsets.empty());
}
