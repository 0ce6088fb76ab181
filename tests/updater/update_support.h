#pragma once
// What the updater's tests share: the loopback server's site and ports, and the message
// boxes that the updater shows from its worker thread (or that a program shows in another
// process), found, read and answered from the test's thread.

#include <windows.h>

#include <string>
#include <vector>

// The folder the loopback server serves (in the test's folder), with a trailing backslash.
std::string SiteFolder();
// "http://127.0.0.1:<port>"; empty when the server is not there.
std::string ServerRoot();
// A root whose port refuses every connection.
std::string DownServerRoot();
// Creates the folders of a path up to its last backslash.
void MakeFolders(const std::string& path);
// Writes a file of the site ("a/b/c.json"), making its folders.
void WriteSiteFile(const std::string& relativePath, const std::string& bytes);
// The paths the server was asked for since the test began, in order.
std::vector<std::string> ServerRequests();
// Lets every request that the server keeps waiting end now (and every later one at once)
// until HoldServerRequests.
void ReleaseServerRequests();
void HoldServerRequests();

// A release description of the four fields.
std::string ReleaseDescription(const std::string& version, const std::string& stamp,
                               const std::string& downloadUrl = "", const std::string& setupUrl = "");
// Bytes that start like a program ("MZ") and hold size bytes in all, but are none.
std::string ProgramLikeBytes(size_t size, char fill = 'p');
// A whole 32-bit Windows program image of size bytes, as far as its headers go.
std::string ProgramBytes(size_t size, char fill = 'p');

struct SeenBox {
    HWND window = nullptr;
    std::string title, text;
};
// A visible message box of the process that no thread of skipThread owns; false when
// there is none.
bool FindMessageBox(DWORD processId, DWORD skipThread, SeenBox* box);
// Clicks the box's button (an answer the box lacks becomes IDOK or IDNO, whichever it has).
void AnswerMessageBox(HWND box, int answer);
// WM_GETTEXT, which also reads a window of another thread or process.
std::string WindowTextOf(HWND window);

// The files of the temporary folder whose names match the pattern ("Zorvik_update_*.exe").
std::vector<std::string> TempFilesLike(const char* pattern);
