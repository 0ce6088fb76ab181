#include "app/save_as.h"

#include "app/file_dialog.h"
#include "app/main_window.h"
#include "app/settings.h"
#include "app/tab_strip.h"
#include "app/tabs.h"
#include "document/document.h"
#include "document/paths.h"
#include "document/save.h"
#include "document/scoped_flag.h"
#include "document/session.h"

#include <commctrl.h>
#include <string.h>

namespace {

// The active tab's document and index; null without the tab bar, the editor or a tab.
TabDocument* DocumentToSave(int* index)
{
    if (!gTabsWnd || !gEditorWnd)
        return nullptr;
    *index = GetSelectedTabIndex();
    return *index < 0 ? nullptr : GetTabDocument(*index);
}

} // namespace

bool SaveFile(HWND owner)
{
    int index = -1;
    TabDocument* doc = DocumentToSave(&index);
    if (!doc)
        return false;
    if (!doc->path || !doc->path[0])
        return SaveFileAs(owner);
    if (RefuseLossySave(owner, doc) || !WriteActiveDocument(owner, doc))
        return false;
    UpdateTabIcon(index);
    SaveSession(owner);
    UpdateStatusBar();
    AddRecentFile(doc->path);
    return true;
}

bool SaveFileAs(HWND owner)
{
    int index = -1;
    TabDocument* doc = DocumentToSave(&index);
    if (!doc)
        return false;
    char file[MAX_PATH];
    ZeroMemory(file, sizeof(file));
    if (doc->path)
        lstrcpynA(file, doc->path, sizeof(file));
    // The dialog runs message loops: no tab may be closed under it, and the document it
    // was opened for is the one saved.
    // Save As also runs inside the close questions' loops, whose protection must outlast it.
    bool chosen;
    {
        ScopedFlag questionLoop(gTabQuestionLoop);
        chosen = AskForFileName(owner, true, file, sizeof(file));
    }
    if (!chosen || FindTabOfDocument(doc) != GetSelectedTabIndex())
        return false;
    return SaveActiveDocumentAs(owner, file);
}

bool SaveActiveDocumentAs(HWND owner, const char* path)
{
    int index = GetSelectedTabIndex();
    TabDocument* doc = GetTabDocument(index);
    if (!doc || !path || !path[0])
        return false;
    bool samePath = doc->path && doc->path[0] &&
                    _stricmp(MakeFullPath(path).c_str(), MakeFullPath(doc->path).c_str()) == 0;
    if ((samePath && RefuseLossySave(owner, doc)) || !WriteActiveDocumentAs(owner, doc, path))
        return false;

    TCITEMA item;
    ZeroMemory(&item, sizeof(item));
    item.mask = TCIF_TEXT | TCIF_IMAGE;
    item.pszText = (char*)FileNamePart(path);
    item.iImage = 0;
    SendMessageA(gTabsWnd, TCM_SETITEMA, index, (LPARAM)&item);
    SaveSession(owner);
    UpdateStatusBar();
    UpdateTabIcon(index);
    AddRecentFile(path);
    return true;
}
