// Stands in for the installer that an update downloads and starts: appends its command
// line to the file that ZV_INSTALLER_LOG names, then ends.
#include <windows.h>

#include <string.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    char log[MAX_PATH];
    DWORD n = GetEnvironmentVariableA("ZV_INSTALLER_LOG", log, sizeof(log));
    if (n == 0 || n >= sizeof(log))
        return 1;
    HANDLE file = CreateFileA(log, FILE_APPEND_DATA, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return 1;
    const char* line = GetCommandLineA();
    DWORD written = 0;
    WriteFile(file, line, (DWORD)strlen(line), &written, nullptr);
    WriteFile(file, "\r\n", 2, &written, nullptr);
    CloseHandle(file);
    return 0;
}
