#include "tests/updater/update_support.h"

#include "document/paths.h"
#include "tests/updater/program_image.h"
#include "tests/window/harness.h"

#include <stdlib.h>

namespace {

struct BoxSearch {
    DWORD processId, skipThread;
    HWND found;
};

BOOL CALLBACK FindBox(HWND hwnd, LPARAM lParam)
{
    BoxSearch* search = (BoxSearch*)lParam;
    DWORD pid = 0;
    DWORD thread = GetWindowThreadProcessId(hwnd, &pid);
    char cls[16] = "";
    GetClassNameA(hwnd, cls, sizeof(cls));
    if (pid == search->processId && thread != search->skipThread && lstrcmpA(cls, "#32770") == 0 &&
        IsWindowVisible(hwnd)) {
        search->found = hwnd;
        return FALSE;
    }
    return TRUE;
}

} // namespace

void MakeFolders(const std::string& path)
{
    for (size_t at = path.find('\\', 3); at != std::string::npos; at = path.find('\\', at + 1))
        CreateDirectoryA(path.substr(0, at).c_str(), nullptr);
}

std::string SiteFolder()
{
    return ExeFolder() + "update_site\\";
}

std::string ServerRoot()
{
    const char* port = getenv("ZV_UPDATE_PORT");
    return port && *port ? std::string("http://127.0.0.1:") + port : std::string();
}

std::string DownServerRoot()
{
    const char* port = getenv("ZV_UPDATE_DOWN_PORT");
    return std::string("http://127.0.0.1:") + (port && *port ? port : "1");
}

void WriteSiteFile(const std::string& relativePath, const std::string& bytes)
{
    std::string path = SiteFolder() + relativePath;
    for (char& c : path)
        if (c == '/')
            c = '\\';
    MakeFolders(path);
    WriteFileBytes(path, bytes);
}

std::vector<std::string> ServerRequests()
{
    std::string log = ReadFileBytes(SiteFolder() + "requests.log");
    std::vector<std::string> lines;
    size_t start = 0;
    for (size_t end; (end = log.find('\n', start)) != std::string::npos; start = end + 1)
        lines.push_back(log.substr(start, end - start));
    return lines;
}

void ReleaseServerRequests()
{
    WriteFileBytes(SiteFolder() + "release", "");
}

void HoldServerRequests()
{
    DeleteFileA((SiteFolder() + "release").c_str());
}

std::string ReleaseDescription(const std::string& version, const std::string& stamp,
                               const std::string& downloadUrl, const std::string& setupUrl)
{
    return "{\n  \"version\": \"" + version + "\",\n  \"buildTimestamp\": \"" + stamp +
           "\",\n  \"downloadUrl\": \"" + downloadUrl + "\",\n  \"setupUrl\": \"" + setupUrl + "\"\n}\n";
}

std::string ProgramLikeBytes(size_t size, char fill)
{
    std::string bytes(size, fill);
    bytes[0] = 'M';
    bytes[1] = 'Z';
    return bytes;
}

std::string ProgramBytes(size_t size, char fill)
{
    ProgramShape shape;
    shape.size = size;
    shape.fill = fill;
    return ProgramImageBytes(shape);
}

bool FindMessageBox(DWORD processId, DWORD skipThread, SeenBox* box)
{
    BoxSearch search = {processId, skipThread, nullptr};
    EnumWindows(FindBox, (LPARAM)&search);
    if (!search.found)
        return false;
    box->window = search.found;
    box->title = WindowTextOf(search.found);
    // The text of a message box is its static control with id 0xFFFF.
    box->text = WindowTextOf(GetDlgItem(search.found, 0xFFFF));
    return true;
}

void AnswerMessageBox(HWND box, int answer)
{
    if (!GetDlgItem(box, answer))
        answer = GetDlgItem(box, IDOK) ? IDOK : IDNO;
    PostMessageA(box, WM_COMMAND, MAKEWPARAM(answer, BN_CLICKED), (LPARAM)GetDlgItem(box, answer));
}

std::string WindowTextOf(HWND window)
{
    char text[4096] = "";
    if (window)
        SendMessageA(window, WM_GETTEXT, sizeof(text), (LPARAM)text);
    return text;
}

std::vector<std::string> TempFilesLike(const char* pattern)
{
    std::vector<std::string> names;
    WIN32_FIND_DATAA data;
    HANDLE find = FindFirstFileA((TempFolder() + pattern).c_str(), &data);
    if (find == INVALID_HANDLE_VALUE)
        return names;
    do
        names.push_back(TempFolder() + data.cFileName);
    while (FindNextFileA(find, &data));
    FindClose(find);
    return names;
}
