#pragma once
// Saved connections: the most recently used first, at most 20, kept in the settings
// file's [SFTPProfiles] section. The logic works on a key-value view of that section, so
// that the window code only reads and writes the file.

#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "sftp/sftp_connection.h"

struct SftpProfile : RemoteOrigin {
    std::string name;  // shown in the list; "user@host:port" by default
    std::string password;  // plain in memory, scrambled in the file
    bool readOnly = true;
};

enum { kMaxSftpProfiles = 20 };

// "user@host:port" (a port below 1 gives 22), at most 255 characters.
std::string DefaultProfileName(const std::string& user, const std::string& host, int32_t port);

SftpConnection ConnectionOfProfile(const SftpProfile& profile);
SftpProfile ProfileOfConnection(const SftpConnection& connection, const std::string& name);

// Stores the connection as the most recent profile: a stored profile with the same name,
// or the same host, port and user (names, hosts and users compared ignoring ASCII case),
// is updated and moved to the front, keeping its name (unless the two names differ only
// in case) and, when the connection's password is empty, its password; otherwise the new
// profile goes to the front and the list is cut to 20.
void AddOrUpdateProfileInList(std::vector<SftpProfile>& profiles, const SftpConnection& connection,
                              const char* name);

// The index of the first profile whose name equals name ignoring ASCII case, or -1.
int FindProfileByName(const std::vector<SftpProfile>& profiles, const std::string& name);

// One section of the settings file as the logic sees it.
struct SettingsSection {
    std::function<std::string(const std::string& key)> readString;  // "" when absent
    std::function<int(const std::string& key, int defaultValue)> readInt;
};

// [SFTPProfiles]: Count (clamped to 0..20) entries; an entry without a host is dropped,
// one without a name is named by default (or dropped without host or user). Every
// loaded password is put into the password cache.
std::vector<SftpProfile> LoadProfilesFromSection(const SettingsSection& section);

// The last connection ([SFTP]) as a profile, when it has a host and a user; its password
// goes into the password cache.
bool ProfileFromLastConnection(const SettingsSection& section, SftpProfile* profile);

// The writes that store the list in [SFTPProfiles], in order: Count, then the eight keys
// of each profile, then the deletion (no value) of the eight keys of every unused number
// up to 20.
struct SettingsWrite {
    std::string key;
    bool remove;
    std::string value;
};
std::vector<SettingsWrite> ProfileSectionWrites(const std::vector<SftpProfile>& profiles);
