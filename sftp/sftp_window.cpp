#include "sftp/sftp_window.h"

#include <commctrl.h>
#include <commdlg.h>

#include <cstdlib>

#include "app/popup_window.h"
#include "document/paths.h"
#include "sftp/password_scramble.h"
#include "sftp/sftp_ids.h"

HWND gSftpDialogWnd = nullptr;
HWND gSftpDialogOwner = nullptr;
std::vector<SftpProfile> gSftpProfiles;
const PopupButtons kSftpWindowButtons = {IDC_SFTP_OPEN, IDC_SFTP_OPEN, IDC_SFTP_CANCEL};

namespace {

const char kClassName[] = "ZorvikSftpDialogClass";
const char kTitle[] = "Zorvik - SFTP";
const char kProfilesSection[] = "SFTPProfiles";
const char kLastSection[] = "SFTP";

std::string SettingsPath()
{
    char path[MAX_PATH] = {};
    GetSettingsPath(path, sizeof(path));
    return path;
}

// A stored password is longer than the other values: 255 bytes scramble to 514
// characters, more than the 512-byte buffer of the other keys takes.
std::string ReadSetting(const char* section, const std::string& key, const std::string& path, bool whole)
{
    std::vector<char> buffer(whole ? 1024 : 512);
    for (;;) {
        DWORD length = GetPrivateProfileStringA(section, key.c_str(), "", buffer.data(), (DWORD)buffer.size(),
                                                path.c_str());
        if (!whole || length + 1 < buffer.size() || buffer.size() >= 65536)
            return std::string(buffer.data(), length);
        buffer.resize(buffer.size() * 2);
    }
}

SettingsSection SectionView(const char* section, const std::string& path)
{
    return {[section, path](const std::string& key) {
                bool whole = key.compare(0, 8, "Password") == 0;
                return ReadSetting(section, key, path, whole);
            },
            [section, path](const std::string& key, int defaultValue) {
                return (int)GetPrivateProfileIntA(section, key.c_str(), defaultValue, path.c_str());
            }};
}

std::string FieldText(HWND window, int id, int maxChars)
{
    std::vector<char> buffer(maxChars + 1, 0);
    GetDlgItemTextA(window, id, buffer.data(), maxChars + 1);
    return buffer.data();
}

void SetField(HWND window, int id, const std::string& text)
{
    SetDlgItemTextA(window, id, text.c_str());
}

void SetStatus(HWND window, const char* text)
{
    SetDlgItemTextA(window, IDC_SFTP_STATUS, text);
}

int EffectivePort(int port)
{
    return port < 1 ? 22 : port;
}

// The window's fields as Open (Read) and Save read them.
struct Fields {
    std::string host, port, user, password, keyPath, remotePath;
    bool readOnly;
};

Fields ReadFields(HWND window)
{
    Fields f;
    f.host = FieldText(window, IDC_SFTP_HOST, 255);
    f.port = FieldText(window, IDC_SFTP_PORT, 31);
    f.user = FieldText(window, IDC_SFTP_USER, 127);
    f.password = FieldText(window, IDC_SFTP_PASSWORD, 255);
    f.keyPath = FieldText(window, IDC_SFTP_KEY_PATH, 259);
    f.remotePath = FieldText(window, IDC_SFTP_REMOTE_PATH, 259);
    f.readOnly = IsDlgButtonChecked(window, IDC_SFTP_READ_ONLY) == BST_CHECKED;
    return f;
}

SftpConnection ConnectionOfFields(const Fields& f)
{
    SftpConnection c;
    c.host = f.host;
    c.port = EffectivePort(atoi(f.port.c_str()));
    c.user = f.user;
    c.password = f.password;
    c.keyPath = f.keyPath;
    c.remotePath = f.remotePath;
    c.readOnly = f.readOnly;
    return c;
}

// [SFTP]: the fields as typed (the port too), with the password that was used.
void WriteLastConnection(const Fields& f, const std::string& password)
{
    std::string path = SettingsPath();
    const std::pair<const char*, std::string> values[] = {
        {"Host", f.host},         {"Port", f.port},
        {"User", f.user},         {"Password", ScramblePassword(password)},
        {"KeyPath", f.keyPath},   {"RemotePath", f.remotePath},
        {"ReadOnly", f.readOnly ? "1" : "0"},
    };
    for (const auto& v : values)
        WritePrivateProfileStringA(kLastSection, v.first, v.second.c_str(), path.c_str());
}

bool Warn(HWND window, const char* text, int focusId)
{
    MessageBoxA(window, text, kTitle, MB_ICONWARNING);
    if (focusId)
        SetFocus(GetDlgItem(window, focusId));
    return false;
}

bool Validate(HWND window, const Fields& f)
{
    if (f.host.empty())
        return Warn(window, "Please enter a valid Host / IP address.", IDC_SFTP_HOST);
    if (f.user.empty())
        return Warn(window, "Please enter a username.", IDC_SFTP_USER);
    if (f.remotePath.empty())
        return Warn(window, "Please enter the remote file path to open.", IDC_SFTP_REMOTE_PATH);
    return true;
}

void CloseSftpWindow()
{
    if (gSftpDialogWnd && IsWindow(gSftpDialogWnd))
        DestroyWindow(gSftpDialogWnd);
    gSftpDialogWnd = nullptr;
}

void OpenRead(HWND window)
{
    Fields f = ReadFields(window);
    if (!Validate(window, f))
        return;
    SftpConnection c = ConnectionOfFields(f);
    if (c.password.empty()) {
        c.password = LookupCachedPassword(c);
        if (!c.password.empty())
            SetField(window, IDC_SFTP_PASSWORD, c.password);
    }
    int index = FindTabBySftpUrl(FormatConnectionUrl(c));
    if (index >= 0) {
        WriteLastConnection(f, c.password);
        AddOrUpdateSftpProfile(c, nullptr);
        CacheSftpPassword(c);
        CloseSftpWindow();
        SwitchToOpenRemoteTab(index);
        return;
    }
    if (c.password.empty() && c.keyPath.empty()) {
        Warn(window, "Please enter a password or select a private key file.", IDC_SFTP_PASSWORD);
        return;
    }

    SetStatus(window, "Connecting & downloading remote file...");
    UpdateWindow(window);
    EnableWindow(GetDlgItem(window, IDC_SFTP_OPEN), FALSE);
    HCURSOR previous = SetCursor(LoadCursor(nullptr, IDC_WAIT));
    std::string local, error;
    bool ok = DownloadSftpFile(window, c, &local, &error);
    SetCursor(previous);
    // The window may have been closed during the download (its Cancel does not stop it).
    bool windowLives = IsWindow(window) != FALSE;
    if (windowLives)
        EnableWindow(GetDlgItem(window, IDC_SFTP_OPEN), TRUE);

    if (ok) {
        WriteLastConnection(f, c.password);
        AddOrUpdateSftpProfile(c, nullptr);
        CacheSftpPassword(c);
        HWND owner = gSftpDialogOwner;
        if (!owner && windowLives)
            owner = GetParent(window);
        if (windowLives)
            CloseSftpWindow();
        OpenSftpDownloadInTab(owner, c, local);
        return;
    }
    // A failure is reported where it can still be seen: the window, else its owner; not
    // at all when both are gone (the program is closing).
    HWND reportTo = windowLives ? window : (IsWindow(gSftpDialogOwner) ? gSftpDialogOwner : nullptr);
    if (windowLives)
        SetStatus(window, "Download failed.");
    if (reportTo)
        MessageBoxA(reportTo, error.c_str(), "Zorvik - SFTP Download Error", MB_ICONERROR);
}

void SaveProfile(HWND window)
{
    Fields f = ReadFields(window);
    std::string name = FieldText(window, IDC_SFTP_PROFILE_NAME, 255);
    if (f.host.empty() || f.user.empty()) {
        MessageBoxA(window, "Host and Username are required to save a connection.", kTitle, MB_ICONWARNING);
        return;
    }
    SftpConnection c = ConnectionOfFields(f);
    if (name.empty())
        name = DefaultProfileName(c.user, c.host, c.port);
    CacheSftpPassword(c);
    AddOrUpdateSftpProfile(c, name.c_str());
    FillSavedConnectionsCombo(window);
    int found = FindProfileByName(gSftpProfiles, name);
    if (found >= 0)
        SendDlgItemMessageA(window, IDC_SFTP_PROFILES, CB_SETCURSEL, found + 1, 0);
    SetStatus(window, "Connection saved.");
}

void DeleteProfile(HWND window)
{
    int sel = (int)SendDlgItemMessageA(window, IDC_SFTP_PROFILES, CB_GETCURSEL, 0, 0);
    if (sel < 1 || sel > (int)gSftpProfiles.size()) {
        MessageBoxA(window, "Select a saved connection to delete.", kTitle, MB_ICONINFORMATION);
        return;
    }
    char question[300];
    snprintf(question, sizeof(question), "Delete saved connection \"%s\"?", gSftpProfiles[sel - 1].name.c_str());
    if (MessageBoxA(window, question, kTitle, MB_ICONQUESTION | MB_YESNO) != IDYES)
        return;
    // The question's message loop may have changed the list (another window's Save).
    if (sel > (int)gSftpProfiles.size())
        return;
    gSftpProfiles.erase(gSftpProfiles.begin() + (sel - 1));
    SaveSftpProfiles();
    FillSavedConnectionsCombo(window);
    SetStatus(window, "Connection deleted.");
}

void BrowseKey(HWND window)
{
    char file[MAX_PATH] = {};
    OPENFILENAMEA ofn = {};
    ofn.lStructSize = sizeof(ofn);
    ofn.hwndOwner = window;
    ofn.lpstrFilter = "PuTTY Private Key (*.ppk)\0*.ppk\0All Key Files (*.ppk;*.pem;*.key)\0*.ppk;*.pem;*.key\0"
                      "All Files (*.*)\0*.*\0";
    ofn.nFilterIndex = 1;
    ofn.lpstrFile = file;
    ofn.nMaxFile = sizeof(file);
    ofn.Flags = OFN_FILEMUSTEXIST | OFN_HIDEREADONLY;
    if (GetOpenFileNameA(&ofn))
        SetField(window, IDC_SFTP_KEY_PATH, file);
}

void LoadSftpProfiles()
{
    std::string path = SettingsPath();
    gSftpProfiles = LoadProfilesFromSection(SectionView(kProfilesSection, path));
    SftpProfile last;
    if (gSftpProfiles.empty() && ProfileFromLastConnection(SectionView(kLastSection, path), &last))
        gSftpProfiles.push_back(last);
}

// WM_CREATE step 6 and 7: [SFTP] into the fields, else a cached password.
void FillFromLastConnection(HWND window)
{
    std::string path = SettingsPath();
    SettingsSection last = SectionView(kLastSection, path);
    std::string host = last.readString("Host");
    if (!host.empty())
        SetField(window, IDC_SFTP_HOST, host);
    SetField(window, IDC_SFTP_PORT, std::to_string(EffectivePort(last.readInt("Port", 22))));
    std::string user = last.readString("User");
    if (!user.empty())
        SetField(window, IDC_SFTP_USER, user);
    std::string stored = last.readString("Password");
    if (!stored.empty())
        SetField(window, IDC_SFTP_PASSWORD, UnscramblePassword(stored));
    for (auto key : {std::make_pair("KeyPath", IDC_SFTP_KEY_PATH), std::make_pair("RemotePath", IDC_SFTP_REMOTE_PATH)}) {
        std::string value = last.readString(key.first);
        if (!value.empty())
            SetField(window, key.second, value);
    }
    CheckDlgButton(window, IDC_SFTP_READ_ONLY, last.readInt("ReadOnly", 1) != 0 ? BST_CHECKED : BST_UNCHECKED);

    if (FieldText(window, IDC_SFTP_PASSWORD, 255).empty()) {
        SftpConnection c;
        c.host = FieldText(window, IDC_SFTP_HOST, 255);
        c.user = FieldText(window, IDC_SFTP_USER, 127);
        c.port = atoi(FieldText(window, IDC_SFTP_PORT, 31).c_str());
        std::string cached = LookupCachedPassword(c);
        if (!cached.empty())
            SetField(window, IDC_SFTP_PASSWORD, cached);
    }
}

void CreateSftpControls(HWND window)
{
    const DWORD edit = WS_TABSTOP | ES_AUTOHSCROLL;
    const DWORD edge = WS_EX_CLIENTEDGE;
    const PopupControl controls[] = {
        {"BUTTON", "Saved Connections", BS_GROUPBOX, 0, {10, 6, 420, 58}},
        {"COMBOBOX", "", CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP, 0, {20, 26, 230, 200}, IDC_SFTP_PROFILES},
        {"BUTTON", "Save", WS_TABSTOP, 0, {258, 26, 55, 22}, IDC_SFTP_SAVE_PROFILE},
        {"BUTTON", "Delete", WS_TABSTOP, 0, {318, 26, 55, 22}, IDC_SFTP_DELETE_PROFILE},
        {"EDIT", "", edit, edge, {20, 50, 1, 1}, IDC_SFTP_PROFILE_NAME, kControlHidden},
        {"BUTTON", "Server Connection", BS_GROUPBOX, 0, {10, 70, 420, 130}},
        {"STATIC", "Host / IP:", 0, 0, {24, 92, 65, 18}},
        {"EDIT", "", edit, edge, {95, 89, 205, 22}, IDC_SFTP_HOST},
        {"STATIC", "Port:", 0, 0, {310, 92, 35, 18}},
        {"EDIT", "22", edit | ES_NUMBER, edge, {350, 89, 65, 22}, IDC_SFTP_PORT},
        {"STATIC", "Username:", 0, 0, {24, 120, 65, 18}},
        {"EDIT", "", edit, edge, {95, 117, 135, 22}, IDC_SFTP_USER},
        {"STATIC", "Password:", 0, 0, {240, 120, 65, 18}},
        {"EDIT", "", edit | ES_PASSWORD, edge, {308, 117, 107, 22}, IDC_SFTP_PASSWORD},
        {"STATIC", "Private Key:", 0, 0, {24, 148, 68, 18}},
        {"EDIT", "", edit, edge, {95, 145, 235, 22}, IDC_SFTP_KEY_PATH},
        {"BUTTON", "Browse...", WS_TABSTOP, 0, {338, 145, 77, 22}, IDC_SFTP_BROWSE_KEY},
        {"BUTTON", "Remote File", BS_GROUPBOX, 0, {10, 208, 420, 65}},
        {"STATIC", "Path:", 0, 0, {24, 235, 65, 18}},
        {"EDIT", "", edit, edge, {95, 232, 320, 22}, IDC_SFTP_REMOTE_PATH},
        {"BUTTON", "Open in Read-Only Mode (protect from accidental changes)", BS_AUTOCHECKBOX | WS_TABSTOP, 0,
         {15, 282, 410, 20}, IDC_SFTP_READ_ONLY},
        {"STATIC", "Ready to connect", 0, 0, {15, 310, 250, 36}, IDC_SFTP_STATUS},
        {"BUTTON", "Open (Read)", BS_DEFPUSHBUTTON | WS_TABSTOP, 0, {270, 312, 90, 26}, IDC_SFTP_OPEN},
        {"BUTTON", "Cancel", WS_TABSTOP, 0, {368, 312, 62, 26}, IDC_SFTP_CANCEL},
    };
    CreatePopupControls(window, controls, ARRAYSIZE(controls));
    CheckDlgButton(window, IDC_SFTP_READ_ONLY, BST_CHECKED);
}

void OnCreate(HWND window, const CREATESTRUCTA* create)
{
    gSftpDialogWnd = window;
    gSftpDialogOwner = (HWND)create->lpCreateParams;
    SetPopupButtons(window, kSftpWindowButtons);
    CreateSftpControls(window);
    LoadSftpProfiles();
    FillSavedConnectionsCombo(window);
    FillFromLastConnection(window);
    if (!gSftpProfiles.empty()) {
        SendDlgItemMessageA(window, IDC_SFTP_PROFILES, CB_SETCURSEL, 1, 0);
        FillSftpDialogFromProfile(window, gSftpProfiles.front());
    }
    SetFocus(GetDlgItem(window, IDC_SFTP_REMOTE_PATH));
    SubclassDialogEdits(window);
}

bool OnCommand(HWND window, int id, int code)
{
    if (id == IDC_SFTP_PROFILES && code == CBN_SELCHANGE) {
        int sel = (int)SendDlgItemMessageA(window, IDC_SFTP_PROFILES, CB_GETCURSEL, 0, 0);
        if (sel >= 1 && sel <= (int)gSftpProfiles.size())
            FillSftpDialogFromProfile(window, gSftpProfiles[sel - 1]);
        return true;
    }
    switch (id) {
    case IDCANCEL:
    case IDC_SFTP_CANCEL:
        CloseSftpWindow();
        return true;
    case IDC_SFTP_BROWSE_KEY:
        BrowseKey(window);
        return true;
    case IDC_SFTP_OPEN:
        OpenRead(window);
        return true;
    case IDC_SFTP_SAVE_PROFILE:
        SaveProfile(window);
        return true;
    case IDC_SFTP_DELETE_PROFILE:
        DeleteProfile(window);
        return true;
    }
    return false;
}

} // namespace

void ShowSftpDialog(HWND owner)
{
    if (gSftpDialogWnd && IsWindow(gSftpDialogWnd)) {
        SetForegroundWindow(gSftpDialogWnd);
        return;
    }
    RegisterPopupClass(kClassName, SftpDialogWndProc);
    PopupWindowSpec spec = {kClassName, "Open Remote File via SFTP", WS_POPUPWINDOW | WS_DLGFRAME | WS_VISIBLE,
                            WS_EX_TOPMOST | WS_EX_DLGMODALFRAME, 442, 352, kPopupClientSize, kNoPlacementMinimum,
                            owner, owner};
    HWND window = CreatePopupWindow(spec);
    if (!window)
        return;
    gSftpDialogWnd = window;
    ShowWindow(window, SW_SHOW);
    UpdateWindow(window);
    SubclassDialogEdits(window);
}

LRESULT CALLBACK SftpDialogWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
    case WM_CREATE:
        OnCreate(hwnd, (const CREATESTRUCTA*)lParam);
        return 0;
    case WM_COMMAND:
        if (OnCommand(hwnd, LOWORD(wParam), HIWORD(wParam)))
            return 0;
        break;
    case WM_CLOSE:
        CloseSftpWindow();
        return 0;
    case WM_KEYDOWN:
        if (wParam == 'A' && GetKeyState(VK_CONTROL) < 0 && GetKeyState(VK_MENU) >= 0) {
            HWND focus = GetFocus();
            if (focus && IsChild(hwnd, focus))
                SendMessageA(focus, EM_SETSEL, 0, -1);
            return 0;
        }
        break;
    case WM_DESTROY:
        ForgetPopupButtons(hwnd);
        if (gSftpDialogWnd == hwnd)
            gSftpDialogWnd = nullptr;
        return 0;
    }
    return DefWindowProcA(hwnd, msg, wParam, lParam);
}

void FillSavedConnectionsCombo(HWND window)
{
    HWND combo = GetDlgItem(window, IDC_SFTP_PROFILES);
    if (!combo)
        return;
    SendMessageA(combo, CB_RESETCONTENT, 0, 0);
    SendMessageA(combo, CB_ADDSTRING, 0, (LPARAM) "(Select saved connection...)");
    for (const SftpProfile& p : gSftpProfiles)
        SendMessageA(combo, CB_ADDSTRING, 0, (LPARAM)p.name.c_str());
    SendMessageA(combo, CB_SETCURSEL, 0, 0);
}

void FillSftpDialogFromProfile(HWND window, const SftpProfile& profile)
{
    SetField(window, IDC_SFTP_HOST, profile.host);
    SetField(window, IDC_SFTP_PORT, std::to_string(EffectivePort(profile.port)));
    SetField(window, IDC_SFTP_USER, profile.user);
    SetField(window, IDC_SFTP_KEY_PATH, profile.keyPath);
    SetField(window, IDC_SFTP_REMOTE_PATH, profile.remotePath);
    CheckDlgButton(window, IDC_SFTP_READ_ONLY, profile.readOnly ? BST_CHECKED : BST_UNCHECKED);
    SetField(window, IDC_SFTP_PROFILE_NAME, profile.name);
    SftpConnection c = ConnectionOfProfile(profile);
    if (c.password.empty())
        c.password = LookupCachedPassword(c);
    SetField(window, IDC_SFTP_PASSWORD, c.password);
    CacheSftpPassword(c);
}

void AddOrUpdateSftpProfile(const SftpConnection& connection, const char* name)
{
    AddOrUpdateProfileInList(gSftpProfiles, connection, name);
    SaveSftpProfiles();
}

void SaveSftpProfiles()
{
    std::string path = SettingsPath();
    for (const SettingsWrite& w : ProfileSectionWrites(gSftpProfiles))
        WritePrivateProfileStringA(kProfilesSection, w.key.c_str(), w.remove ? nullptr : w.value.c_str(),
                                   path.c_str());
}
