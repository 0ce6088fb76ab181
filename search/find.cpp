#include "search/find.h"

#include "app/popup_window.h"
#include "document/codepage.h"
#include "document/document.h"
#include "document/shell_hooks.h"
#include "document/undo.h"
#include "editor/editor_window.h"
#include "editor/editor_text.h"
#include "editor/gutter.h"
#include "search/find_engine.h"
#include "search/find_ids.h"

#include <new>
#include <string>

HWND gFindWnd = nullptr;
std::string gFindText;
std::string gReplaceText;
bool gFindMatchCase = false;
bool gFindWrapAround = true;
bool gFindRegex = false;
bool gFindClassRegistered = false;
const PopupButtons kFindWindowButtons = {IDOK, IDC_FIND_PREV, IDCANCEL};

void ResetFindState()
{
    gFindText.clear();
    gReplaceText.clear();
    gFindMatchCase = false;
    gFindWrapAround = true;
    gFindRegex = false;
}

namespace {

const char kFindClass[] = "ZorvikFindReplaceClass";
const int kFieldBytes = 1024;

FindLeadByteTest DoubleByteLeadTest()
{
    CPINFO info;
    if (GetCPInfo(CP_ACP, &info) && info.MaxCharSize == 2)
        return WindowsAnsiCodePage().isLeadByte;
    return nullptr;
}

FindOptions CurrentFindOptions()
{
    FindOptions o;
    o.findText = gFindText;
    o.replaceText = gReplaceText;
    o.matchCase = gFindMatchCase;
    o.wrapAround = gFindWrapAround;
    o.regex = gFindRegex;
    o.isLeadByte = DoubleByteLeadTest();
    return o;
}

void ShowInFindWindow(HWND findWnd, const char* text)
{
    if (findWnd)
        SetDlgItemTextA(findWnd, IDC_FIND_STATUS, text);
}

void ShowEverywhere(HWND findWnd, const char* text)
{
    ShowInFindWindow(findWnd, text);
    SetStatusText(text);
}

// The editor's text, or false without the memory for a copy (said in the status line).
bool CopyEditorText(HWND findWnd, std::string* text)
{
    try {
        *text = GetEditorText();
        return true;
    } catch (const std::bad_alloc&) {
        ShowInFindWindow(findWnd, "Not enough memory");
        return false;
    }
}

void GetSelection(HWND editor, int32_t* start, int32_t* end)
{
    DWORD s = 0, e = 0;
    SendMessageA(editor, EM_GETSEL, (WPARAM)&s, (LPARAM)&e);
    *start = (int32_t)(s < e ? s : e);
    *end = (int32_t)(s < e ? e : s);
}

// A change refused because the document is read-only: the text stays as it is.
void RefuseReadOnly(HWND findWnd)
{
    MessageBeep(MB_ICONEXCLAMATION);
    ShowEverywhere(findWnd, kReadOnlyRefusal);
}

void SelectHit(HWND findWnd, const FindHit& hit)
{
    LeaveBlockMode();
    SendMessageA(gEditorWnd, EM_SETSEL, (WPARAM)hit.position, (LPARAM)(hit.position + hit.length));
    SendMessageA(gEditorWnd, EM_SCROLLCARET, 0, 0);
    RefreshGutter();
    int line = (int)SendMessageA(gEditorWnd, EM_LINEFROMCHAR, (WPARAM)hit.position, 0);
    int lineStart = (int)SendMessageA(gEditorWnd, EM_LINEINDEX, (WPARAM)line, 0);
    int column = lineStart < 0 ? 1 : hit.position - lineStart + 1;
    ShowEverywhere(findWnd, FoundAtText(line + 1, column).c_str());
}

void ReportRegexFailure(HWND findWnd, const std::string& description)
{
    std::string text = RegexErrorText(description);
    if (findWnd)
        ShowInFindWindow(findWnd, text.c_str());
    else
        MessageBoxA(GetParent(gEditorWnd), text.c_str(), "Regex Error", MB_OK | MB_ICONERROR);
}

// The common start of Find, Count and Replace All: false when there is nothing to search.
// An empty document shows emptyDocumentText in the window, or beeps without one when
// beepWithoutWindow.
bool ReadyToSearch(HWND findWnd, const char* emptyDocumentText, bool beepWithoutWindow)
{
    if (gFindText.empty()) {
        ShowInFindWindow(findWnd, "Find text is empty");
        return false;
    }
    if (!gEditorWnd)
        return false;
    if (GetWindowTextLengthA(gEditorWnd) == 0) {
        ShowInFindWindow(findWnd, emptyDocumentText);
        if (!findWnd && beepWithoutWindow)
            MessageBeep(MB_ICONEXCLAMATION);
        return false;
    }
    return true;
}

} // namespace

bool FindInDocument(HWND findWnd, bool forward)
{
    if (!ReadyToSearch(findWnd, "Document is empty", true))
        return false;
    std::string text;
    if (!CopyEditorText(findWnd, &text))
        return false;
    int32_t s, e;
    GetSelection(gEditorWnd, &s, &e);
    FindHit hit = FindInText(text, s, e, forward, CurrentFindOptions());
    switch (hit.outcome) {
    case FindOutcome::Found:
        SelectHit(findWnd, hit);
        return true;
    case FindOutcome::Failed:
        ReportRegexFailure(findWnd, hit.error);
        return false;
    default:
        MessageBeep(MB_ICONEXCLAMATION);
        ShowInFindWindow(findWnd, "Text not found");
        SetStatusText("Search text not found");
        return false;
    }
}

void CountMatches(HWND findWnd)
{
    if (!ReadyToSearch(findWnd, "Count: 0 matches", false))
        return;
    std::string text;
    if (!CopyEditorText(findWnd, &text))
        return;
    CountResult r = CountInText(text, CurrentFindOptions());
    if (r.outcome == FindOutcome::Failed) {
        ShowInFindWindow(findWnd, r.error.c_str());
        return;
    }
    ShowEverywhere(findWnd, CountText(r.count).c_str());
}

void ReplaceAll(HWND findWnd)
{
    if (!ReadyToSearch(findWnd, "Document is empty", false))
        return;
    std::string text;
    if (!CopyEditorText(findWnd, &text))
        return;
    ReplaceAllResult r = ReplaceAllInText(text, CurrentFindOptions());
    text.clear();
    text.shrink_to_fit();
    if (r.outcome == FindOutcome::Failed) {
        ShowInFindWindow(findWnd, r.error.c_str());
        return;
    }
    if (r.count == 0) {
        ShowInFindWindow(findWnd, "No occurrences found");
        return;
    }
    if (IsEditReadOnly(gEditorWnd)) {
        RefuseReadOnly(findWnd);
        return;
    }
    RecordTypingChange();
    BeginUndoCapture();
    ReplaceWholeEditorText(r.text.c_str(), false);
    EndUndoCapture();
    InvalidateRect(gEditorWnd, nullptr, FALSE);
    RefreshGutter();
    ShowEverywhere(findWnd, ReplacedText(r.count).c_str());
}

void ReplaceSelectionAndFindNext(HWND findWnd)
{
    if (gFindText.empty()) {
        ShowInFindWindow(findWnd, "Find text is empty");
        return;
    }
    if (!gEditorWnd)
        return;
    int32_t s, e;
    GetSelection(gEditorWnd, &s, &e);
    if (s < e) {
        std::string text;
        if (!CopyEditorText(findWnd, &text))
            return;
        if (e <= (int32_t)text.size()) {
            std::string replacement, error;
            bool matched = ReplacementForSelection(text.substr((size_t)s, (size_t)(e - s)),
                                                   CurrentFindOptions(), &replacement, &error);
            if (!error.empty()) {
                ShowInFindWindow(findWnd, error.c_str());
                return;
            }
            if (matched) {
                if (IsEditReadOnly(gEditorWnd)) {
                    RefuseReadOnly(findWnd);
                    return;
                }
                RememberSelectionBeforeEdit(gEditorWnd);
                SendMessageA(gEditorWnd, EM_REPLACESEL, TRUE, (LPARAM)replacement.c_str());
                RefreshGutter();
                ShowInFindWindow(findWnd, "Replaced 1 occurrence");
            }
        }
    }
    FindInDocument(findWnd, true);
}

void FindNextOrOpenFindWindow(HWND owner, bool forward)
{
    if (!gFindText.empty())
        FindInDocument(gFindWnd, forward);
    else
        ShowFindWindow(owner, false);
}

void ReadFindWindowFields(HWND findWnd)
{
    char buffer[kFieldBytes] = {0};
    GetDlgItemTextA(findWnd, IDC_FIND_WHAT, buffer, kFieldBytes);
    gFindText = buffer;
    char replace[kFieldBytes] = {0};
    GetDlgItemTextA(findWnd, IDC_REPLACE_WITH, replace, kFieldBytes);
    gReplaceText = replace;
    gFindMatchCase = IsDlgButtonChecked(findWnd, IDC_MATCH_CASE) == BST_CHECKED;
    gFindWrapAround = IsDlgButtonChecked(findWnd, IDC_WRAP_AROUND) == BST_CHECKED;
    gFindRegex = IsDlgButtonChecked(findWnd, IDC_USE_REGEX) == BST_CHECKED;
}

namespace {

// A selection of 1 to 255 bytes within one line becomes the find text of the window.
bool FillFindFieldFromSelection(HWND findWnd)
{
    if (!gEditorWnd)
        return false;
    int32_t s, e;
    GetSelection(gEditorWnd, &s, &e);
    if (!(s < e && e - s < 256))
        return false;
    std::string text;
    try {
        text = GetEditorText();
    } catch (const std::bad_alloc&) {
        return false;
    }
    if (s >= (int32_t)text.size())
        return false;
    std::string selected = text.substr((size_t)s, (size_t)(e - s));
    if (selected.find_first_of("\r\n") != std::string::npos)
        return false;
    SetDlgItemTextA(findWnd, IDC_FIND_WHAT, selected.c_str());
    return true;
}

void SelectWholeField(HWND findWnd, int id)
{
    SendDlgItemMessageA(findWnd, id, EM_SETSEL, 0, -1);
}

void CreateFindControls(HWND hwnd)
{
    const DWORD check = WS_TABSTOP | BS_AUTOCHECKBOX;
    const PopupControl controls[] = {
        {"STATIC", "Find what:", 0, 0, {12, 14, 80, 18}},
        {"STATIC", "Replace with:", 0, 0, {12, 42, 80, 18}},
        {"EDIT",
         gFindText.c_str(),
         WS_TABSTOP | ES_AUTOHSCROLL,
         WS_EX_CLIENTEDGE,
         {96, 12, 210, 22},
         IDC_FIND_WHAT},
        {"EDIT",
         gReplaceText.c_str(),
         WS_TABSTOP | ES_AUTOHSCROLL,
         WS_EX_CLIENTEDGE,
         {96, 40, 210, 22},
         IDC_REPLACE_WITH},
        {"BUTTON", "Match case", check, 0, {16, 72, 180, 20}, IDC_MATCH_CASE},
        {"BUTTON", "Wrap around", check, 0, {16, 96, 180, 20}, IDC_WRAP_AROUND},
        {"BUTTON",
         "Regular expression (captures: $1..$9, \\1..\\9)",
         check,
         0,
         {16, 120, 285, 20},
         IDC_USE_REGEX},
        {"STATIC", "Ready", SS_LEFT, 0, {14, 152, 290, 42}, IDC_FIND_STATUS},
        {"BUTTON", "Find Next", WS_TABSTOP | BS_DEFPUSHBUTTON, 0, {320, 11, 95, 23}, IDOK},
        {"BUTTON", "Find Prev", WS_TABSTOP, 0, {320, 37, 95, 23}, IDC_FIND_PREV},
        {"BUTTON", "Replace", WS_TABSTOP, 0, {320, 63, 95, 23}, IDC_REPLACE},
        {"BUTTON", "Replace All", WS_TABSTOP, 0, {320, 89, 95, 23}, IDC_REPLACE_ALL},
        {"BUTTON", "Count", WS_TABSTOP, 0, {320, 115, 95, 23}, IDC_COUNT},
        {"BUTTON", "Close", WS_TABSTOP, 0, {320, 141, 95, 23}, IDCANCEL},
    };
    CreatePopupControls(hwnd, controls, (int)(sizeof controls / sizeof controls[0]));
    CheckDlgButton(hwnd, IDC_MATCH_CASE, gFindMatchCase ? BST_CHECKED : BST_UNCHECKED);
    CheckDlgButton(hwnd, IDC_WRAP_AROUND, gFindWrapAround ? BST_CHECKED : BST_UNCHECKED);
    CheckDlgButton(hwnd, IDC_USE_REGEX, gFindRegex ? BST_CHECKED : BST_UNCHECKED);
}

void OnFindCommand(HWND hwnd, int id)
{
    switch (id) {
    case IDOK:
        ReadFindWindowFields(hwnd);
        FindInDocument(hwnd, true);
        break;
    case IDC_FIND_PREV:
        ReadFindWindowFields(hwnd);
        FindInDocument(hwnd, false);
        break;
    case IDC_REPLACE:
        ReadFindWindowFields(hwnd);
        ReplaceSelectionAndFindNext(hwnd);
        break;
    case IDC_REPLACE_ALL:
        ReadFindWindowFields(hwnd);
        ReplaceAll(hwnd);
        break;
    case IDC_COUNT:
        ReadFindWindowFields(hwnd);
        CountMatches(hwnd);
        break;
    case IDCANCEL:
        DestroyWindow(hwnd);
        break;
    }
}

} // namespace

LRESULT CALLBACK FindReplaceWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
    case WM_CREATE:
        SetPopupButtons(hwnd, kFindWindowButtons);
        CreateFindControls(hwnd);
        return 0;
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDOK:
        case IDC_FIND_PREV:
        case IDC_REPLACE:
        case IDC_REPLACE_ALL:
        case IDC_COUNT:
        case IDCANCEL:
            OnFindCommand(hwnd, LOWORD(wParam));
            return 0;
        }
        break;
    case WM_CLOSE:
        DestroyWindow(hwnd);
        return 0;
    case WM_DESTROY:
        ForgetPopupButtons(hwnd);
        if (gFindWnd == hwnd)
            gFindWnd = nullptr;
        if (gEditorWnd && IsWindow(gEditorWnd))
            SetFocus(gEditorWnd);
        return 0;
    }
    return DefWindowProcA(hwnd, msg, wParam, lParam);
}

void ShowFindWindow(HWND owner, bool replaceMode)
{
    if (gFindWnd && IsWindow(gFindWnd)) {
        SetForegroundWindow(gFindWnd);
        BringWindowToTop(gFindWnd);
        if (FillFindFieldFromSelection(gFindWnd))
            SelectWholeField(gFindWnd, IDC_FIND_WHAT);
    } else {
        if (!gFindClassRegistered) {
            RegisterPopupClass(kFindClass, FindReplaceWndProc);
            gFindClassRegistered = true;
        }
        PopupWindowSpec spec = {kFindClass,
                                replaceMode ? "Find / Replace" : "Find",
                                WS_POPUP | WS_VISIBLE | WS_CAPTION | WS_SYSMENU,
                                WS_EX_CONTROLPARENT | WS_EX_DLGMODALFRAME,
                                430,
                                204,
                                kPopupClientSize,
                                0,
                                owner};
        gFindWnd = CreatePopupWindow(spec);
        if (!gFindWnd)
            return;
        FillFindFieldFromSelection(gFindWnd);
    }
    int field = replaceMode ? IDC_REPLACE_WITH : IDC_FIND_WHAT;
    SetFocus(GetDlgItem(gFindWnd, field));
    SelectWholeField(gFindWnd, field);
}
