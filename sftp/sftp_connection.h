#pragma once
// One remote-file request, the two strings derived from it, and the passwords typed
// during this run.

#include <cstdint>
#include <map>
#include <string>

#include "document/remote_origin.h"

struct SftpConnection : RemoteOrigin {
    std::string password;  // plain text, memory only
    bool readOnly = true;
};

// Key of the password cache (and the default profile name): "user@host:port", at most
// 383 characters.
std::string FormatConnectionKey(const SftpConnection& connection);
// Identity of a remote document: "sftp://user@host:port" followed directly by the remote
// path, at most 767 characters.
std::string FormatConnectionUrl(const SftpConnection& connection);

// The user, host, port (below 1: 22) and remote path of a URL of that form: "sftp://",
// the user up to the first "@", the host up to the first ":" after it, the port's digits,
// and the remote path from the first "/" after the "@" (which must not come before that
// ":"). False, leaving the connection as it was, for a URL that breaks one of these rules.
bool ParseConnectionUrl(const std::string& url, SftpConnection* connection);

// Passwords by FormatConnectionKey; filled for the life of the process, never written
// anywhere and never pruned.
extern std::map<std::string, std::string> gSftpPasswordCache;

// The cached password for the connection's key, or "" when none is cached.
std::string LookupCachedPassword(const SftpConnection& connection);
// Stores the connection's password under its key; an empty password changes nothing.
void CacheSftpPassword(const SftpConnection& connection);
