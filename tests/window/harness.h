#pragma once
// In-process window tests: the real main window, created as WinMain creates it, driven
// with messages and keys.

#include <windows.h>

#include <functional>
#include <string>
#include <utility>
#include <vector>

// Removes the settings, session and undo files beside the test executable.
void RemoveProgramFiles();
// The folder of the test executable, with a trailing backslash.
std::string ExeFolder();
// Writes the settings file beside the executable (a whole INI text).
void WriteSettingsFile(const std::string& text);

// Creates and shows a fresh main window (after InitializeGlobals); null on failure.
HWND CreateTestMainWindow();
// Destroys it without the exit questions.
void DestroyTestMainWindow(HWND hwnd);

// A fresh main window without settings, session or undo files from earlier tests; the
// files made with File() are removed again afterwards.
struct TestWindow {
    HWND hwnd = nullptr;
    std::vector<std::string> files;
    // settings: the whole text of a settings file to start with, or null for none.
    explicit TestWindow(const char* settings = nullptr);
    ~TestWindow();
    // Writes a file beside the test executable; returns its path.
    std::string File(const char* name, const std::string& bytes);
};

// Handles every message waiting in the queue as the program's message loop does.
void PumpMessages(HWND mainWnd, int milliseconds = 0);

// The modifier state that GetKeyState reports, set with SetKeyboardState: SendMessage of
// WM_KEYDOWN does not change it.
void SetModifiers(bool ctrl, bool alt, bool shift);
// Keys go to the focus window (or the given window) as a keyboard sends them: first the
// key-down of each modifier held for the key (Ctrl, Alt, then Shift), each with the
// state of those pressed before it, then the key's own key-down. While Alt is held
// without Ctrl they are WM_SYSKEYDOWN. No key-ups are sent.
//
// Presses the modifiers through the message loop's handling; they stay down until
// SetModifiers releases them.
void HoldModifiers(HWND mainWnd, bool ctrl, bool alt, bool shift, HWND target = nullptr);
// The key-down of vk with the modifiers held now, through the message loop's handling.
void KeyDown(HWND mainWnd, int vk, HWND target = nullptr);
// The modifiers' key-downs and the key's, through the message loop's handling; the
// modifiers are released afterwards.
void PressKey(HWND mainWnd, int vk, bool ctrl = false, bool alt = false, bool shift = false,
              HWND target = nullptr);
// Gives the window the focus and runs a WM_KEYDOWN for it, then every message waiting
// after it, through one step of a message loop: take returns true for a message it
// handled, the others are translated and dispatched.
void RunKeyThrough(HWND focus, int vk, const std::function<bool(MSG*)>& take);
// The same with the modifiers' key-downs first, each run through the same step; the
// modifiers are released afterwards.
void RunKeyThrough(HWND focus, int vk, bool ctrl, bool alt, bool shift, const std::function<bool(MSG*)>& take);
// Types characters into the editor as WM_CHAR messages.
void TypeText(const char* text);

std::string EditorText();
// The editor's selection, set and read with EM_SETSEL and EM_GETSEL.
void SelectInEditor(int start, int end);
std::pair<int, int> EditorSelection();
std::string StatusText();
int TabCount();
int SelectedTab();
std::string TabTitle(int index);
std::string ReadFileBytes(const std::string& path);
// The clipboard's CF_TEXT bytes, or "<closed>" when the clipboard cannot be opened.
std::string ClipboardTextBytes(HWND owner);
void WriteFileBytes(const std::string& path, const std::string& bytes);

// The client area of a window as the screen shows it.
struct Shot {
    int w = 0, h = 0;
    std::vector<DWORD> px;
    COLORREF At(int x, int y) const
    {
        if (x < 0 || y < 0 || x >= w || y >= h)
            return CLR_INVALID;
        DWORD v = px[(size_t)y * w + x];
        return RGB((v >> 16) & 255, (v >> 8) & 255, v & 255);
    }
    bool Has(COLORREF colour, int x0, int y0, int x1, int y1) const
    {
        for (int y = y0; y < y1; ++y)
            for (int x = x0; x < x1; ++x)
                if (At(x, y) == colour)
                    return true;
        return false;
    }
};

// Repaints the window, then reads its client area back from the window DC. With
// invalidate false only what the window itself left to repaint is painted first.
Shot TakeShot(HWND window, bool invalidate = true);

// Answers the message boxes of this thread while it lives: each box is recorded (title
// and text) and closed with the next answer of the list (IDYES, IDNO, IDCANCEL, IDOK);
// when the list runs out, boxes get IDCANCEL (or IDOK for an OK-only box).
struct MessageBoxAnswers {
    struct Seen {
        std::string title, text;
    };
    explicit MessageBoxAnswers(std::vector<int> answers = {});
    ~MessageBoxAnswers();
    std::vector<int> answers;
    std::vector<Seen> seen;
};
