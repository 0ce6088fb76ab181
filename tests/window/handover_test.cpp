#include <doctest/doctest.h>

#include "app/command_ids.h"
#include "app/globals.h"
#include "app/handover_list.h"
#include "app/single_instance.h"
#include "document/document.h"
#include "document/paths.h"
#include "document/session_format.h"
#include "tests/wait_until.h"
#include "tests/window/harness.h"

#include <string>
#include <vector>

namespace {

LRESULT SendCopyData(HWND window, unsigned long code, const void* data, DWORD size)
{
    COPYDATASTRUCT copy;
    copy.dwData = code;
    copy.cbData = size;
    copy.lpData = (void*)data;
    return SendMessageA(window, WM_COPYDATA, 0, (LPARAM)&copy);
}

std::vector<std::string> TabTitles()
{
    std::vector<std::string> titles;
    for (int i = 0; i < TabCount(); ++i)
        titles.push_back(TabTitle(i));
    return titles;
}

// While a save question is up: what the window shows a while after the box appeared,
// then the answer.
struct QuestionWatch {
    int answer;
    bool seen = false;
    std::vector<std::string> titles;
    std::string editorText;
};
QuestionWatch* gWatch = nullptr;
HHOOK gWatchHook = nullptr;

VOID CALLBACK AnswerQuestion(HWND box, UINT, UINT_PTR timer, DWORD)
{
    KillTimer(box, timer);
    if (!gWatch)
        return;
    gWatch->seen = true;
    gWatch->titles = TabTitles();
    gWatch->editorText = EditorText();
    PostMessageA(box, WM_COMMAND, MAKEWPARAM(gWatch->answer, BN_CLICKED), (LPARAM)GetDlgItem(box, gWatch->answer));
}

LRESULT CALLBACK WatchHook(int code, WPARAM wParam, LPARAM lParam)
{
    if (code == HCBT_ACTIVATE) {
        char cls[16] = "";
        GetClassNameA((HWND)wParam, cls, sizeof(cls));
        // Long enough for a hand-over that arrived meanwhile to have been handled.
        if (strcmp(cls, "#32770") == 0)
            SetTimer((HWND)wParam, 0x5A5B, 500, AnswerQuestion);
    }
    return CallNextHookEx(gWatchHook, code, wParam, lParam);
}

// Another process's WM_COPYDATA, sent as soon as this thread shows a question.
struct CopyDataSender {
    HWND target;
    DWORD ownerThread;
    std::string list;
};

BOOL CALLBACK IsQuestionOf(HWND window, LPARAM found)
{
    char cls[16] = "";
    GetClassNameA(window, cls, sizeof(cls));
    if (strcmp(cls, "#32770") == 0 && IsWindowVisible(window)) {
        *(bool*)found = true;
        return FALSE;
    }
    return TRUE;
}

DWORD WINAPI SendWhenQuestionShows(void* parameter)
{
    CopyDataSender* sender = (CopyDataSender*)parameter;
    for (int i = 0; i < 300; ++i) {
        bool found = false;
        EnumThreadWindows(sender->ownerThread, IsQuestionOf, (LPARAM)&found);
        if (found)
            break;
        Sleep(10);
    }
    COPYDATASTRUCT copy = {kCopyDataOpenFiles, (DWORD)sender->list.size() + 1, (void*)sender->list.c_str()};
    DWORD_PTR result = 0;
    SendMessageTimeoutA(sender->target, WM_COPYDATA, 0, (LPARAM)&copy, SMTO_BLOCK, 2500, &result);
    return 0;
}

} // namespace

TEST_CASE("WM_COPYDATA: only the program's code with 1 byte to 1 MB opens anything, in order")
{
    TestWindow w;
    std::string a = w.File("copy a.txt", "A"), b = w.File("copy b.txt", "B");
    std::string list = "\"" + a + "\" \"" + b + "\"";
    std::string big(kHandOverCopyDataMax + 1, ' ');
    struct Row {
        const char* name;
        unsigned long code;
        const void* data;
        DWORD size;
    };
    const Row refused[] = {
        {"another code", kCopyDataOpenFiles ^ 1, list.c_str(), (DWORD)list.size() + 1},
        {"no bytes", kCopyDataOpenFiles, list.c_str(), 0},
        {"no data", kCopyDataOpenFiles, nullptr, 10},
        {"above 1 MB", kCopyDataOpenFiles, big.c_str(), (DWORD)big.size()},
    };
    for (const Row& row : refused) {
        CAPTURE(row.name);
        CHECK(SendCopyData(w.hwnd, row.code, row.data, row.size) == FALSE);
        CHECK(TabTitles() == std::vector<std::string>{"Untitled"});
    }
    // Sent without its terminating zero, the list is still taken.
    CHECK(SendCopyData(w.hwnd, kCopyDataOpenFiles, list.c_str(), (DWORD)list.size()) == TRUE);
    CHECK(TabTitles() == std::vector<std::string>{"copy a.txt", "copy b.txt"});
    CHECK(SelectedTab() == 1);
    CHECK(GetFocus() == GetDlgItem(w.hwnd, IDC_EDITOR));
    // An open path only selects its tab; an empty list opens nothing and is accepted.
    std::string again = "\"" + a + "\"";
    CHECK(SendCopyData(w.hwnd, kCopyDataOpenFiles, again.c_str(), (DWORD)again.size() + 1) == TRUE);
    CHECK(TabCount() == 2);
    CHECK(SelectedTab() == 0);
    CHECK(SendCopyData(w.hwnd, kCopyDataOpenFiles, "", 1) == TRUE);
    CHECK(TabCount() == 2);
}

TEST_CASE("files handed over while a save question is open wait for it and never touch the document asked about")
{
    enum Delivery { kByCopyData, kByFile };
    enum Command { kCloseTab, kExit };
    struct Row {
        const char* name;
        Delivery delivery;
        Command command;
        int answer;
        std::vector<std::string> after; // the tabs after the question (or in the session)
    };
    const Row rows[] = {
        {"Close Tab, No, by WM_COPYDATA", kByCopyData, kCloseTab, IDNO, {"h1.txt", "h2.txt"}},
        {"Close Tab, No, by file", kByFile, kCloseTab, IDNO, {"h1.txt", "h2.txt"}},
        {"Close Tab, Cancel, by file", kByFile, kCloseTab, IDCANCEL, {"asked.txt", "h1.txt", "h2.txt"}},
        {"exit, Cancel, by WM_COPYDATA", kByCopyData, kExit, IDCANCEL, {"asked.txt", "h1.txt", "h2.txt"}},
        {"exit, No, by file", kByFile, kExit, IDNO, {"asked.txt", "h1.txt", "h2.txt"}},
    };
    for (const Row& row : rows) {
        CAPTURE(row.name);
        TestWindow w;
        std::string asked = w.File("asked.txt", "asked"), h1 = w.File("h1.txt", "1"), h2 = w.File("h2.txt", "2");
        std::string list = "\"" + h1 + "\" \"" + h2 + "\"";
        SendCopyData(w.hwnd, kCopyDataOpenFiles, ("\"" + asked + "\"").c_str(), (DWORD)asked.size() + 3);
        TypeText("X");
        REQUIRE(EditorText() == "Xasked");

        std::string handOverFile = HandOverFilePath(TempFolder(), 4000000003UL);
        HANDLE thread = nullptr;
        CopyDataSender sender = {w.hwnd, GetCurrentThreadId(), list};
        if (row.delivery == kByFile) {
            WriteFileBytes(handOverFile, list);
            PostMessageA(w.hwnd, WM_COMMAND, IDM_HANDOVER_FILES, 4000000003UL);
        } else {
            thread = CreateThread(nullptr, 0, SendWhenQuestionShows, &sender, 0, nullptr);
        }

        QuestionWatch watch;
        watch.answer = row.answer;
        gWatch = &watch;
        gWatchHook = SetWindowsHookExA(WH_CBT, WatchHook, nullptr, GetCurrentThreadId());
        if (row.command == kCloseTab)
            SendMessageA(w.hwnd, WM_COMMAND, IDM_FILE_CLOSE_TAB, 0);
        else
            SendMessageA(w.hwnd, WM_CLOSE, 0, 0);
        UnhookWindowsHookEx(gWatchHook);
        gWatch = nullptr;
        if (thread) {
            WaitForSingleObject(thread, 5000);
            CloseHandle(thread);
        }

        // During the question the tab bar and the editor still showed the document asked
        // about, and the hand-over was already taken.
        CHECK(watch.seen);
        CHECK(watch.titles == std::vector<std::string>{"asked.txt"});
        CHECK(watch.editorText == "Xasked");
        CHECK(GetFileAttributesA(handOverFile.c_str()) == INVALID_FILE_ATTRIBUTES);

        if (IsWindow(w.hwnd)) {
            WaitUntil(
                w.hwnd, [&] { return TabTitles() == row.after; }, kWaitMs,
                "the files handed over during the question opened after it");
            if (row.answer == IDCANCEL)
                CHECK(GetTabDocument(0)->modified);
        } else {
            // The exit went on: the files opened before the session was written.
            std::string bytes = ReadFileBytes(ExeFolder() + "Zorvik.session");
            int32_t active = -1;
            std::vector<SessionTab> tabs;
            ParseSession(bytes.data(), bytes.size(), &active, tabs);
            std::vector<std::string> titles;
            for (const SessionTab& tab : tabs)
                titles.push_back(tab.title);
            CHECK(titles == row.after);
            MSG msg;
            while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
                if (msg.message != WM_QUIT)
                    DispatchMessageA(&msg);
        }
        DeleteFileA(handOverFile.c_str());
    }
}

TEST_CASE("the first start holds the single-instance mutex, and no child process inherits it")
{
    REQUIRE(HandOverToRunningInstance("") == false);
    REQUIRE(gInstanceMutex != nullptr);
    DWORD flags = HANDLE_FLAG_INHERIT;
    CHECK(GetHandleInformation(gInstanceMutex, &flags));
    CHECK((flags & HANDLE_FLAG_INHERIT) == 0);
    // Every later start sees it.
    HANDLE other = CreateMutexA(nullptr, FALSE, "Local\\ZorvikSingleInstanceMutex");
    CHECK(GetLastError() == ERROR_ALREADY_EXISTS);
    CloseHandle(other);
    CloseHandle(gInstanceMutex);
    gInstanceMutex = nullptr;
}

TEST_CASE("the receiver's scan deletes a partial hand-over file once its sender is gone or it is old")
{
    TestWindow w;
    const std::string temp = TempFolder();
    REQUIRE(!temp.empty());
    FILETIME now, old;
    GetSystemTimeAsFileTime(&now);
    ULARGE_INTEGER t;
    t.LowPart = now.dwLowDateTime;
    t.HighPart = now.dwHighDateTime;
    t.QuadPart -= 2ULL * 60 * 1000 * 10000; // two minutes
    old.dwLowDateTime = t.LowPart;
    old.dwHighDateTime = t.HighPart;
    const unsigned long self = GetCurrentProcessId();
    // Process ids are multiples of 4 below 2^26 on Windows; no process has this one.
    const unsigned long gone = 0xFFFFFFF0UL;
    struct Row {
        const char* name;
        std::string path;
        bool old, deleted;
    };
    const Row rows[] = {
        {"its sender no longer runs", HandOverPartialFilePath(temp, gone), false, true},
        {"its sender runs and it is new", HandOverPartialFilePath(temp, self), false, false},
        {"older than a minute, whoever has the id now", HandOverPartialFilePath(temp, self), true, true},
        {"a name no sender writes", temp + "zorvik_open_x1.part", true, false},
    };
    for (const Row& row : rows) {
        CAPTURE(row.name);
        WriteFileBytes(row.path, "\"C:\\half");
        if (row.old) {
            HANDLE file = CreateFileA(row.path.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                      0, nullptr);
            REQUIRE(file != INVALID_HANDLE_VALUE);
            CHECK(SetFileTime(file, nullptr, nullptr, &old));
            CloseHandle(file);
        }
        ReceivePendingOpenFiles(w.hwnd, 0);
        CHECK((GetFileAttributesA(row.path.c_str()) == INVALID_FILE_ATTRIBUTES) == row.deleted);
        DeleteFileA(row.path.c_str());
    }
    // Nothing of them was opened.
    CHECK(TabCount() == 1);
}
