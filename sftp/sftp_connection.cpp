#include "sftp/sftp_connection.h"

#include <cstdlib>

std::map<std::string, std::string> gSftpPasswordCache;

namespace {

int EffectivePort(const SftpConnection& connection)
{
    return connection.port < 1 ? 22 : connection.port;
}

// The fields go through "%s" of a bounded format: each ends at its first NUL byte, and
// the whole text is cut to the bound less one.
std::string UpToNul(const std::string& field)
{
    return std::string(field.c_str());
}

std::string Bounded(std::string text, size_t bound)
{
    if (text.size() >= bound)
        text.resize(bound - 1);
    return text;
}

std::string UserHostPort(const SftpConnection& c)
{
    return UpToNul(c.user) + "@" + UpToNul(c.host) + ":" + std::to_string(EffectivePort(c));
}

} // namespace

std::string FormatConnectionKey(const SftpConnection& connection)
{
    return Bounded(UserHostPort(connection), 384);
}

std::string FormatConnectionUrl(const SftpConnection& connection)
{
    return Bounded("sftp://" + UserHostPort(connection) + UpToNul(connection.remotePath), 768);
}

bool ParseConnectionUrl(const std::string& url, SftpConnection* connection)
{
    const std::string prefix = "sftp://";
    if (url.compare(0, prefix.size(), prefix) != 0)
        return false;
    size_t at = url.find('@', prefix.size());
    if (at == std::string::npos)
        return false;
    size_t colon = url.find(':', at + 1);
    size_t slash = url.find('/', at + 1);
    if (colon == std::string::npos || (slash != std::string::npos && slash < colon))
        return false;
    connection->user = url.substr(prefix.size(), at - prefix.size());
    connection->host = url.substr(at + 1, colon - at - 1);
    int port = atoi(url.c_str() + colon + 1);
    connection->port = port < 1 ? 22 : port;
    connection->remotePath = slash == std::string::npos ? std::string() : url.substr(slash);
    return true;
}

std::string LookupCachedPassword(const SftpConnection& connection)
{
    auto found = gSftpPasswordCache.find(FormatConnectionKey(connection));
    return found == gSftpPasswordCache.end() ? std::string() : found->second;
}

void CacheSftpPassword(const SftpConnection& connection)
{
    if (connection.password.empty())
        return;
    gSftpPasswordCache[FormatConnectionKey(connection)] = connection.password;
}
