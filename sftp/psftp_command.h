#pragma once
// The texts of one PSFTP download: the child's command line, its two-line batch script,
// the names of the files it uses in the temporary folder and the tab title of the result.
// Values typed by the user reach a command line and a script here, so both are quoted
// by the rules of their reader, never inserted raw.

#include <string>

#include "sftp/sftp_connection.h"

// One command-line argument as the C runtime splits a command line: between double
// quotes, a quote written \", and the backslashes before a quote (or before the closing
// quote) doubled. Other backslashes stay single.
std::string QuoteCommandLineArgument(const std::string& value);

// One word of a PSFTP script line: between double quotes, a quote inside doubled.
std::string QuoteScriptWord(const std::string& value);

// True when the text holds a CR or an LF: such a value would end a script line or a
// settings entry early, so a download refuses it.
bool HasLineBreak(const std::string& value);
// The connection's host, user, password, key path or remote path holds a line break.
bool ConnectionHasLineBreak(const SftpConnection& connection);

// "<client>" -P port -l "user" [-pw "password"] [-i "key"] -batch -b "script" "host",
// every value quoted by QuoteCommandLineArgument; -pw and -i only for non-empty values.
std::string BuildPsftpCommandLine(const std::string& clientPath, const SftpConnection& connection,
                                  const std::string& scriptPath);

// The script's bytes: get "remote" "local" CR LF quit CR LF. A remote path that begins
// with "-" follows a "--", or PSFTP would read it as an option of get.
std::string BuildPsftpScript(const std::string& remotePath, const std::string& localPath);

// The remote path's text after its last "/" or "\", or "" when it has none or ends with one.
std::string RemoteFileName(const std::string& remotePath);
// The name part of the local copy: the remote file name with each of : * ? < > | "
// (which no Windows file name may hold) made "_", or "sftp_download.txt".
std::string LocalDownloadName(const std::string& remotePath);
// "%szrvk_sftp_%u_%s" and "%szrvk_sftp_cmd_%u.txt" in the temporary folder (which ends
// in a backslash), each cut to 259 characters.
std::string LocalDownloadPath(const std::string& tempFolder, unsigned tick, const std::string& remotePath);
std::string ScriptPath(const std::string& tempFolder, unsigned tick);
// Downloaded copies are named "zrvk_sftp_" followed by the tick: only such files in the
// temporary folder are the program's own to delete.
bool IsOwnDownloadCopy(const std::string& path, const std::string& tempFolder);

// The tab title of a remote document: its remote file name (the whole remote path when
// that has no name part) and " [SFTP]".
std::string RemoteTabTitle(const std::string& remotePath);
