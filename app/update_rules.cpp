#include "app/update_rules.h"

#include "app/decimal_text.h"

#include <stdio.h>
#include <string.h>

const char kProgramVersion[] = "1.3.0";
const char kProgramBuildStamp[] = "20261110_110011";

const char kPrimaryUpdateServer[] = "http://update.zorvik.net";
const char kFallbackUpdateServer[] = "http://update2.zorvik.net:7002";
const char kReleaseDescriptionPath[] = "/downloads/kelto/zorvik/version.json";
const char kLatestExecutablePath[] = "/downloads/kelto/zorvik/latest";
const char kLatestInstallerPath[] = "/downloads/kelto/zorvik/setup/latest";

namespace {

const size_t kStampCompareBytes = 15;

std::string Format(const char* pattern, const std::string& a, const std::string& b)
{
    char text[1024];
    snprintf(text, sizeof(text), pattern, kProgramVersion, kProgramBuildStamp, a.c_str(), b.c_str());
    return text;
}

bool StartsWithNoCase(const std::string& text, const char* prefix)
{
    size_t n = strlen(prefix);
    if (text.size() < n)
        return false;
    for (size_t i = 0; i < n; ++i) {
        char c = text[i];
        if (c >= 'A' && c <= 'Z')
            c = (char)(c - 'A' + 'a');
        if (c != prefix[i])
            return false;
    }
    return true;
}

} // namespace

int ParseVersionNumbers(const char* text, int* major, int* minor, int* patch)
{
    int n = sscanf(text, "%d.%d.%d", major, minor, patch);
    return n < 0 ? 0 : n;
}

std::string ExtractJsonStringField(const std::string& json, const char* key)
{
    std::string quoted = std::string("\"") + key + "\"";
    size_t at = json.find(quoted);
    if (at == std::string::npos)
        return "";
    size_t colon = json.find(':', at + quoted.size());
    if (colon == std::string::npos)
        return "";
    size_t open = json.find('"', colon + 1);
    if (open == std::string::npos)
        return "";
    size_t close = json.find('"', open + 1);
    if (close == std::string::npos)
        return "";
    return json.substr(open + 1, close - open - 1);
}

bool IsNewerRelease(const std::string& serverVersion, const std::string& serverStamp, const char* ownVersion,
                    const char* ownStamp)
{
    int server[3] = {0, 0, 0}, own[3] = {0, 0, 0};
    ParseVersionNumbers(serverVersion.c_str(), &server[0], &server[1], &server[2]);
    ParseVersionNumbers(ownVersion, &own[0], &own[1], &own[2]);
    for (int i = 0; i < 3; ++i)
        if (server[i] != own[i])
            return server[i] > own[i];
    if (serverStamp.empty())
        return false;
    size_t ownLength = strlen(ownStamp);
    size_t n = serverStamp.size() < kStampCompareBytes ? serverStamp.size() : kStampCompareBytes;
    // The own stamp is compared over the same bytes; its terminator stands in past its end.
    std::string own15(ownStamp, ownLength < n ? ownLength : n);
    own15.resize(n, '\0');
    int order = memcmp(serverStamp.data(), own15.data(), n);
    if (order != 0)
        return order > 0;
    return serverStamp.size() > ownLength;
}

std::string UpToDateMessage(const std::string& serverVersion, const std::string& serverStamp)
{
    return Format("You are already using the latest version of Zorvik!\n\n"
                  "Current Version: v%s (Build %s)\nServer Version:  v%s (Build %s)",
                  serverVersion, serverStamp);
}

std::string UpdateQuestion(const std::string& serverVersion, const std::string& serverStamp)
{
    return Format("A new version of Zorvik is available!\n\n"
                  "Current Version: v%s (Build %s)\nLatest Version:  v%s (Build %s)\n\n"
                  "Would you like to download and install this update now?",
                  serverVersion, serverStamp);
}

bool IsDownloadUrlAllowed(const std::string& url)
{
    size_t hostAt;
    if (StartsWithNoCase(url, "http://"))
        hostAt = 7;
    else if (StartsWithNoCase(url, "https://"))
        hostAt = 8;
    else
        return false;
    if (hostAt >= url.size() || url[hostAt] == '/')
        return false;
    // Blanks and control characters would end up in the request line.
    for (unsigned char c : url)
        if (c <= ' ' || c == 0x7F)
            return false;
    return true;
}

std::vector<DownloadTry> DownloadTries(const std::string& downloadUrl, const std::string& setupUrl,
                                       const std::string& server)
{
    std::string latest = server + kLatestExecutablePath;
    std::vector<DownloadTry> tries;
    if (!setupUrl.empty()) {
        tries.push_back({setupUrl, true});
        tries.push_back({server + kLatestInstallerPath, true});
    } else {
        tries.push_back({downloadUrl.empty() ? latest : downloadUrl, false});
    }
    tries.push_back({latest, false});
    return tries;
}

int DownloadPercent(unsigned long received, unsigned long size)
{
    if (size == 0)
        return 0;
    double percent = (double)received / (double)size * 100.0;
    return percent >= 100.0 ? 100 : (int)percent;
}

std::string DownloadProgressText(unsigned long received, unsigned long size)
{
    char text[128];
    if (size > 0)
        snprintf(text, sizeof(text), "Downloading: %lu KB / %lu KB (%d%%)...", received / 1024, size / 1024,
                 DownloadPercent(received, size));
    else
        snprintf(text, sizeof(text), "Downloading: %lu KB...", received / 1024);
    return text;
}

bool ParseContentLength(const std::string& value, unsigned long* length)
{
    size_t at = value.find_first_not_of(" \t");
    if (at == std::string::npos)
        return false;
    return ParseDecimal32(value, at, value.find_last_not_of(" \t") + 1, length);
}

ProgramImage JudgeProgramImage(const std::string& head, unsigned long size)
{
    // Offsets of the image headers: the DOS header's e_lfanew, then the signature, the
    // file header (machine, section count, optional header size) and the section table.
    const size_t kLfanewAt = 0x3C, kSignatureBytes = 4, kFileHeaderBytes = 20, kSectionBytes = 40;
    const unsigned kMachineI386 = 0x14C;
    size_t held = head.size() < size ? head.size() : size;
    if (held > kProgramHeadBytes)
        held = kProgramHeadBytes;
    const unsigned char* bytes = (const unsigned char*)head.data();
    auto u16 = [&](size_t at) { return (unsigned)bytes[at] | (unsigned)bytes[at + 1] << 8; };
    auto u32 = [&](size_t at) { return (unsigned long long)u16(at) | (unsigned long long)u16(at + 2) << 16; };
    if (held < kLfanewAt + 4 || bytes[0] != 'M' || bytes[1] != 'Z')
        return ProgramImage::NotProgram;
    unsigned long long pe = u32(kLfanewAt);
    if (pe + kSignatureBytes + kFileHeaderBytes > held || memcmp(bytes + pe, "PE\0\0", 4) != 0)
        return ProgramImage::NotProgram;
    size_t fileHeader = (size_t)pe + kSignatureBytes;
    unsigned sections = u16(fileHeader + 2);
    unsigned long long table = fileHeader + kFileHeaderBytes + u16(fileHeader + 16);
    if (u16(fileHeader) != kMachineI386 || sections == 0 || table + sections * kSectionBytes > held)
        return ProgramImage::NotProgram;
    unsigned long long end = 0;
    for (unsigned i = 0; i < sections; ++i) {
        size_t section = (size_t)table + i * kSectionBytes;
        unsigned long long rawSize = u32(section + 16), rawAt = u32(section + 20);
        if (rawSize > 0 && rawAt + rawSize > end)
            end = rawAt + rawSize;
    }
    return end > size ? ProgramImage::Cut : ProgramImage::Whole;
}

DownloadVerdict JudgeDownload(const FinishedDownload& download)
{
    if (download.failed || download.lengthUnreadable || download.received < kMinimumDownloadBytes)
        return DownloadVerdict::Incomplete;
    if (download.announced != 0 && download.received != download.announced)
        return DownloadVerdict::Incomplete;
    switch (JudgeProgramImage(download.head, download.received)) {
    case ProgramImage::Whole:
        return DownloadVerdict::Accepted;
    case ProgramImage::Cut:
        return DownloadVerdict::Incomplete;
    default:
        return DownloadVerdict::NotProgram;
    }
}

std::string DownloadTargetPath(const std::string& tempFolder, bool installer, unsigned long tick)
{
    std::string folder = tempFolder;
    if (folder.empty() || (folder.back() != '\\' && folder.back() != '/'))
        folder += '\\';
    char name[64];
    snprintf(name, sizeof(name), installer ? "Zorvik_Setup_%lu.exe" : "Zorvik_update_%lu.exe", tick);
    return folder + name;
}

std::string InstallerParameters(const std::string& exePath)
{
    size_t slash = exePath.rfind('\\');
    std::string folder = slash == std::string::npos ? exePath : exePath.substr(0, slash);
    const char* const words[] = {"Temp", "temp", "Downloads", "downloads", "Desktop", "desktop"};
    for (const char* word : words)
        if (folder.find(word) != std::string::npos)
            return "";
    return "/D=" + folder;
}
