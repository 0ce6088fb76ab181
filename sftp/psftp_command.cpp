#include "sftp/psftp_command.h"

#include <cctype>

namespace {

const size_t kPathBound = 260;
const char kDownloadPrefix[] = "zrvk_sftp_";

std::string Bounded(std::string text, size_t bound)
{
    if (text.size() >= bound)
        text.resize(bound - 1);
    return text;
}

int EffectivePort(const SftpConnection& connection)
{
    return connection.port < 1 ? 22 : connection.port;
}

bool EqualsIgnoringCase(const std::string& a, const std::string& b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (std::tolower((unsigned char)a[i]) != std::tolower((unsigned char)b[i]))
            return false;
    }
    return true;
}

} // namespace

std::string QuoteCommandLineArgument(const std::string& value)
{
    std::string quoted = "\"";
    size_t backslashes = 0;
    for (char c : value) {
        if (c == '\\') {
            ++backslashes;
            continue;
        }
        if (c == '"') {
            quoted.append(backslashes * 2 + 1, '\\');
        } else {
            quoted.append(backslashes, '\\');
        }
        backslashes = 0;
        quoted += c;
    }
    quoted.append(backslashes * 2, '\\');
    quoted += '"';
    return quoted;
}

std::string QuoteScriptWord(const std::string& value)
{
    // PSFTP reads "" as a literal quote inside and outside quotes, before it toggles
    // quoting. A word of quotes alone would then lose its enclosing pair; it has no blank
    // to protect, so its doubled quotes stand without one.
    bool onlyQuotes = value.find_first_not_of('"') == std::string::npos && !value.empty();
    std::string quoted = onlyQuotes ? "" : "\"";
    for (char c : value) {
        quoted += c;
        if (c == '"')
            quoted += '"';
    }
    if (!onlyQuotes)
        quoted += '"';
    return quoted;
}

bool HasLineBreak(const std::string& value)
{
    return value.find_first_of("\r\n") != std::string::npos;
}

bool ConnectionHasLineBreak(const SftpConnection& c)
{
    return HasLineBreak(c.host) || HasLineBreak(c.user) || HasLineBreak(c.password) ||
           HasLineBreak(c.keyPath) || HasLineBreak(c.remotePath);
}

std::string BuildPsftpCommandLine(const std::string& clientPath, const SftpConnection& connection,
                                  const std::string& scriptPath)
{
    std::string line = QuoteCommandLineArgument(clientPath);
    line += " -P " + std::to_string(EffectivePort(connection));
    line += " -l " + QuoteCommandLineArgument(connection.user);
    if (!connection.password.empty())
        line += " -pw " + QuoteCommandLineArgument(connection.password);
    if (!connection.keyPath.empty())
        line += " -i " + QuoteCommandLineArgument(connection.keyPath);
    line += " -batch -b " + QuoteCommandLineArgument(scriptPath);
    line += " " + QuoteCommandLineArgument(connection.host);
    return line;
}

std::string BuildPsftpScript(const std::string& remotePath, const std::string& localPath)
{
    std::string script = "get ";
    if (!remotePath.empty() && remotePath[0] == '-')
        script += "-- ";
    script += QuoteScriptWord(remotePath) + " " + QuoteScriptWord(localPath) + "\r\nquit\r\n";
    return script;
}

std::string RemoteFileName(const std::string& remotePath)
{
    size_t slash = remotePath.find_last_of("/\\");
    if (slash == std::string::npos)
        return std::string();
    return remotePath.substr(slash + 1);
}

std::string LocalDownloadName(const std::string& remotePath)
{
    std::string name = RemoteFileName(remotePath);
    if (name.empty())
        return "sftp_download.txt";
    for (char& c : name) {
        if (std::string(":*?<>|\"").find(c) != std::string::npos)
            c = '_';
    }
    return name;
}

std::string LocalDownloadPath(const std::string& tempFolder, unsigned tick, const std::string& remotePath)
{
    return Bounded(tempFolder + kDownloadPrefix + std::to_string(tick) + "_" + LocalDownloadName(remotePath),
                   kPathBound);
}

std::string ScriptPath(const std::string& tempFolder, unsigned tick)
{
    return Bounded(tempFolder + "zrvk_sftp_cmd_" + std::to_string(tick) + ".txt", kPathBound);
}

bool IsOwnDownloadCopy(const std::string& path, const std::string& tempFolder)
{
    if (tempFolder.empty() || path.size() <= tempFolder.size() ||
        !EqualsIgnoringCase(path.substr(0, tempFolder.size()), tempFolder))
        return false;
    std::string name = path.substr(tempFolder.size());
    const size_t prefix = sizeof(kDownloadPrefix) - 1;
    if (name.find_first_of("/\\") != std::string::npos ||
        !EqualsIgnoringCase(name.substr(0, prefix), kDownloadPrefix))
        return false;
    size_t digits = prefix;
    while (digits < name.size() && std::isdigit((unsigned char)name[digits]))
        ++digits;
    return digits > prefix && digits + 1 < name.size() && name[digits] == '_';
}

std::string RemoteTabTitle(const std::string& remotePath)
{
    std::string name = RemoteFileName(remotePath);
    return (name.empty() ? remotePath : name) + " [SFTP]";
}
