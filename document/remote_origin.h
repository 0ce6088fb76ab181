#pragma once
// Where a remote document came from: what Refresh needs to fetch it again. The open
// document, its closed-tab record, a connection and a saved profile all hold one, so it
// passes between them whole. A password is never part of it.

#include <stdint.h>
#include <string>

struct RemoteOrigin {
    std::string host;
    int32_t port = 22;       // a value below 1 is read as 22 everywhere
    std::string user;
    std::string keyPath;     // private-key file for PSFTP; empty when none
    std::string remotePath;  // as typed: neither trimmed nor normalised
};
