// The SFTP window with its saved connections, remote documents and Refresh from SFTP, in
// the real main window, with the stand-in client.
#include <doctest/doctest.h>

#include <windows.h>

#include <commctrl.h>

#include <string>
#include <vector>

#include "app/main_window.h"
#include "app/save_as.h"
#include "app/tabs.h"
#include "document/document.h"
#include "document/save.h"
#include "document/session.h"
#include "document/textcodec.h"
#include "document/undo.h"
#include "sftp/password_scramble.h"
#include "sftp/sftp_ids.h"
#include "sftp/sftp_window.h"
#include "tests/window/harness.h"
#include "tests/window/sftp_support.h"

namespace {

const int kNewTab = 1001;
const int kRefresh = 1026;

struct Fixture : TestWindow {
    std::string temp;
    std::string record = ExeFolder() + "standin record.txt";
    explicit Fixture(const char* settings = nullptr) : TestWindow(settings)
    {
        temp = UsePrivateFolders();
        PlaceClientBesideProgram(StandinClientPath());
        DeleteFiles(temp, "zrvk_sftp_*");
        gSftpPasswordCache.clear();
        gSftpProfiles.clear();
        Behave(StandinBehaviour());
    }
    ~Fixture()
    {
        if (gSftpDialogWnd)
            DestroyWindow(gSftpDialogWnd);
        SetStandinBehaviour(StandinBehaviour());
        DeleteFileA(record.c_str());
        DeleteFiles(temp, "zrvk_sftp_*");
        gSftpPasswordCache.clear();
    }
    void Behave(StandinBehaviour b)
    {
        DeleteFileA(record.c_str());
        b.record = record;
        SetStandinBehaviour(b);
    }
    bool ClientRan() const { return GetFileAttributesA(record.c_str()) != INVALID_FILE_ATTRIBUTES; }
};

std::string Ini(const char* section, const std::string& key)
{
    char value[4096] = "";
    GetPrivateProfileStringA(section, key.c_str(), "<none>", value, sizeof(value), (ExeFolder() + "Zorvik.ini").c_str());
    return value;
}

HWND OpenSftpWindow(HWND mainWnd)
{
    ShowSftpDialog(mainWnd);
    PumpMessages(mainWnd, 20);
    return gSftpDialogWnd;
}

std::string Field(int id)
{
    char text[1024] = "";
    GetDlgItemTextA(gSftpDialogWnd, id, text, sizeof(text));
    return text;
}

void SetField(int id, const std::string& text)
{
    SetDlgItemTextA(gSftpDialogWnd, id, text.c_str());
}

void Press(int id)
{
    SendMessageA(gSftpDialogWnd, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), (LPARAM)GetDlgItem(gSftpDialogWnd, id));
}

int ComboCount()
{
    return (int)SendDlgItemMessageA(gSftpDialogWnd, IDC_SFTP_PROFILES, CB_GETCOUNT, 0, 0);
}

int ComboSelection()
{
    return (int)SendDlgItemMessageA(gSftpDialogWnd, IDC_SFTP_PROFILES, CB_GETCURSEL, 0, 0);
}

void FillConnection(const char* host, const char* port, const char* user, const char* password, const char* remote,
                    bool readOnly = true)
{
    SetField(IDC_SFTP_PROFILE_NAME, "");
    SetField(IDC_SFTP_HOST, host);
    SetField(IDC_SFTP_PORT, port);
    SetField(IDC_SFTP_USER, user);
    SetField(IDC_SFTP_PASSWORD, password);
    SetField(IDC_SFTP_KEY_PATH, "");
    SetField(IDC_SFTP_REMOTE_PATH, remote);
    CheckDlgButton(gSftpDialogWnd, IDC_SFTP_READ_ONLY, readOnly ? BST_CHECKED : BST_UNCHECKED);
}

SftpConnection Remote(const char* remotePath, bool readOnly = false)
{
    SftpConnection c;
    c.host = "example.test";
    c.user = "tester";
    c.password = "pw";
    c.remotePath = remotePath;
    c.readOnly = readOnly;
    return c;
}

// Downloads with the stand-in and opens the copy in a tab, as Open (Read) does.
void OpenRemote(HWND mainWnd, const SftpConnection& c)
{
    std::string local, error;
    REQUIRE_MESSAGE(DownloadSftpFile(nullptr, c, &local, &error), error);
    REQUIRE(OpenSftpDownloadInTab(mainWnd, c, local));
}

// What a timer does during a download or a prompt.
void (*gDuringWait)() = nullptr;
VOID CALLBACK RunDuringWait(HWND, UINT, UINT_PTR id, DWORD)
{
    KillTimer(nullptr, id);
    if (gDuringWait)
        gDuringWait();
}

void DuringWait(void (*action)(), UINT ms = 200)
{
    gDuringWait = action;
    SetTimer(nullptr, 0, ms, RunDuringWait);
}

std::string gPromptTitle;
std::string gPromptAnswer;
void AnswerPrompt()
{
    HWND prompt = FindWindowA("ZorvikSftpPassDialogClass", nullptr);
    if (!prompt)
        return;
    char title[256] = "";
    GetWindowTextA(prompt, title, sizeof(title));
    gPromptTitle = title;
    if (gPromptAnswer == "<cancel>") {
        SendMessageA(prompt, WM_COMMAND, IDCANCEL, 0);
        return;
    }
    SetDlgItemTextA(prompt, IDC_PROMPT_PASSWORD, gPromptAnswer.c_str());
    SendMessageA(prompt, WM_COMMAND, IDOK, 0);
}

} // namespace

TEST_CASE("saved connections round-trip through the settings file")
{
    const std::string longPassword(255, 'L');
    std::string settings = "[SFTPProfiles]\r\nCount=25\r\n"
                           "Name1=Work\r\nHost1=h1\r\nPort1=2200\r\nUser1=u1\r\nPassword1=" +
                           ScramblePassword(longPassword) + "\r\nRemotePath1=/r1\r\nReadOnly1=0\r\n"
                           "Name2=ghost\r\nHost2=\r\nUser2=x\r\n";
    for (int d = 3; d <= 25; ++d)
        settings += "Host" + std::to_string(d) + "=h" + std::to_string(d) + "\r\nUser" + std::to_string(d) + "=u\r\n";
    Fixture f(settings.c_str());
    REQUIRE(OpenSftpWindow(f.hwnd));

    // 20 entries read, the one without a host dropped; the most recent one shown.
    CHECK(ComboCount() == 1 + 19);
    CHECK(ComboSelection() == 1);
    CHECK(Field(IDC_SFTP_HOST) == "h1");
    CHECK(Field(IDC_SFTP_PORT) == "2200");
    CHECK(Field(IDC_SFTP_USER) == "u1");
    CHECK(Field(IDC_SFTP_PASSWORD) == longPassword);
    CHECK(Field(IDC_SFTP_REMOTE_PATH) == "/r1");
    CHECK(IsDlgButtonChecked(gSftpDialogWnd, IDC_SFTP_READ_ONLY) == BST_UNCHECKED);
    CHECK(Field(IDC_SFTP_PROFILE_NAME) == "Work");
    CHECK(GetFocus() == GetDlgItem(gSftpDialogWnd, IDC_SFTP_REMOTE_PATH));

    // Saving with an empty password field keeps the stored (long) password whole.
    SetField(IDC_SFTP_PASSWORD, "");
    SetField(IDC_SFTP_REMOTE_PATH, "/r1b");
    Press(IDC_SFTP_SAVE_PROFILE);
    CHECK(Field(IDC_SFTP_STATUS) == "Connection saved.");
    CHECK(Ini("SFTPProfiles", "Count") == "19");
    CHECK(Ini("SFTPProfiles", "Name1") == "Work");
    CHECK(Ini("SFTPProfiles", "RemotePath1") == "/r1b");
    CHECK(Ini("SFTPProfiles", "Password1") == ScramblePassword(longPassword));
    CHECK(Ini("SFTPProfiles", "Name2") == "u@h3:22");
    CHECK(Ini("SFTPProfiles", "Host20") == "<none>");
    CHECK(Ini("SFTPProfiles", "Host21") == "h21");  // numbers above 20 are never touched

    // Read back in a new window: the long password survives the settings file.
    Press(IDC_SFTP_CANCEL);
    CHECK(gSftpDialogWnd == nullptr);
    gSftpPasswordCache.clear();
    REQUIRE(OpenSftpWindow(f.hwnd));
    CHECK(Field(IDC_SFTP_PASSWORD) == longPassword);
    CHECK(Field(IDC_SFTP_REMOTE_PATH) == "/r1b");

    // Two new connections: the list holds 20, the least recently used one goes.
    FillConnection("new1", "22", "n", "", "/a");
    Press(IDC_SFTP_SAVE_PROFILE);
    FillConnection("new2", "22", "n", "", "/b");
    Press(IDC_SFTP_SAVE_PROFILE);
    CHECK(Ini("SFTPProfiles", "Count") == "20");
    CHECK(Ini("SFTPProfiles", "Name1") == "n@new2:22");
    CHECK(Ini("SFTPProfiles", "Name2") == "n@new1:22");
    CHECK(Ini("SFTPProfiles", "Name3") == "Work");
    CHECK(Ini("SFTPProfiles", "Host20") == "h19");
    CHECK(ComboSelection() == 1);

    // Deleting asks first; the fields and the remembered name stay.
    {
        MessageBoxAnswers answers({IDNO, IDYES});
        SendDlgItemMessageA(gSftpDialogWnd, IDC_SFTP_PROFILES, CB_SETCURSEL, 3, 0);
        Press(IDC_SFTP_DELETE_PROFILE);
        CHECK(Ini("SFTPProfiles", "Count") == "20");
        SendDlgItemMessageA(gSftpDialogWnd, IDC_SFTP_PROFILES, CB_SETCURSEL, 3, 0);
        Press(IDC_SFTP_DELETE_PROFILE);
        REQUIRE(answers.seen.size() == 2);
        CHECK(answers.seen[0].text == "Delete saved connection \"Work\"?");
    }
    CHECK(Ini("SFTPProfiles", "Count") == "19");
    CHECK(Ini("SFTPProfiles", "Name3") == "u@h3:22");
    CHECK(Field(IDC_SFTP_HOST) == "new2");
    CHECK(Field(IDC_SFTP_STATUS) == "Connection deleted.");
    {
        MessageBoxAnswers answers;
        Press(IDC_SFTP_DELETE_PROFILE);
        REQUIRE(answers.seen.size() == 1);
        CHECK(answers.seen[0].text == "Select a saved connection to delete.");
    }
}

TEST_CASE("without saved connections the last one used becomes the first")
{
    std::string settings = "[SFTP]\r\nHost=h\r\nPort=\r\nUser=u\r\nPassword=" + ScramblePassword("pw") +
                           "\r\nRemotePath=/x\r\nReadOnly=0\r\n";
    Fixture f(settings.c_str());
    REQUIRE(OpenSftpWindow(f.hwnd));
    CHECK(ComboCount() == 2);
    CHECK(ComboSelection() == 1);
    CHECK(Field(IDC_SFTP_PROFILE_NAME) == "u@h:22");
    CHECK(Field(IDC_SFTP_PORT) == "22");
    CHECK(Field(IDC_SFTP_PASSWORD) == "pw");
    CHECK(Field(IDC_SFTP_REMOTE_PATH) == "/x");
    CHECK(Ini("SFTPProfiles", "Count") == "<none>");
    CHECK(LookupCachedPassword(Remote("/x")).empty());
    SftpConnection c;
    c.host = "h";
    c.user = "u";
    CHECK(LookupCachedPassword(c) == "pw");
}

TEST_CASE("Open (Read) refuses incomplete fields")
{
    Fixture f;
    REQUIRE(OpenSftpWindow(f.hwnd));
    struct Row {
        const char *host, *user, *remote, *password;
        std::string message;
        int focus;
    };
    const Row rows[] = {
        {"", "u", "/r", "p", "Please enter a valid Host / IP address.", IDC_SFTP_HOST},
        {"h", "", "/r", "p", "Please enter a username.", IDC_SFTP_USER},
        {"h", "u", "", "p", "Please enter the remote file path to open.", IDC_SFTP_REMOTE_PATH},
        {"h", "u", "/r", "", "Please enter a password or select a private key file.", IDC_SFTP_PASSWORD},
    };
    for (const Row& row : rows) {
        CAPTURE(row.message);
        FillConnection(row.host, "22", row.user, row.password, row.remote);
        MessageBoxAnswers answers;
        Press(IDC_SFTP_OPEN);
        REQUIRE(answers.seen.size() == 1);
        CHECK(answers.seen[0].title == "Zorvik - SFTP");
        CHECK(answers.seen[0].text == row.message);
        CHECK(GetFocus() == GetDlgItem(gSftpDialogWnd, row.focus));
    }
    CHECK_FALSE(f.ClientRan());
    CHECK(TabCount() == 1);
    {
        MessageBoxAnswers answers;
        SetField(IDC_SFTP_HOST, "");
        Press(IDC_SFTP_SAVE_PROFILE);
        REQUIRE(answers.seen.size() == 1);
        CHECK(answers.seen[0].text == "Host and Username are required to save a connection.");
    }
}

TEST_CASE("Open (Read) downloads into a tab, remembers the connection, and switches to an open one")
{
    Fixture f;
    REQUIRE(OpenSftpWindow(f.hwnd));
    FillConnection("example.test", "", "tester", "pw", "/home/tester/app.conf");
    Press(IDC_SFTP_OPEN);
    CHECK(gSftpDialogWnd == nullptr);
    REQUIRE(TabCount() == 1);  // the lone empty tab was replaced
    CHECK(TabTitle(0) == "app.conf [SFTP]");
    CHECK(EditorText() == "remote text\r\n");
    CHECK((GetWindowLongA(gEditorWnd, GWL_STYLE) & ES_READONLY) != 0);
    TabDocument* doc = GetActiveDocument();
    CHECK(std::string(doc->sftpUrl) == "sftp://tester@example.test:22/home/tester/app.conf");
    CHECK(std::string(doc->path).rfind(f.temp + "zrvk_sftp_", 0) == 0);
    CHECK(doc->sftpKeyPath == nullptr);
    CHECK(Ini("SFTP", "Port") == "");
    CHECK(Ini("SFTP", "Password") == ScramblePassword("pw"));
    CHECK(Ini("SFTP", "ReadOnly") == "1");
    CHECK(Ini("SFTPProfiles", "Name1") == "tester@example.test:22");
    CHECK(LookupCachedPassword(Remote("")) == "pw");

    // The same URL again: no download and no password needed, the tab is shown.
    SendMessageA(f.hwnd, WM_COMMAND, kNewTab, 0);
    REQUIRE(OpenSftpWindow(f.hwnd));
    CHECK(Field(IDC_SFTP_REMOTE_PATH) == "/home/tester/app.conf");
    SetField(IDC_SFTP_PORT, "22");
    SetField(IDC_SFTP_PASSWORD, "");
    f.Behave(StandinBehaviour());
    Press(IDC_SFTP_OPEN);
    CHECK_FALSE(f.ClientRan());
    CHECK(TabCount() == 2);
    CHECK(SelectedTab() == 0);
    CHECK(StatusText() == "SFTP file is already open - switched to existing tab");
    CHECK(gSftpDialogWnd == nullptr);
    CHECK(Ini("SFTP", "Port") == "22");

    // Another case of the user name is another URL; a path without a separator is the
    // whole title, and its copy is named sftp_download.txt.
    REQUIRE(OpenSftpWindow(f.hwnd));
    FillConnection("example.test", "22", "TESTER", "pw", "notes.txt");
    Press(IDC_SFTP_OPEN);
    REQUIRE(TabCount() == 3);
    CHECK(TabTitle(2) == "notes.txt [SFTP]");
    std::string path = GetActiveDocument()->path;
    CHECK(path.substr(path.size() - 18) == "_sftp_download.txt");
}

TEST_CASE("a failed download keeps the window and shows the client's words")
{
    Fixture f;
    REQUIRE(OpenSftpWindow(f.hwnd));
    StandinBehaviour b;
    b.exitCode = 2;
    b.createFile = false;
    b.output = "open for read: no such file or directory\n";
    f.Behave(b);
    FillConnection("example.test", "22", "tester", "pw", "/missing.txt");
    MessageBoxAnswers answers;
    Press(IDC_SFTP_OPEN);
    REQUIRE(answers.seen.size() == 1);
    CHECK(answers.seen[0].title == "Zorvik - SFTP Download Error");
    CHECK(answers.seen[0].text == "SFTP transfer error:\n\nopen for read: no such file or directory\n");
    REQUIRE(gSftpDialogWnd != nullptr);
    CHECK(Field(IDC_SFTP_STATUS) == "Download failed.");
    CHECK(IsWindowEnabled(GetDlgItem(gSftpDialogWnd, IDC_SFTP_OPEN)));
    CHECK(TabCount() == 1);
    CHECK(CountFiles(f.temp, "zrvk_sftp_*") == 0);
}

TEST_CASE("closing the main window during a download stops the client and lets the program end")
{
    Fixture f;
    REQUIRE(OpenSftpWindow(f.hwnd));
    StandinBehaviour b;
    b.sleepMs = 20000;
    f.Behave(b);
    FillConnection("example.test", "22", "tester", "pw", "/slow.txt");
    static HWND mainWnd;
    mainWnd = f.hwnd;
    DuringWait([] { PostMessageA(mainWnd, WM_CLOSE, 0, 0); }, 300);
    MessageBoxAnswers answers;
    DWORD start = GetTickCount();
    Press(IDC_SFTP_OPEN);
    CHECK(GetTickCount() - start < 10000);
    CHECK_FALSE(IsWindow(f.hwnd));
    CHECK(gSftpDialogWnd == nullptr);
    CHECK(answers.seen.empty());
    CHECK(RunningOwnClients() == 0);
    MSG msg;
    CHECK(PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
}

TEST_CASE("Refresh from SFTP: the question, one undo step, and the copies it replaces")
{
    Fixture f;
    {
        MessageBoxAnswers answers;
        SendMessageA(f.hwnd, WM_COMMAND, kRefresh, 0);
        REQUIRE(answers.seen.size() == 1);
        CHECK(answers.seen[0].title == "Zorvik - Refresh SFTP");
        CHECK(answers.seen[0].text == "Current tab is not an SFTP remote file.");
    }
    OpenRemote(f.hwnd, Remote("/srv/app.log"));
    CacheSftpPassword(Remote("/srv/app.log"));
    std::string firstCopy = GetActiveDocument()->path;
    TypeText("typed ");
    StandinBehaviour b;
    b.content = "new remote\r\n";
    f.Behave(b);
    {
        MessageBoxAnswers answers({IDNO});
        SendMessageA(f.hwnd, WM_COMMAND, kRefresh, 0);
        REQUIRE(answers.seen.size() == 1);
        CHECK(answers.seen[0].text == "Current unsaved changes will be lost.\nReload the remote file from SFTP?");
    }
    CHECK_FALSE(f.ClientRan());
    CHECK(EditorText() == "typed remote text\r\n");
    {
        MessageBoxAnswers answers({IDYES});
        SendMessageA(f.hwnd, WM_COMMAND, kRefresh, 0);
        CHECK(answers.seen.size() == 1);
    }
    CHECK(EditorText() == "new remote\r\n");
    CHECK(StatusText() == "SFTP file refreshed from server");
    std::string secondCopy = GetActiveDocument()->path;
    CHECK(secondCopy != firstCopy);
    CHECK(ReadFileBytes(secondCopy) == "new remote\r\n");
    CHECK(GetFileAttributesA(firstCopy.c_str()) == INVALID_FILE_ATTRIBUTES);
    CHECK(TabTitle(0) == "app.log [SFTP]");

    // The refresh is one step: the typing before it is the step before.
    REQUIRE(Undo(gEditorWnd));
    CHECK(EditorText() == "typed remote text\r\n");
    REQUIRE(Undo(gEditorWnd));
    CHECK(EditorText() == "remote text\r\n");
    REQUIRE(Redo(gEditorWnd));
    REQUIRE(Redo(gEditorWnd));
    CHECK(EditorText() == "new remote\r\n");

    // A copy the user saved elsewhere with Save As is the user's: Refresh leaves it.
    std::string saved = ExeFolder() + "saved remote.log";
    f.files.push_back(saved);
    REQUIRE(SaveActiveDocumentAs(f.hwnd, saved.c_str()));
    b.content = "third\r\n";
    f.Behave(b);
    SendMessageA(f.hwnd, WM_COMMAND, kRefresh, 0);
    CHECK(EditorText() == "third\r\n");
    CHECK(ReadFileBytes(saved) == "new remote\r\n");
}

TEST_CASE("Refresh asks for a password only when none is cached and the document has no key")
{
    Fixture f;
    OpenRemote(f.hwnd, Remote("/etc/hosts", true));
    gSftpPasswordCache.clear();

    gPromptAnswer = "<cancel>";
    gPromptTitle.clear();
    f.Behave(StandinBehaviour());
    DuringWait(AnswerPrompt);
    CHECK_FALSE(RefreshFromSftp(f.hwnd));
    CHECK(gPromptTitle == "SFTP Password - tester@example.test");
    CHECK_FALSE(f.ClientRan());
    CHECK(IsWindowEnabled(f.hwnd));

    gPromptAnswer = "typed pw";
    DuringWait(AnswerPrompt);
    CHECK(RefreshFromSftp(f.hwnd));
    CHECK(f.ClientRan());
    CHECK(LookupCachedPassword(Remote("")) == "typed pw");
    // A read-only document stays read-only.
    CHECK((GetWindowLongA(gEditorWnd, GWL_STYLE) & ES_READONLY) != 0);

    // Cached now: no prompt.
    gPromptTitle.clear();
    DuringWait(AnswerPrompt);
    CHECK(RefreshFromSftp(f.hwnd));
    PumpMessages(f.hwnd, 300);
    CHECK(gPromptTitle.empty());

    // A document with its own key file needs none either.
    gSftpPasswordCache.clear();
    SftpConnection keyed = Remote("/etc/keyed");
    keyed.password = "";
    keyed.keyPath = "C:\\keys\\id.ppk";
    OpenRemote(f.hwnd, keyed);
    DuringWait(AnswerPrompt);
    CHECK(RefreshFromSftp(f.hwnd));
    PumpMessages(f.hwnd, 300);
    CHECK(gPromptTitle.empty());
}

TEST_CASE("a remote file whose text the code page cannot hold is read-only until a refresh reads it whole")
{
    Fixture f;
    StandinBehaviour b;
    b.content = "\xEF\xBB\xBF\xD0\x9F\xD1\x80\xD0\xB8 remote\r\n"; // Cyrillic in UTF-8
    f.Behave(b);
    OpenRemote(f.hwnd, Remote("/srv/ru.txt"));
    CacheSftpPassword(Remote(""));
    TabDocument* doc = GetActiveDocument();
    CHECK(doc->textLoss == TextLostCharacters);
    CHECK(doc->readOnly);
    CHECK((GetWindowLongA(gEditorWnd, GWL_STYLE) & ES_READONLY) != 0);

    b.content = "whole now\r\n";
    f.Behave(b);
    REQUIRE(RefreshFromSftp(f.hwnd));
    CHECK(EditorText() == "whole now\r\n");
    CHECK(doc->textLoss == TextWhole);
    CHECK_FALSE(doc->readOnly);
    CHECK((GetWindowLongA(gEditorWnd, GWL_STYLE) & ES_READONLY) == 0);

    // And back: a refresh that loses characters again makes it read-only again.
    b.content = "\xEF\xBB\xBF\xD0\x9F again\r\n";
    f.Behave(b);
    {
        // The refresh before is a change that Undo takes back: the question comes first.
        MessageBoxAnswers answers({IDYES});
        REQUIRE(RefreshFromSftp(f.hwnd));
    }
    CHECK(doc->readOnly);
    CHECK((GetWindowLongA(gEditorWnd, GWL_STYLE) & ES_READONLY) != 0);
}

TEST_CASE("Refresh never writes into a tab that was switched or closed during the download")
{
    Fixture f;
    OpenRemote(f.hwnd, Remote("/srv/a.txt"));
    CacheSftpPassword(Remote(""));
    SendMessageA(f.hwnd, WM_COMMAND, kNewTab, 0);
    TypeText("other tab");
    SwitchToTab(0);
    TabDocument* remote = GetActiveDocument();
    StandinBehaviour b;
    b.content = "refreshed\r\n";
    b.sleepMs = 800;
    f.Behave(b);

    SUBCASE("switched")
    {
        DuringWait([] { SwitchToTab(1); });
        CHECK_FALSE(RefreshFromSftp(f.hwnd));
        CHECK(SelectedTab() == 1);
        CHECK(EditorText() == "other tab");
        CHECK(DocumentText(remote) == "remote text\r\n");
        CHECK(GetTabDocument(1)->sftpUrl == nullptr);
    }
    SUBCASE("closed")
    {
        static HWND mainWnd;
        mainWnd = f.hwnd;
        DuringWait([] { CloseTabAt(mainWnd, 0); });
        CHECK_FALSE(RefreshFromSftp(f.hwnd));
        REQUIRE(TabCount() == 1);
        CHECK(EditorText() == "other tab");
    }
    // Only the first copy is left; the refreshed one was dropped.
    CHECK(CountFiles(f.temp, "zrvk_sftp_*") == 1);
}

TEST_CASE("a remote tab restored from the session is a local document")
{
    Fixture f;
    OpenRemote(f.hwnd, Remote("/srv/kept.txt"));
    std::string copy = GetActiveDocument()->path;
    SaveSessionNow(f.hwnd);
    REQUIRE(RestoreSession(f.hwnd));
    REQUIRE(TabCount() == 1);
    TabDocument* doc = GetActiveDocument();
    CHECK(doc->sftpUrl == nullptr);
    CHECK(std::string(doc->path) == copy);
    CHECK(EditorText() == "remote text\r\n");
    MessageBoxAnswers answers;
    SendMessageA(f.hwnd, WM_COMMAND, kRefresh, 0);
    REQUIRE(answers.seen.size() == 1);
    CHECK(answers.seen[0].text == "Current tab is not an SFTP remote file.");
}

TEST_CASE("Open (Read) and Refresh against the loopback server with the real client")
{
    if (!Sshd().available) {
        MESSAGE("skipped: " << Sshd().reason);
        return;
    }
    Fixture f;
    PlaceClientBesideProgram(RealClientPath());
    REQUIRE(CacheHostKey("127.0.0.1", Sshd().port));
    REQUIRE(OpenSftpWindow(f.hwnd));
    std::string remote = Sshd().remoteDir + "a b.txt";
    FillConnection("127.0.0.1", std::to_string(Sshd().port).c_str(), Sshd().user.c_str(), Sshd().password.c_str(),
                   remote.c_str(), false);
    MessageBoxAnswers answers;
    Press(IDC_SFTP_OPEN);
    REQUIRE(answers.seen.empty());
    CHECK(TabTitle(0) == "a b.txt [SFTP]");
    CHECK(EditorText() == "first line\r\nsecond line\r\n");

    // Refresh with the password typed into the prompt: blank, quote and trailing
    // backslash reach the server intact.
    gSftpPasswordCache.clear();
    gPromptAnswer = Sshd().password;
    DuringWait(AnswerPrompt);
    TypeText("x");
    answers.answers = {IDYES};
    CHECK(RefreshFromSftp(f.hwnd));
    CHECK(EditorText() == "first line\r\nsecond line\r\n");
    CHECK(answers.seen.size() == 1);
    RemoveClientBesideProgram();
}

TEST_CASE("Refresh of a document that has only its URL")
{
    Fixture f;
    OpenRemote(f.hwnd, Remote("/srv/u.txt"));
    TabDocument* doc = GetActiveDocument();
    SetDocumentString(&doc->sftpHost, nullptr);
    SetDocumentString(&doc->sftpRemotePath, nullptr);
    SftpConnection cached;
    cached.host = "h";
    cached.user = "u";
    cached.password = "pw";
    CacheSftpPassword(cached);
    struct Row {
        const char* url;
        bool complete;
    };
    const Row rows[] = {
        {"sftp://u@h", false},          // no port
        {"sftp://u@h/x:22", false},     // a slash before the colon
        {"sftp://u@h:22", false},       // no remote path
        {"SFTP://u@h:22/p", false},     // the prefix is case-sensitive
        {"sftp://@h:22/p", false},      // no user
        {"sftp://u@:22/p", false},      // no host
        {"sftp://u@h:0/p q", true},     // port 0 is 22
    };
    for (const Row& row : rows) {
        CAPTURE(row.url);
        SetDocumentString(&doc->sftpUrl, row.url);
        f.Behave(StandinBehaviour());
        MessageBoxAnswers answers;
        bool refreshed = RefreshFromSftp(f.hwnd);
        CHECK(refreshed == row.complete);
        if (row.complete) {
            CHECK(answers.seen.empty());
            std::string record = ReadFileBytes(f.record);
            CHECK(record.find("\n[-P]\n[22]\n[-l]\n[u]\n[-pw]\n[pw]\n") != std::string::npos);
            CHECK(record.find("\n[h]\n") != std::string::npos);
            CHECK(record.find("script:get \"/p q\" ") != std::string::npos);
            CHECK(std::string(doc->sftpUrl) == "sftp://u@h:22/p q");
        } else {
            REQUIRE(answers.seen.size() == 1);
            CHECK(answers.seen[0].text ==
                  "SFTP connection info is incomplete for this tab.\nPlease reopen the file via File -> Open from SFTP...");
            CHECK_FALSE(f.ClientRan());
        }
    }
}
