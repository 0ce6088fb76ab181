#pragma once
// Whole programs timed from outside, the way a user meets them: Zorvik.exe and Wine's own
// notepad started on the same file, their editor controls found, a keystroke sent to each
// and its repaint forced, their memory read. Both are driven by the same code, so neither
// gets an advantage the other lacks.

#include <windows.h>
#include <psapi.h>

#include <stdio.h>
#include <string>

#include "bench/bench_clock.h"

// Drops a file's pages from the system's cache, so that the next read comes from the disk.
// Under Wine the program runs in a Linux process: the file is flushed and then given up
// with posix_fadvise(DONTNEED) through the kernel's own call, on the Unix name Wine gives
// it. On Windows, opening it without buffering drops its cached pages. False when it could
// not be done; the caller says so.
inline bool DropFromPageCache(const std::string& path)
{
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, 0, nullptr);
    if (file != INVALID_HANDLE_VALUE) {
        FlushFileBuffers(file);
        CloseHandle(file);
    }
    typedef char*(CDECL * UnixName)(LPCWSTR);
    UnixName unixName = (UnixName)GetProcAddress(GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name");
    if (!unixName) {
        HANDLE unbuffered = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                        FILE_FLAG_NO_BUFFERING, nullptr);
        if (unbuffered == INVALID_HANDLE_VALUE)
            return false;
        CloseHandle(unbuffered);
        return true;
    }
#if defined(__i386__)
    wchar_t wide[MAX_PATH];
    MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, wide, MAX_PATH);
    char* name = unixName(wide);
    if (!name)
        return false;
    long fd, result;
    // open(name, O_RDONLY), fadvise64(fd, 0, 0, 0, POSIX_FADV_DONTNEED), close(fd).
    __asm__ volatile("int $0x80" : "=a"(fd) : "a"(5), "b"(name), "c"(0), "d"(0) : "memory");
    HeapFree(GetProcessHeap(), 0, name);
    if (fd < 0)
        return false;
    __asm__ volatile("push %%ebp\n\tmov $0, %%ebp\n\tint $0x80\n\tpop %%ebp"
                     : "=a"(result)
                     : "a"(250), "b"(fd), "c"(0), "d"(0), "S"(0), "D"(4)
                     : "memory");
    long closed;
    __asm__ volatile("int $0x80" : "=a"(closed) : "a"(6), "b"(fd) : "memory");
    return result == 0;
#else
    return false;
#endif
}

// Process memory as Windows counts it: private bytes.
inline double ProcessMegabytes(HANDLE process)
{
    PROCESS_MEMORY_COUNTERS c;
    ZeroMemory(&c, sizeof(c));
    c.cb = sizeof(c);
    if (!GetProcessMemoryInfo(process, &c, sizeof(c)))
        return 0;
    return c.PagefileUsage / 1048576.0;
}

// A program started on one file, with its main window and editor control.
struct DrivenProgram {
    PROCESS_INFORMATION pi = {};
    HWND top = nullptr, edit = nullptr;
    double started = 0;

    // Starts "exe" "file" and waits (up to timeoutMs) until its editor holds textLength
    // characters and has painted them. False when it does not get there.
    bool Start(const std::string& exe, const std::string& file, const char* topClass, int editId,
               long textLength, DWORD timeoutMs)
    {
        std::string line = "\"" + exe + "\" \"" + file + "\"";
        STARTUPINFOA si;
        ZeroMemory(&si, sizeof(si));
        si.cb = sizeof(si);
        started = BenchNow();
        if (!CreateProcessA(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
            return false;
        DWORD until = GetTickCount() + timeoutMs;
        while ((int)(GetTickCount() - until) < 0) {
            if (!top)
                top = FindTopWindow(topClass);
            if (top && !edit)
                edit = FindEdit(top, editId);
            DWORD_PTR length = 0;
            if (edit && SendMessageTimeoutA(edit, WM_GETTEXTLENGTH, 0, 0, SMTO_NORMAL, 200, &length) &&
                (long)length >= textLength) {
                RedrawWindow(top, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
                return true;
            }
            Sleep(2);
        }
        return false;
    }

    // A character typed at the offset, with the repaint it brings, in milliseconds.
    double Keystroke(long offset, char c)
    {
        SendMessageA(edit, EM_SETSEL, offset, offset);
        SendMessageA(edit, EM_SCROLLCARET, 0, 0);
        RedrawWindow(top, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
        double t = BenchNow();
        SendMessageA(edit, WM_CHAR, (unsigned char)c, 1);
        RedrawWindow(top, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
        return BenchNow() - t;
    }

    double Megabytes() const { return ProcessMegabytes(pi.hProcess); }

    void Stop()
    {
        if (pi.hProcess) {
            TerminateProcess(pi.hProcess, 0);
            WaitForSingleObject(pi.hProcess, 10000);
            CloseHandle(pi.hProcess);
            CloseHandle(pi.hThread);
        }
        pi = PROCESS_INFORMATION();
        top = edit = nullptr;
    }

private:
    struct Search {
        DWORD pid;
        const char* cls;
        HWND found;
    };
    HWND FindTopWindow(const char* cls)
    {
        Search s = {pi.dwProcessId, cls, nullptr};
        EnumWindows(Match, (LPARAM)&s);
        return s.found;
    }
    static BOOL CALLBACK Match(HWND w, LPARAM p)
    {
        Search* s = (Search*)p;
        DWORD pid = 0;
        GetWindowThreadProcessId(w, &pid);
        char name[64] = "";
        GetClassNameA(w, name, sizeof(name));
        if (pid == s->pid && lstrcmpiA(name, s->cls) == 0) {
            s->found = w;
            return FALSE;
        }
        return TRUE;
    }
    static HWND FindEdit(HWND top, int id)
    {
        if (id)
            return GetDlgItem(top, id);
        return FindWindowExA(top, nullptr, "Edit", nullptr);
    }
};

// Wine's notepad, and a copy of Zorvik.exe in a folder of its own (its session, undo and
// settings files stay there).
inline std::string NotepadPath()
{
    char folder[MAX_PATH];
    GetSystemDirectoryA(folder, sizeof(folder));
    return std::string(folder) + "\\notepad.exe";
}

// source: another build's Zorvik.exe to time (say the one before a change), else the one
// of this build tree.
inline std::string PrepareZorvikCopy(const std::string& benchFolder, const char* source = nullptr)
{
    std::string folder = benchFolder + "zorvik_copy";
    CreateDirectoryA(folder.c_str(), nullptr);
    std::string exe = folder + "\\Zorvik.exe";
    CopyFileA(source ? source : (benchFolder + "..\\Zorvik.exe").c_str(), exe.c_str(), FALSE);
    return exe;
}

// The value of "--zorvik PATH" among the arguments, which are taken out; null without it.
inline const char* TakeZorvikArgument(int* argc, char** argv)
{
    for (int i = 1; i + 1 < *argc; ++i) {
        if (std::string(argv[i]) == "--zorvik") {
            const char* path = argv[i + 1];
            for (int k = i; k + 2 <= *argc; ++k)
                argv[k] = argv[k + 2];
            *argc -= 2;
            return path;
        }
    }
    return nullptr;
}

inline void RemoveZorvikCopyFiles(const std::string& exe)
{
    std::string folder = exe.substr(0, exe.rfind('\\') + 1);
    DeleteFileA((folder + "Zorvik.ini").c_str());
    DeleteFileA((folder + "Zorvik.session").c_str());
    WIN32_FIND_DATAA data;
    HANDLE find = FindFirstFileA((folder + "undo\\*").c_str(), &data);
    if (find != INVALID_HANDLE_VALUE) {
        do
            DeleteFileA((folder + "undo\\" + data.cFileName).c_str());
        while (FindNextFileA(find, &data));
        FindClose(find);
    }
}
