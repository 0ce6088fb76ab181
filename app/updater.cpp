#include "app/updater.h"

#include "document/paths.h"
#include "app/popup_window.h"
#include "app/update_rules.h"

#include <commctrl.h>
#include <objbase.h>
#include <shellapi.h>
#include <stdio.h>
#include <wininet.h> // types and constants only: the functions are looked up at run time

#include <algorithm>
#include <new>
#include <string>
#include <vector>

HWND gUpdateWnd = nullptr;
bool gUpdateClassRegistered = false;

// The state of one check. The Update window and the worker each hold a reference: the
// window drops its own when it is destroyed (or closed by the worker), the worker when it
// ends, so neither side ever reads a context that the other freed, however long a request
// keeps the worker blocked after the user closed the window. Cancel and Close therefore
// only set the flag and go: a request to a server that accepts and never answers cannot
// be cut short (under Wine InternetOpenUrlA waits 40 s and more whatever time-outs are
// set, and closing its handle from another thread does not release it).
struct UpdateContext {
    HWND window; // the worker's handle of the Update window; null once it asked to close it
    HWND statusText;
    HWND progressBar;
    HWND cancelButton;
    HWND owner;
    volatile LONG cancelled;
    bool silent;
    volatile LONG references;
};

namespace {

const char kUpdateClass[] = "ZorvikUpdateClass";
const char kUpdateTitle[] = "Zorvik Update";
const char kUpdateErrorTitle[] = "Update Error";
const DWORD kUpdateExStyle = WS_EX_TOPMOST | WS_EX_DLGMODALFRAME;
const DWORD kCloseTimeoutMs = 2000;
const DWORD kDescriptionPiece = 2047;
const DWORD kDownloadPiece = 16384;

char gServerSeam[2][512];
char gLibrarySeam[MAX_PATH];
char gExecutableSeam[MAX_PATH];

volatile LONG gRunningWorkers = 0;
// Held while the executable is being replaced, and from the end of the program on, so
// that the process never ends between moving the old executable aside and copying the
// new one in.
volatile LONG gReplacing = 0;
volatile LONG gRestartArmed = 0;
char gRestartPath[MAX_PATH];

void LockReplacement()
{
    while (InterlockedCompareExchange(&gReplacing, 1, 0) != 0)
        Sleep(1);
}

void UnlockReplacement()
{
    InterlockedExchange(&gReplacing, 0);
}

void ReleaseContext(UpdateContext* context)
{
    if (InterlockedDecrement(&context->references) == 0)
        delete context;
}

bool IsCancelled(UpdateContext* context)
{
    return InterlockedCompareExchange(&context->cancelled, 0, 0) != 0;
}

std::string Server(int which)
{
    if (gServerSeam[which][0])
        return gServerSeam[which];
    return which == 0 ? kPrimaryUpdateServer : kFallbackUpdateServer;
}

// Empty when the path does not fit: a cut path would name another file.
std::string ExecutablePath()
{
    if (gExecutableSeam[0])
        return gExecutableSeam;
    char path[MAX_PATH];
    DWORD n = GetModuleFileNameA(nullptr, path, sizeof(path));
    return n > 0 && n < sizeof(path) ? std::string(path, n) : std::string();
}

void CopySeam(char* seam, size_t size, const char* value)
{
    seam[0] = 0;
    if (value)
        lstrcpynA(seam, value, (int)size);
}

typedef HINTERNET(WINAPI* InternetOpenProc)(LPCSTR, DWORD, LPCSTR, LPCSTR, DWORD);
typedef HINTERNET(WINAPI* InternetOpenUrlProc)(HINTERNET, LPCSTR, LPCSTR, DWORD, DWORD, DWORD_PTR);
typedef BOOL(WINAPI* InternetReadFileProc)(HINTERNET, LPVOID, DWORD, LPDWORD);
typedef BOOL(WINAPI* InternetCloseHandleProc)(HINTERNET);
typedef BOOL(WINAPI* HttpQueryInfoProc)(HINTERNET, DWORD, LPVOID, LPDWORD, LPDWORD);

// WinINet, loaded at run time so that the program starts without it.
class Internet {
public:
    ~Internet() { Release(); }

    // The library with its four required functions; false, holding nothing, without them.
    bool Load()
    {
        library_ = LoadLibraryA(gLibrarySeam[0] ? gLibrarySeam : "wininet.dll");
        if (!library_)
            return false;
        open_ = (InternetOpenProc)(void*)GetProcAddress(library_, "InternetOpenA");
        openUrl_ = (InternetOpenUrlProc)(void*)GetProcAddress(library_, "InternetOpenUrlA");
        read_ = (InternetReadFileProc)(void*)GetProcAddress(library_, "InternetReadFile");
        close_ = (InternetCloseHandleProc)(void*)GetProcAddress(library_, "InternetCloseHandle");
        query_ = (HttpQueryInfoProc)(void*)GetProcAddress(library_, "HttpQueryInfoA");
        if (open_ && openUrl_ && read_ && close_)
            return true;
        Release();
        return false;
    }
    bool Open()
    {
        session_ = open_("Zorvik-Updater", INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0);
        return session_ != nullptr;
    }
    HINTERNET OpenUrl(const std::string& url)
    {
        return openUrl_(session_, url.c_str(), nullptr, 0,
                        INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE, 0);
    }
    bool Read(HINTERNET request, void* buffer, DWORD size, DWORD* got)
    {
        *got = 0;
        return read_(request, buffer, size, got) != FALSE;
    }
    // HttpQueryInfoA is optional: without it neither the status nor the length is known.
    bool CanQuery() const { return query_ != nullptr; }
    // The status code; false when unknown.
    bool Status(HINTERNET request, DWORD* value)
    {
        *value = 0;
        DWORD size = sizeof(*value);
        return query_ && query_(request, HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, value, &size, nullptr);
    }
    // The Content-Length header as the server sent it. Read as text, not with
    // HTTP_QUERY_FLAG_NUMBER: that answers 0 or fails for a value it cannot convert (above
    // 4 GB, not a number), which would make a length the download cannot be held to look
    // like no length at all.
    void ContentLength(HINTERNET request, FinishedDownload* download)
    {
        char text[64];
        DWORD size = sizeof(text) - 1;
        if (!query_)
            return;
        if (!query_(request, HTTP_QUERY_CONTENT_LENGTH, text, &size, nullptr)) {
            download->lengthUnreadable = GetLastError() != ERROR_HTTP_HEADER_NOT_FOUND;
            return;
        }
        download->lengthUnreadable =
            !ParseContentLength(std::string(text, size < sizeof(text) ? size : 0), &download->announced);
    }
    void Close(HINTERNET request)
    {
        if (request)
            close_(request);
    }
    // Closes the session and frees the library; again does nothing.
    void Release()
    {
        if (session_)
            close_(session_);
        session_ = nullptr;
        if (library_)
            FreeLibrary(library_);
        library_ = nullptr;
    }

private:
    HMODULE library_ = nullptr;
    HINTERNET session_ = nullptr;
    InternetOpenProc open_ = nullptr;
    InternetOpenUrlProc openUrl_ = nullptr;
    InternetReadFileProc read_ = nullptr;
    InternetCloseHandleProc close_ = nullptr;
    HttpQueryInfoProc query_ = nullptr;
};

// The worker's end of the window: it asks the user-interface thread to close it, without
// waiting long for a busy one.
void CloseUpdateWindow(UpdateContext* context)
{
    HWND window = (HWND)InterlockedExchangePointer((void* volatile*)&context->window, nullptr);
    if (!window || !IsWindow(window))
        return;
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutA(window, WM_UPDATEWND_CLOSE, 0, 0, SMTO_NORMAL, kCloseTimeoutMs, &result))
        PostMessageA(window, WM_UPDATEWND_CLOSE, 0, 0);
}

// Ends the check: the window closes first, then the message (if any) is shown while the
// main window is still there to own it.
void EndCheck(UpdateContext* context, const char* text = nullptr, const char* title = kUpdateTitle,
              UINT icon = MB_ICONWARNING)
{
    CloseUpdateWindow(context);
    if (text && IsWindow(context->owner))
        MessageBoxA(context->owner, text, title, icon);
}

void SetStatus(UpdateContext* context, const std::string& text)
{
    if (IsWindow(context->statusText))
        SetWindowTextA(context->statusText, text.c_str());
}

void SetProgress(UpdateContext* context, int percent)
{
    if (IsWindow(context->progressBar))
        SendMessageA(context->progressBar, PBM_SETPOS, (WPARAM)percent, 0);
}

void ShowUpdateWindowAs(UpdateContext* context, int command)
{
    if (context->window && IsWindow(context->window))
        SendMessageA(context->window, WM_UPDATEWND_SHOW, (WPARAM)command, 0);
}

// The release description from the primary server, or from the fallback when the primary
// cannot be reached; empty when neither answers, when the answer is larger than any
// description, or when the check was cancelled meanwhile.
std::string FetchDescription(Internet& net, UpdateContext* context)
{
    HINTERNET request = net.OpenUrl(Server(0) + kReleaseDescriptionPath);
    if (!request && !IsCancelled(context))
        request = net.OpenUrl(Server(1) + kReleaseDescriptionPath);
    if (!request)
        return "";
    std::string text;
    char piece[kDescriptionPiece];
    DWORD got = 0;
    while (!IsCancelled(context) && net.Read(request, piece, sizeof(piece), &got) && got > 0) {
        text.append(piece, got);
        if (text.size() > kMaxReleaseDescriptionBytes) {
            text.clear();
            break;
        }
    }
    net.Close(request);
    return text;
}

// The first address of the list that answers with status 200; null when none does.
HINTERNET OpenDownload(Internet& net, const std::vector<DownloadTry>& tries, UpdateContext* context,
                       bool* installer)
{
    for (const DownloadTry& attempt : tries) {
        if (IsCancelled(context))
            return nullptr;
        if (!IsDownloadUrlAllowed(attempt.url))
            continue;
        HINTERNET request = net.OpenUrl(attempt.url);
        if (!request)
            continue;
        DWORD status = 0;
        if (!net.CanQuery() || (net.Status(request, &status) && status == 200)) {
            *installer = attempt.installer;
            return request;
        }
        net.Close(request);
    }
    return nullptr;
}

// A download in the temporary folder. From its creation until it is deleted or handed on
// it is on a list that the end of the program empties: a worker may then be waiting in a
// read from the server, and the process would end without it, leaving half a program in
// the temporary folder. Everything touching the file runs under the replacement lock,
// which the end of the program keeps, so no write or rename follows its deletion.
class DownloadFile;
DownloadFile* gDownloads = nullptr;

class DownloadFile {
public:
    DownloadFile() = default;
    DownloadFile(const DownloadFile&) = delete;
    DownloadFile& operator=(const DownloadFile&) = delete;
    // However the worker leaves, a download it did not hand on goes.
    ~DownloadFile()
    {
        Close();
        Forget(true);
    }

    bool Create(const std::string& target)
    {
        // A cut path would name another file.
        if (target.size() >= sizeof(path_))
            return false;
        LockReplacement();
        handle_ = CreateFileA(target.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                              nullptr);
        if (handle_ != INVALID_HANDLE_VALUE) {
            lstrcpynA(path_, target.c_str(), sizeof(path_));
            next_ = gDownloads;
            gDownloads = this;
        }
        UnlockReplacement();
        return handle_ != INVALID_HANDLE_VALUE;
    }
    bool Write(const char* bytes, DWORD size)
    {
        LockReplacement();
        DWORD written = 0;
        bool ok = handle_ != INVALID_HANDLE_VALUE && WriteFile(handle_, bytes, size, &written, nullptr) &&
                  written == size;
        UnlockReplacement();
        return ok;
    }
    // False when closing failed (the last writes may not have reached the disk).
    bool Close()
    {
        if (handle_ == INVALID_HANDLE_VALUE)
            return true;
        LockReplacement();
        bool ok = CloseHandle(handle_) != FALSE;
        handle_ = INVALID_HANDLE_VALUE;
        UnlockReplacement();
        return ok;
    }
    // Deleted (remove) or handed on: no longer the program's to clean up.
    void Forget(bool remove)
    {
        if (!path_[0])
            return;
        LockReplacement();
        ForgetLocked(remove);
        UnlockReplacement();
    }
    // The same while the caller holds the lock.
    void ForgetLocked(bool remove)
    {
        if (!path_[0])
            return;
        if (remove)
            DeleteFileA(path_);
        path_[0] = 0;
        for (DownloadFile** link = &gDownloads; *link; link = &(*link)->next_)
            if (*link == this) {
                *link = next_;
                break;
            }
    }
    const char* Path() const { return path_; }

    // At the end of the program, holding the lock for good.
    static void DeleteAllLocked()
    {
        for (DownloadFile* file = gDownloads; file; file = file->next_) {
            if (file->handle_ != INVALID_HANDLE_VALUE)
                CloseHandle(file->handle_);
            file->handle_ = INVALID_HANDLE_VALUE;
            DeleteFileA(file->path_);
            file->path_[0] = 0;
        }
        gDownloads = nullptr;
    }

private:
    HANDLE handle_ = INVALID_HANDLE_VALUE;
    char path_[MAX_PATH] = "";
    DownloadFile* next_ = nullptr;
};

void ReceiveDownload(Internet& net, HINTERNET request, DownloadFile& file, FinishedDownload* download,
                     UpdateContext* context)
{
    const unsigned long size = download->lengthUnreadable ? 0 : download->announced;
    std::vector<char> piece(kDownloadPiece);
    while (!IsCancelled(context)) {
        DWORD got = 0;
        if (!net.Read(request, piece.data(), kDownloadPiece, &got)) {
            download->failed = true;
            break;
        }
        if (got == 0)
            break;
        // A server that sends more than 4 GB must not make the count start again at 0.
        if (download->received > 0xFFFFFFFFUL - got || !file.Write(piece.data(), got)) {
            download->failed = true;
            break;
        }
        if (download->head.size() < kProgramHeadBytes)
            download->head.append(piece.data(), std::min<size_t>(got, kProgramHeadBytes - download->head.size()));
        download->received += got;
        if (size > 0)
            SetProgress(context, DownloadPercent(download->received, size));
        SetStatus(context, DownloadProgressText(download->received, size));
    }
}

// Arms the restart that FinishUpdateAtExit carries out, then asks the main window to close.
void RestartWhenClosed(HWND owner, const std::string& exe)
{
    if (!IsWindow(owner))
        return;
    LockReplacement();
    lstrcpynA(gRestartPath, exe.c_str(), sizeof(gRestartPath));
    InterlockedExchange(&gRestartArmed, 1);
    UnlockReplacement();
    PostMessageA(owner, WM_CLOSE, 0, 0);
}

void ReplaceExecutable(UpdateContext* context, DownloadFile& target)
{
    std::string exe = ExecutablePath();
    std::string bak = exe + ".bak";
    bool cancelled = false, replaced = false;
    // Nothing in here allocates: the lock is always given back.
    LockReplacement();
    // The main window may have gone while the file arrived: then nothing is replaced.
    if (IsCancelled(context)) {
        cancelled = true;
    } else if (!exe.empty()) {
        DeleteFileA(bak.c_str());
        if (MoveFileExA(exe.c_str(), bak.c_str(), MOVEFILE_REPLACE_EXISTING)) {
            replaced = CopyFileA(target.Path(), exe.c_str(), FALSE) != FALSE;
            if (!replaced)
                MoveFileExA(bak.c_str(), exe.c_str(), MOVEFILE_REPLACE_EXISTING);
        }
    }
    target.ForgetLocked(true);
    UnlockReplacement();
    if (cancelled) {
        EndCheck(context);
        return;
    }
    if (!replaced) {
        EndCheck(context, "Failed to replace executable directly.\nPlease run the installer to update.",
                 kUpdateErrorTitle);
        return;
    }
    EndCheck(context, "Zorvik has been updated successfully!\nZorvik will now restart with the new version.",
             "Update Complete", MB_ICONINFORMATION);
    RestartWhenClosed(context->owner, exe);
}

bool LaunchInstaller(HWND owner, const std::string& target, const std::string& parameters)
{
    const char* params = parameters.empty() ? nullptr : parameters.c_str();
    const char* const verbs[] = {"open", "runas"};
    for (const char* verb : verbs) {
        SHELLEXECUTEINFOA info;
        ZeroMemory(&info, sizeof(info));
        info.cbSize = sizeof(info);
        info.fMask = SEE_MASK_NOCLOSEPROCESS;
        info.hwnd = owner;
        info.lpVerb = verb;
        info.lpFile = target.c_str();
        info.lpParameters = params;
        info.nShow = SW_SHOWNORMAL;
        if (ShellExecuteExA(&info)) {
            if (info.hProcess)
                CloseHandle(info.hProcess);
            return true;
        }
    }
    for (const char* verb : verbs)
        if ((INT_PTR)ShellExecuteA(owner, verb, target.c_str(), params, nullptr, SW_SHOWNORMAL) > 32)
            return true;
    return false;
}

void StartInstaller(UpdateContext* context, DownloadFile& file)
{
    // From here on the installer is the user's: it stays in the temporary folder.
    const std::string target = file.Path();
    file.Forget(false);
    HRESULT com = CoInitialize(nullptr);
    bool started = LaunchInstaller(context->owner, target, InstallerParameters(ExecutablePath()));
    if (SUCCEEDED(com))
        CoUninitialize();
    if (!started) {
        char text[MAX_PATH + 128];
        snprintf(text, sizeof(text),
                 "Failed to launch installer (%s).\nPlease run it manually to complete update.",
                 target.c_str());
        EndCheck(context, text, kUpdateErrorTitle);
        return;
    }
    CloseUpdateWindow(context);
    if (IsWindow(context->owner))
        PostMessageA(context->owner, WM_CLOSE, 0, 0);
}

// From the user's yes to the replaced executable or the started installer.
void DownloadAndApply(Internet& net, UpdateContext* context, const std::string& description)
{
    ShowUpdateWindowAs(context, SW_SHOW);
    SetStatus(context, "Connecting to download server...");
    if (IsWindow(context->progressBar)) {
        SendMessageA(context->progressBar, PBM_SETRANGE32, 0, 100);
        SendMessageA(context->progressBar, PBM_SETPOS, 0, 0);
    }
    std::vector<DownloadTry> tries =
        DownloadTries(ExtractJsonStringField(description, "downloadUrl"),
                      ExtractJsonStringField(description, "setupUrl"), Server(0));
    bool installer = false;
    HINTERNET request = OpenDownload(net, tries, context, &installer);
    if (!request) {
        net.Release();
        EndCheck(context, IsCancelled(context) ? nullptr : "Failed to start download from update server.",
                 kUpdateErrorTitle);
        return;
    }
    FinishedDownload download;
    net.ContentLength(request, &download);
    std::string temp = TempFolder();
    std::string target = DownloadTargetPath(temp, installer, GetTickCount());
    DownloadFile file;
    if (temp.empty() || !file.Create(target)) {
        net.Close(request);
        net.Release();
        EndCheck(context, "Failed to create temporary file for update.", kUpdateErrorTitle);
        return;
    }
    ReceiveDownload(net, request, file, &download, context);
    if (!file.Close())
        download.failed = true;
    net.Close(request);
    net.Release();
    if (IsCancelled(context)) {
        file.Forget(true);
        EndCheck(context);
        return;
    }
    // Under Wine a chunked body cut off between two chunks ends as a whole one does
    // (InternetReadFile answers TRUE with 0 bytes; measured), and so does a body shorter
    // than a Content-Length it announced: the length and the program image are what refuse
    // a download cut short.
    DownloadVerdict verdict = JudgeDownload(download);
    if (verdict != DownloadVerdict::Accepted) {
        file.Forget(true);
        EndCheck(context,
                 verdict == DownloadVerdict::Incomplete ? "Downloaded update file is incomplete."
                                                        : "Downloaded update file is not a Windows program.",
                 kUpdateErrorTitle);
        return;
    }
    SetStatus(context, "Applying update...");
    SetProgress(context, 100);
    if (installer)
        StartInstaller(context, file);
    else
        ReplaceExecutable(context, file);
}

void CheckForUpdate(UpdateContext* context)
{
    Internet net;
    if (!net.Load()) {
        EndCheck(context, "WinINet library is unavailable on this system.\nUnable to check for updates.");
        return;
    }
    if (!net.Open()) {
        net.Release();
        EndCheck(context, "Failed to initialize internet connection.");
        return;
    }
    std::string description = FetchDescription(net, context);
    if (IsCancelled(context)) {
        net.Release();
        EndCheck(context);
        return;
    }
    std::string version = ExtractJsonStringField(description, "version");
    std::string stamp = ExtractJsonStringField(description, "buildTimestamp");
    if (version.empty()) {
        net.Release();
        EndCheck(context, "Could not retrieve update information from server.\n"
                          "Please check your network connection and try again.");
        return;
    }
    if (!IsNewerRelease(version, stamp)) {
        net.Release();
        std::string text = UpToDateMessage(version, stamp);
        EndCheck(context, context->silent ? nullptr : text.c_str(), kUpdateTitle, MB_ICONINFORMATION);
        return;
    }
    ShowUpdateWindowAs(context, SW_HIDE);
    std::string question = UpdateQuestion(version, stamp);
    int answer = IsWindow(context->owner) ? MessageBoxA(context->owner, question.c_str(),
                                                        "Zorvik Update Available", MB_ICONQUESTION | MB_YESNO)
                                          : IDNO;
    if (answer != IDYES) {
        net.Release();
        EndCheck(context);
        return;
    }
    DownloadAndApply(net, context, description);
}

DWORD WINAPI UpdateThreadProc(void* parameter)
{
    UpdateContext* context = (UpdateContext*)parameter;
    if (!context)
        return 0;
    try {
        CheckForUpdate(context);
    } catch (const std::bad_alloc&) {
        // No memory ends the check as a cancel does, without a word: its window closes.
        CloseUpdateWindow(context);
    }
    ReleaseContext(context);
    InterlockedDecrement(&gRunningWorkers);
    return 0;
}

// The window's end of the context: given up once, when the window closes or is destroyed.
void DetachContext(HWND hwnd, bool cancel)
{
    UpdateContext* context = (UpdateContext*)SetWindowLongPtrA(hwnd, GWLP_USERDATA, 0);
    if (!context)
        return;
    if (cancel)
        InterlockedExchange(&context->cancelled, 1);
    ReleaseContext(context);
}

void CloseProgressWindow(HWND hwnd, bool cancel)
{
    DetachContext(hwnd, cancel);
    if (gUpdateWnd == hwnd)
        gUpdateWnd = nullptr;
    DestroyWindow(hwnd);
}

} // namespace

LRESULT CALLBACK UpdateProgressWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
    case WM_CREATE:
        SetWindowLongPtrA(hwnd, GWLP_USERDATA, (LONG_PTR)((CREATESTRUCTA*)lParam)->lpCreateParams);
        return 0;
    case WM_COMMAND:
        if (LOWORD(wParam) != IDCANCEL)
            break;
        CloseProgressWindow(hwnd, true);
        return 0;
    case WM_CLOSE:
        CloseProgressWindow(hwnd, true);
        return 0;
    case WM_DESTROY:
        // Still holding its context here means it goes with its owner: the check stops.
        DetachContext(hwnd, true);
        if (gUpdateWnd == hwnd)
            gUpdateWnd = nullptr;
        return 0;
    case WM_UPDATEWND_CLOSE:
        CloseProgressWindow(hwnd, false);
        return 0;
    case WM_UPDATEWND_SHOW:
        ShowWindow(hwnd, (int)wParam);
        return 0;
    }
    return DefWindowProcA(hwnd, msg, wParam, lParam);
}

void ShowUpdateWindow(HWND mainWnd, bool silent)
{
    if (gUpdateWnd && IsWindow(gUpdateWnd)) {
        SetForegroundWindow(gUpdateWnd);
        return;
    }
    if (!gUpdateClassRegistered)
        gUpdateClassRegistered = RegisterPopupClass(kUpdateClass, UpdateProgressWndProc);
    UpdateContext* context = new (std::nothrow) UpdateContext();
    if (!context)
        return;
    context->owner = mainWnd;
    context->silent = silent;
    context->references = 1; // the window's
    DWORD style = WS_POPUP | WS_CAPTION | WS_SYSMENU | (silent ? 0 : WS_VISIBLE);
    // clang-format off
    PopupWindowSpec spec = {kUpdateClass, kUpdateTitle, style, kUpdateExStyle, 380, 150, kPopupOuterSize, 10,
                            mainWnd, context};
    // clang-format on
    HWND window = CreatePopupWindow(spec);
    if (!window) {
        ReleaseContext(context);
        return;
    }
    context->window = gUpdateWnd = window;
    const PopupControl controls[] = {
        {"STATIC", "Checking for updates from server...", 0, 0, {20, 20, 340, 20}},
        {"msctls_progress32", nullptr, PBS_SMOOTH, 0, {20, 50, 340, 20}, 0, kControlOwnFont},
        {"BUTTON", "Cancel", 0, 0, {140, 85, 100, 26}, IDCANCEL},
    };
    HWND handles[3] = {};
    CreatePopupControls(window, controls, 3, handles);
    context->statusText = handles[0];
    context->progressBar = handles[1];
    context->cancelButton = handles[2];

    InterlockedIncrement(&context->references); // the worker's
    InterlockedIncrement(&gRunningWorkers);
    HANDLE thread = CreateThread(nullptr, 0, UpdateThreadProc, context, 0, nullptr);
    if (thread) {
        CloseHandle(thread);
        return;
    }
    InterlockedDecrement(&gRunningWorkers);
    ReleaseContext(context);
}

void CancelRestartAfterExit()
{
    InterlockedExchange(&gRestartArmed, 0);
}

bool RestartAfterExitPending()
{
    return InterlockedCompareExchange(&gRestartArmed, 0, 0) != 0;
}

void FinishUpdateAtExit()
{
    // Kept from here on: the process ends next, and no replacement may start and be cut.
    LockReplacement();
    DownloadFile::DeleteAllLocked();
    if (InterlockedExchange(&gRestartArmed, 0))
        ShellExecuteA(nullptr, "open", gRestartPath, nullptr, nullptr, SW_SHOWNORMAL);
}

bool UpdateCheckRunning()
{
    return InterlockedCompareExchange(&gRunningWorkers, 0, 0) != 0;
}

void SetUpdateServersForTesting(const char* primary, const char* fallback)
{
    CopySeam(gServerSeam[0], sizeof(gServerSeam[0]), primary);
    CopySeam(gServerSeam[1], sizeof(gServerSeam[1]), fallback);
}

void SetUpdateLibraryForTesting(const char* libraryName)
{
    CopySeam(gLibrarySeam, sizeof(gLibrarySeam), libraryName);
}

void SetUpdatedExecutableForTesting(const char* exePath)
{
    CopySeam(gExecutableSeam, sizeof(gExecutableSeam), exePath);
}
