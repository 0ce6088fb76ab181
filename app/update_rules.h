#pragma once
// The rules of the updater: the program's own release, the fields of the release
// description, the version comparison, which download addresses are opened, what a
// finished download must look like before it may replace the program or run, and the
// installer's arguments. Pure: no windows.h, so they are tested natively by tables.

#include <stddef.h>

#include <string>
#include <vector>

// The running program's release; the About window shows the same.
extern const char kProgramVersion[];    // "1.3.0"
extern const char kProgramBuildStamp[]; // "20261110_110011"

// The update servers (scheme, host and port, no trailing slash) and the request paths.
extern const char kPrimaryUpdateServer[];
extern const char kFallbackUpdateServer[];
extern const char kReleaseDescriptionPath[];
extern const char kLatestExecutablePath[];
extern const char kLatestInstallerPath[];

// A release description larger than this is no description of ours: it is not read on.
const size_t kMaxReleaseDescriptionBytes = 64 * 1024;
// A download below this size is taken for a cut-off one.
const unsigned long kMinimumDownloadBytes = 50000;

// sscanf with "%d.%d.%d": the number of numbers converted (0 for an empty text); the
// numbers not converted keep their values.
int ParseVersionNumbers(const char* text, int* major, int* minor, int* patch);

// The value of "key" in a JSON text as this minimal reader sees it: after the quoted key,
// the next colon, then the text between the next two double quotes, taken as it stands
// (no escapes decoded, an escaped quote ends it). Empty when any of these is missing.
std::string ExtractJsonStringField(const std::string& json, const char* key);

// True when the server's release is newer than ours: major, minor and patch first; on a
// tie, the build stamps byte by byte over the server stamp's first 15 bytes at most, the
// longer stamp winning when those agree; an empty server stamp is never newer.
bool IsNewerRelease(const std::string& serverVersion, const std::string& serverStamp,
                    const char* ownVersion = kProgramVersion, const char* ownStamp = kProgramBuildStamp);

// The message of an up-to-date check and the question of an available update.
std::string UpToDateMessage(const std::string& serverVersion, const std::string& serverStamp);
std::string UpdateQuestion(const std::string& serverVersion, const std::string& serverStamp);

// Only http and https addresses are opened for a download: WinINet would also read
// ftp:// and file:// addresses, and a release description may name anything.
bool IsDownloadUrlAllowed(const std::string& url);

struct DownloadTry {
    std::string url;
    bool installer;
};
// The addresses a download tries in turn, from the description's "downloadUrl" and
// "setupUrl": the installer, then the server's newest installer, then its newest
// executable; or, without an installer, the executable ("downloadUrl", else the server's
// newest) and then the server's newest executable. server: the primary update server.
std::vector<DownloadTry> DownloadTries(const std::string& downloadUrl, const std::string& setupUrl,
                                       const std::string& server);

// Percent of a download of known size (0 for an unknown size), at most 100, and the
// status line that shows it.
int DownloadPercent(unsigned long received, unsigned long size);
std::string DownloadProgressText(unsigned long received, unsigned long size);

// The Content-Length header's value: decimal digits, blanks around them allowed, at most
// 4,294,967,295. False for anything else, which is no length a download can be held to.
bool ParseContentLength(const std::string& value, unsigned long* length);

// What the first bytes and the size of a file say of it as a 32-bit Windows program.
enum class ProgramImage {
    Whole,      // headers of an i386 program, and every section's raw data inside the file
    Cut,        // such headers, but the file ends before its last section's raw data
    NotProgram, // no "MZ", no "PE\0\0" where e_lfanew points, another machine, no sections
};
// head: the file's first bytes, which must hold its headers and section table (at most
// kProgramHeadBytes are looked at); size: the file's whole length.
const size_t kProgramHeadBytes = 64 * 1024;
ProgramImage JudgeProgramImage(const std::string& head, unsigned long size);

// What a finished download is good for.
enum class DownloadVerdict {
    Accepted,
    Incomplete, // too short, shorter or longer than announced, ended before its end, or a
                // length that cannot be read: nothing says it is whole
    NotProgram, // not a Windows program (an error page, anything that merely starts "MZ")
};
struct FinishedDownload {
    unsigned long announced = 0; // Content-Length, 0 when absent
    bool lengthUnreadable = false; // a Content-Length header that ParseContentLength refuses
    unsigned long received = 0;
    bool failed = false; // a read from the server or a write to the file failed
    std::string head;    // its first bytes, up to kProgramHeadBytes
};
DownloadVerdict JudgeDownload(const FinishedDownload& download);

// "%sZorvik_Setup_%u.exe" or "%sZorvik_update_%u.exe" in the temporary folder, with a
// backslash added to a folder that ends in neither separator.
std::string DownloadTargetPath(const std::string& tempFolder, bool installer, unsigned long tick);

// "/D=<the program's folder>", or nothing for a program that runs from a folder whose path
// names a temporary, download or desktop folder (the installer then asks for its own).
std::string InstallerParameters(const std::string& exePath);
