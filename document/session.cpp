#include "document/session.h"

#include "app/main_window.h"
#include "app/settings.h"
#include "app/tab_strip.h"
#include "document/document.h"
#include "document/safe_write.h"
#include "document/session_format.h"
#include "document/textcodec.h"
#include "document/textfile.h"
#include "document/undo_core.h"
#include "document/undo_file.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

namespace {

bool AppDataFolder(char* buffer, int size)
{
    DWORD n = GetEnvironmentVariableA("APPDATA", buffer, size);
    return n > 0 && (int)n < size;
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
        out->resize(low);
        DWORD got = 0;
        ok = low == 0 || (ReadFile(file, &(*out)[0], low, &got, nullptr) && got == low);
    }
    CloseHandle(file);
    return ok;
}

// What a restored document learns from its file where the file still exists: the
// line-end style, so that the next save does not rewrite every line end (the session
// stores only CR LF text), and whether the file holds NULs that the text model cuts, so
// that it comes back read-only as it was opened.
void ReadRestoredFileFacts(const SessionTab& tab, int* eol, bool* containsNul)
{
    *containsNul = false;
    if (!tab.path.empty()) {
        char* bytes = nullptr;
        size_t length = 0;
        if (ReadTextFileBytes(tab.path.c_str(), &bytes, &length) == FileReadResult::Ok) {
            DecodedText decoded;
            DecodeTextFileAs(WindowsAnsiCodePage(), bytes, length, tab.encoding, tab.bom, &decoded);
            free(bytes);
            *eol = (int)decoded.eol;
            *containsNul = decoded.containsNul;
            return;
        }
    }
    *eol = (int)EolFromCounts(CountLineEnds(tab.text.data(), tab.text.size()));
}

} // namespace

void GetPortableSessionPath(char* buffer, int size)
{
    PathBesideExecutable("Zorvik.session", buffer, size);
}

void DeleteSessionFiles()
{
    char path[MAX_PATH];
    GetPortableSessionPath(path, sizeof(path));
    DeleteFileA(path);
    char appData[MAX_PATH];
    if (AppDataFolder(appData, sizeof(appData))) {
        std::string fallback = std::string(appData) + "\\Zorvik\\Zorvik.session";
        DeleteFileA(fallback.c_str());
    }
}

void SaveSession(HWND)
{
    if (!gTabsWnd)
        return;
    int n = GetTabCount();
    std::vector<SessionTab> tabs;
    for (int i = 0; i < n; ++i) {
        char caption[MAX_PATH];
        GetTabTitle(i, caption, sizeof(caption), "");
        TabDocument* doc = GetTabDocument(i);
        SessionTab tab;
        if (doc) {
            tab.encoding = doc->encoding;
            tab.bom = doc->bom;
            tab.modified = doc->modified;
            tab.path = doc->path ? doc->path : "";
            tab.text = doc->text ? doc->text : "";
        }
        tab.title = SessionTabTitle(caption, tab.path, i + 1);
        tabs.push_back(std::move(tab));
    }
    if (SessionIsEmpty(tabs)) {
        DeleteSessionFiles();
        return;
    }
    std::string bytes = SerializeSession(GetSelectedTabIndex(), tabs);
    char path[MAX_PATH];
    GetPortableSessionPath(path, sizeof(path));
    if (!WriteFileSafely(path, bytes)) {
        char appData[MAX_PATH];
        if (!AppDataFolder(appData, sizeof(appData)))
            return;
        std::string folder = std::string(appData) + "\\Zorvik";
        CreateDirectoryA(folder.c_str(), nullptr);
        WriteFileSafely(folder + "\\Zorvik.session", bytes);
    }
    for (int i = 0; i < n; ++i) {
        TabDocument* doc = GetTabDocument(i);
        if (doc && doc->history && !doc->history->undoFilePath.empty())
            WriteUndoFile(doc->history->undoFilePath, doc->history->undo, doc->history->redo,
                          doc->history->savedIndex);
    }
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
    char path[MAX_PATH];
    GetPortableSessionPath(path, sizeof(path));
    std::string bytes;
    if (!ReadWholeFile(path, &bytes)) {
        char appData[MAX_PATH];
        if (!AppDataFolder(appData, sizeof(appData)))
            return false;
        std::string fallback = std::string(appData) + "\\Zorvik\\Zorvik.session";
        if (!ReadWholeFile(fallback.c_str(), &bytes))
            return false;
    }
    int32_t active = 0;
    std::vector<SessionTab> tabs;
    if (ParseSession(bytes.data(), bytes.size(), &active, tabs) == SessionRead::BadHeader)
        return false;

    gProgrammaticChange = true;
    for (int i = GetTabCount() - 1; i >= 0; --i) {
        FreeTabDocument(GetTabDocument(i));
        TabCtrl_DeleteItem(gTabsWnd, i);
    }
    for (size_t i = 0; i < tabs.size(); ++i) {
        SessionTab& tab = tabs[i];
        int eol = 0;
        bool containsNul = false;
        ReadRestoredFileFacts(tab, &eol, &containsNul);
        std::string text = NormalizeToCrlf(tab.text.data(), tab.text.size());
        TabDocument* doc = CreateDocument(tab.path.empty() ? nullptr : tab.path.c_str());
        doc->encoding = tab.encoding;
        doc->bom = tab.bom;
        doc->eol = eol;
        doc->modified = tab.modified;
        doc->readOnly = containsNul;
        SetDocumentString(&doc->path, tab.path.c_str());
        SetDocumentString(&doc->text, text.c_str());
        doc->history->snapshot = text;
        InsertTabItem((int)i, tab.title.c_str(), doc);
    }
    if (GetTabCount() == 0) {
        InsertTabItem(0, "Untitled", CreateEmptyDocument());
        active = 0;
    }
    if (active < 0 || active >= GetTabCount())
        active = 0;
    TabCtrl_SetCurSel(gTabsWnd, active);
    gProgrammaticChange = false;
    ActivateSelectedTab();
    UpdateAllTabIcons();
    return true;
}
