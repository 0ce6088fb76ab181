#include <doctest/doctest.h>

#include "app/command_ids.h"
#include "document/session_format.h"
#include "tests/e2e/process.h"
#include "tests/window/harness.h"

#include <commctrl.h>

#include <stdlib.h>
#include <string>
#include <vector>

namespace {

std::string WindowText(HWND window)
{
    int length = (int)SendMessageA(window, WM_GETTEXTLENGTH, 0, 0);
    std::string text((size_t)length + 1, '\0');
    int got = (int)SendMessageA(window, WM_GETTEXT, length + 1, (LPARAM)&text[0]);
    text.resize(got > 0 ? (size_t)got : 0);
    return text;
}

void Type(HWND editor, const char* text)
{
    for (const char* p = text; *p; ++p)
        SendMessageA(editor, WM_CHAR, (unsigned char)*p, 1);
}

std::string SessionPath()
{
    return ExeFolder() + "Zorvik.session";
}

// The texts of the tabs in the bytes of a session file; empty when they are not whole.
std::vector<std::string> SessionTexts(const std::string& bytes)
{
    int32_t active = -1;
    std::vector<SessionTab> tabs;
    std::vector<std::string> texts;
    if (ParseSession(bytes.data(), bytes.size(), &active, tabs) != SessionRead::Complete)
        return texts;
    for (const SessionTab& tab : tabs)
        texts.push_back(tab.text);
    return texts;
}

} // namespace

TEST_CASE("a killed session comes back: tabs, texts, encodings, the selected tab and undo")
{
    RemoveProgramFiles();
    // UTF-16 LE with LF line ends: the save after the restart must give these bytes back.
    std::string file = ExeFolder() + "kept.txt";
    const std::string original("\xFF\xFE" "b\0a\0s\0e\0\n\0", 12);
    WriteFileBytes(file, original);
    std::string exe = PrepareZorvikCopy();

    ZorvikProcess first;
    REQUIRE(StartZorvik(exe, "kept.txt", &first));
    HWND editor = GetDlgItem(first.window, IDC_EDITOR);
    SendMessageA(editor, EM_SETSEL, 4, 4);
    Type(editor, "X");
    SendMessageA(first.window, WM_COMMAND, IDM_FILE_NEW, 0);
    Type(editor, "hello");
    // The auto-save timer writes the session 1.5 s after the last change.
    const std::vector<std::string> texts = {"baseX\r\n", "hello"};
    WaitForFileBytes(
        SessionPath(), [&](const std::string& bytes) { return SessionTexts(bytes) == texts; }, kWaitMs,
        "the auto-save wrote both tabs' texts");
    KillZorvik(&first);

    ZorvikProcess second;
    REQUIRE(StartZorvik(exe, "", &second));
    HWND tabs = GetDlgItem(second.window, IDC_TAB_BAR);
    editor = GetDlgItem(second.window, IDC_EDITOR);
    CHECK(SendMessageA(tabs, TCM_GETITEMCOUNT, 0, 0) == 2);
    CHECK(SendMessageA(tabs, TCM_GETCURSEL, 0, 0) == 1);
    CHECK(WindowText(editor) == "hello");

    PressChord(editor, VK_CONTROL, VK_TAB);
    WaitUntil([&] { return SendMessageA(tabs, TCM_GETCURSEL, 0, 0) == 0; }, kWaitMs,
              "Ctrl+Tab selected the first tab");
    CHECK(WindowText(editor) == "baseX\r\n");
    PressChord(editor, VK_CONTROL, 'Z');
    WaitUntil([&] { return WindowText(editor) == "base\r\n"; }, kWaitMs, "Ctrl+Z undid the typed X");

    // The restored document kept the file's encoding, mark and LF line ends.
    PressChord(editor, VK_CONTROL, 'S');
    WaitForFileBytes(
        file, [&](const std::string& bytes) { return bytes == original; }, kWaitMs,
        "Ctrl+S wrote the file back in UTF-16 LE with LF line ends");
    PostMessageA(second.window, WM_CLOSE, 0, 0);
    if (WaitForExit(&second) == -1)
        KillZorvik(&second);
    DeleteFileA(file.c_str());
    RemoveProgramFiles();
}

TEST_CASE("killed in the middle of session writes, the session file is always whole")
{
    RemoveProgramFiles();
    std::string exe = PrepareZorvikCopy();
    // A text large enough that writing the session takes a while.
    std::string big(600000, 'a');
    for (size_t i = 80; i < big.size(); i += 82) {
        big[i] = '\r';
        big[i + 1] = '\n';
    }
    srand(12345);
    int kills = 0, whole = 0;
    for (int round = 0; round < 20; ++round) {
        ZorvikProcess process;
        REQUIRE(StartZorvik(exe, "", &process));
        HWND editor = GetDlgItem(process.window, IDC_EDITOR);
        if (round == 0)
            SendMessageA(editor, WM_SETTEXT, 0, (LPARAM)big.c_str());
        // Each deactivation writes the session; a typed letter makes each write differ.
        for (int i = 0; i < 40; ++i) {
            PostMessageA(editor, WM_CHAR, 'b', 1);
            PostMessageA(process.window, WM_ACTIVATE, WA_INACTIVE, 0);
        }
        // The kill comes at a moment picked at random among the writes: this sleep is that
        // moment, not a wait for the program.
        Sleep(20 + rand() % 200);
        // The first round must leave a session behind for the later ones to restore, however
        // slowly the program runs (qemu): wait for its first write.
        if (round == 0)
            WaitUntil([] { return GetFileAttributesA(SessionPath().c_str()) != INVALID_FILE_ATTRIBUTES; },
                      kWaitMs, "the first round wrote a session file");
        KillZorvik(&process);
        ++kills;

        std::string bytes = ReadFileBytes(SessionPath());
        int32_t active = -2;
        std::vector<SessionTab> tabs;
        SessionRead read = ParseSession(bytes.data(), bytes.size(), &active, tabs);
        CAPTURE(round);
        CHECK(read == SessionRead::Complete);
        if (read == SessionRead::Complete && tabs.size() == 1 && tabs[0].text.size() >= big.size()) {
            // Whole: the letters typed so far (at the caret, which starts at 0), then the
            // large text.
            size_t typed = tabs[0].text.size() - big.size();
            CHECK(tabs[0].text.compare(typed, big.size(), big) == 0);
            CHECK(tabs[0].text.substr(0, typed).find_first_not_of('b') == std::string::npos);
            ++whole;
        }
    }
    CHECK(kills == 20);
    CHECK(whole == 20);
    RemoveProgramFiles();
}
