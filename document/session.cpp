#include "document/session.h"

#include "document/document.h"
#include "document/paths.h"
#include "document/restore_text.h"
#include "document/safe_write.h"
#include "document/scoped_flag.h"
#include "document/session_format.h"
#include "document/shell_hooks.h"
#include "document/textcodec.h"
#include "document/textfile.h"
#include "document/undo_core.h"
#include "document/undo_file.h"

#include <commctrl.h>
#include <new>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

bool gAutoSave; // its first value comes from the settings table

namespace {

const char kSessionFileName[] = "Zorvik.session";

// A session file that could not be read and could not be moved aside either (another
// program held it open): until it is moved aside, no write or delete may touch it.
std::string gSessionHeldBack;

// Where the session goes when the program's folder takes no file; empty without APPDATA.
std::string AppDataSessionFolder()
{
    std::string appData = AppDataFolder();
    return appData.empty() ? appData : appData + "\\Zorvik";
}

bool ReadWholeFile(const char* path, std::string* out)
{
    HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    DWORD high = 0;
    DWORD low = GetFileSize(file, &high);
    bool ok = low != INVALID_FILE_SIZE && high == 0 && low < 0x7FFFFFFF;
    if (ok) {
        try {
            out->resize(low);
        } catch (const std::exception&) {
            ok = false;
        }
    }
    if (ok) {
        DWORD got = 0;
        ok = low == 0 || (ReadFile(file, &(*out)[0], low, &got, nullptr) && got == low);
    }
    CloseHandle(file);
    return ok;
}

// What a restored document takes from its file where the file can still be read: for an
// unmodified tab its current text, for every tab its line-end style (the session stores
// only CR LF text) and what the text model cannot keep of it (RestoreTabText).
RestoredText ReadRestoredFile(const SessionTab& tab, const std::string& text)
{
    RestoredText facts;
    facts.eol = EolFromCounts(CountLineEnds(tab.text.data(), tab.text.size()));
    char* bytes = nullptr;
    size_t length = 0;
    if (tab.path.empty() || ReadTextFileBytes(tab.path.c_str(), &bytes, &length) != FileReadResult::Ok)
        return facts;
    try {
        RestoreTabText(WindowsAnsiCodePage(), bytes, length, tab.encoding, tab.bom, tab.modified, text,
                       &facts);
    } catch (...) {
        free(bytes);
        throw;
    }
    free(bytes);
    return facts;
}

// The document of one restored tab, or null when memory runs out.
TabDocument* RestoredDocument(const SessionTab& tab)
{
    TabDocument* doc = nullptr;
    try {
        std::string text = NormalizeToCrlf(tab.text.data(), tab.text.size());
        RestoredText facts = ReadRestoredFile(tab, text);
        doc = CreateDocument(tab.path.empty() ? nullptr : tab.path.c_str());
        if (!doc)
            return nullptr;
        doc->encoding = tab.encoding;
        doc->bom = tab.bom;
        if (facts.fromFile) {
            text.swap(facts.text);
            doc->encoding = facts.encoding;
            doc->bom = facts.bom;
        }
        doc->eol = facts.eol;
        doc->modified = tab.modified;
        ApplyTextLoss(doc, facts.loss);
        if (!SetDocumentString(&doc->path, tab.path.c_str())) {
            FreeTabDocument(doc);
            return nullptr;
        }
        TakeDocumentText(doc, text);
        return doc;
    } catch (const std::exception&) {
        FreeTabDocument(doc);
        return nullptr;
    }
}

// The tabs as the session file holds them; each path and text is read where its document
// keeps it, not copied.
std::vector<SessionTabRef> SessionTabsNow()
{
    int n = GetTabCount();
    std::vector<SessionTabRef> tabs(n > 0 ? (size_t)n : 0);
    for (int i = 0; i < n; ++i) {
        char caption[MAX_PATH];
        GetTabTitle(i, caption, sizeof(caption), "");
        SessionTabRef& tab = tabs[i];
        if (TabDocument* doc = GetTabDocument(i)) {
            tab.encoding = doc->encoding;
            tab.bom = doc->bom;
            tab.modified = doc->modified;
            if (doc->path) {
                tab.path = doc->path;
                tab.pathSize = strlen(doc->path);
            }
            const std::string& text = DocumentText(doc);
            tab.text = text.data();
            tab.textSize = text.size();
        }
        tab.title = SessionTabTitle(caption, std::string(tab.path, tab.pathSize), i + 1);
    }
    return tabs;
}

// Streams the session from the documents into the file; false when it was not written
// whole (the old file then stays). *created tells whether the folder took the file at all.
bool WriteSessionFile(const std::string& path, int32_t active, const std::vector<SessionTabRef>& tabs,
                      bool* created)
{
    *created = false;
    try {
        SafeFileWriter file(path);
        *created = file.Created();
        return StreamSession(active, tabs, [&file](const char* data, size_t size) { return file.Write(data, size); }) &&
               file.Commit();
    } catch (const std::exception&) {
        return false;
    }
}

// A session file that cannot be read whole is never deleted or written over: the next
// write would lose the tabs it holds. It is moved aside under a name of its own beside it
// (copied when it cannot be moved). Returns the status text that says so.
std::string KeepSessionAside(const std::string& path, const char* why)
{
    SYSTEMTIME now;
    GetLocalTime(&now);
    std::string base = path;
    size_t extension = base.rfind(".session");
    if (extension != std::string::npos && extension + 8 == base.size())
        base.resize(extension);
    for (int n = 1; n < 100; ++n) {
        char suffix[64];
        snprintf(suffix, sizeof(suffix), "-kept-%04u%02u%02u-%02u%02u%02u", now.wYear, now.wMonth, now.wDay,
                 now.wHour, now.wMinute, now.wSecond);
        std::string aside = base + suffix + (n > 1 ? "-" + std::to_string(n) : std::string()) + ".session";
        bool kept = MoveFileA(path.c_str(), aside.c_str()) != FALSE;
        DWORD error = kept ? 0 : GetLastError();
        if (!kept && error != ERROR_ALREADY_EXISTS && error != ERROR_FILE_EXISTS)
            kept = CopyFileA(path.c_str(), aside.c_str(), TRUE) != FALSE;
        if (kept) {
            size_t slash = aside.rfind('\\');
            return std::string(why) + "; it was kept as " + aside.substr(slash + 1);
        }
        if (error != ERROR_ALREADY_EXISTS && error != ERROR_FILE_EXISTS)
            break;
    }
    gSessionHeldBack = path;
    return std::string(why) + "; it could not be kept aside";
}

// Tries again to move the held-back session file aside. True when nothing is held back
// any more; the status bar then says where the file went.
bool ReleaseHeldBackSession()
{
    if (gSessionHeldBack.empty())
        return true;
    std::string path;
    path.swap(gSessionHeldBack);
    if (GetFileAttributesA(path.c_str()) == INVALID_FILE_ATTRIBUTES)
        return true;
    std::string notice = KeepSessionAside(path, "The session file could not be read");
    if (!gSessionHeldBack.empty())
        return false;
    SetStatusText(notice.c_str());
    return true;
}

// The session file's bytes and where they came from: the portable file when it can be
// read, else the one under APPDATA. A file that exists but cannot be read is kept aside.
bool ReadSessionFile(std::string* bytes, std::string* from, std::string* notice)
{
    char portable[MAX_PATH];
    GetPortableSessionPath(portable, sizeof(portable));
    std::string folder = AppDataSessionFolder();
    std::string candidates[2] = {portable, folder.empty() ? std::string() : folder + "\\" + kSessionFileName};
    for (const std::string& path : candidates) {
        if (path.empty())
            continue;
        if (ReadWholeFile(path.c_str(), bytes)) {
            *from = path;
            return true;
        }
        if (GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES)
            *notice = KeepSessionAside(path, "The session file could not be read");
    }
    return false;
}

} // namespace

void GetPortableSessionPath(char* buffer, int size)
{
    PathBesideExecutable(kSessionFileName, buffer, size);
}

void ResetSessionState()
{
    gSessionHeldBack.clear();
}

void DeleteSessionFiles()
{
    if (!ReleaseHeldBackSession())
        return;
    char path[MAX_PATH];
    GetPortableSessionPath(path, sizeof(path));
    DeleteFileA(path);
    std::string folder = AppDataSessionFolder();
    if (!folder.empty())
        DeleteFileA((folder + "\\" + kSessionFileName).c_str());
}

void SaveSession(HWND)
{
    if (!gTabsWnd)
        return;
    std::vector<SessionTabRef> tabs;
    try {
        tabs = SessionTabsNow();
    } catch (const std::exception&) {
        return;
    }
    if (SessionIsEmpty(tabs.data(), tabs.size())) {
        DeleteSessionFiles();
        return;
    }
    // The APPDATA copy is for a program folder that takes no files at all: a write that
    // fails later (a full disk) leaves the old portable file, which is the one read back.
    char path[MAX_PATH];
    GetPortableSessionPath(path, sizeof(path));
    int active = GetSelectedTabIndex();
    bool created = false;
    // An unreadable file that could not be moved aside yet stays as it is; the undo files
    // below are written all the same.
    if (ReleaseHeldBackSession() && !WriteSessionFile(path, active, tabs, &created) && !created) {
        std::string folder = AppDataSessionFolder();
        if (folder.empty())
            return;
        CreateDirectoryA(folder.c_str(), nullptr);
        WriteSessionFile(folder + "\\" + kSessionFileName, active, tabs, &created);
    }
    // Only the histories that changed since their undo file was last written.
    int n = GetTabCount();
    for (int i = 0; i < n; ++i) {
        TabDocument* doc = GetTabDocument(i);
        if (doc && doc->history)
            WriteUndoFileOf(*doc->history);
    }
}

void AutoSaveSession(HWND owner)
{
    if (gAutoSave)
        SaveSession(owner);
}

void SaveSessionNow(HWND owner)
{
    if (!gTabsWnd)
        return;
    StoreEditorTextInTab();
    SaveSession(owner);
}

bool RestoreSession(HWND)
{
    if (!gTabsWnd)
        return false;
    std::string bytes, from, notice;
    bool read = ReadSessionFile(&bytes, &from, &notice);
    int32_t active = 0, stored = 0;
    std::vector<SessionTab> tabs;
    SessionRead result =
        read ? ParseSession(bytes.data(), bytes.size(), &active, tabs, &stored) : SessionRead::BadHeader;
    std::string().swap(bytes);
    if (read && result == SessionRead::BadHeader)
        notice = KeepSessionAside(from, "The session file could not be read");
    if (result == SessionRead::BadHeader) {
        if (!notice.empty())
            SetStatusText(notice.c_str());
        return false;
    }

    size_t restored = 0;
    {
        ScopedFlag programmatic(gProgrammaticChange);
        for (int i = GetTabCount() - 1; i >= 0; --i) {
            FreeTabDocument(GetTabDocument(i));
            TabCtrl_DeleteItem(gTabsWnd, i);
        }
        // A tab that cannot be held in memory ends the restore; the tabs before it stay.
        for (; restored < tabs.size(); ++restored) {
            TabDocument* doc = RestoredDocument(tabs[restored]);
            if (!doc)
                break;
            std::string().swap(tabs[restored].text);
            InsertTabItem((int)restored, tabs[restored].title.c_str(), doc);
        }
        if (GetTabCount() == 0) {
            InsertTabItem(0, "Untitled", CreateEmptyDocument());
            active = 0;
        }
        if (active < 0 || active >= GetTabCount())
            active = 0;
        TabCtrl_SetCurSel(gTabsWnd, active);
    }
    ActivateSelectedTab();
    UpdateAllTabIcons();
    // Tabs the file holds beyond those restored would be gone with the next write.
    if (result != SessionRead::Complete || restored < tabs.size()) {
        char why[96];
        snprintf(why, sizeof(why), "Restored %u of the session's %d tabs", (unsigned)restored, (int)stored);
        notice = KeepSessionAside(from, why);
    }
    if (!notice.empty())
        SetStatusText(notice.c_str());
    return true;
}
