#include "sftp/sftp_profiles.h"

#include <algorithm>
#include <cctype>

#include "sftp/password_scramble.h"

namespace {

int32_t EffectivePort(int32_t port)
{
    return port < 1 ? 22 : port;
}

bool SameIgnoringCase(const std::string& a, const std::string& b)
{
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower((unsigned char)x) == std::tolower((unsigned char)y);
           });
}

const char* const kProfileKeys[] = {"Name", "Host", "Port", "User", "Password", "KeyPath", "RemotePath",
                                    "ReadOnly"};

std::string Key(const char* field, int number)
{
    return field + std::to_string(number);
}

void CachePassword(const SftpProfile& profile)
{
    if (!profile.password.empty())
        CacheSftpPassword(ConnectionOfProfile(profile));
}

} // namespace

std::string DefaultProfileName(const std::string& user, const std::string& host, int32_t port)
{
    std::string name = std::string(user.c_str()) + "@" + host.c_str() + ":" + std::to_string(EffectivePort(port));
    if (name.size() > 255)
        name.resize(255);
    return name;
}

SftpConnection ConnectionOfProfile(const SftpProfile& profile)
{
    SftpConnection c;
    static_cast<RemoteOrigin&>(c) = profile;
    c.port = EffectivePort(profile.port);
    c.password = profile.password;
    c.readOnly = profile.readOnly;
    return c;
}

SftpProfile ProfileOfConnection(const SftpConnection& c, const std::string& name)
{
    SftpProfile p;
    static_cast<RemoteOrigin&>(p) = c;
    p.port = EffectivePort(c.port);
    p.name = name;
    p.password = c.password;
    p.readOnly = c.readOnly;
    return p;
}

void AddOrUpdateProfileInList(std::vector<SftpProfile>& profiles, const SftpConnection& connection,
                              const char* name)
{
    SftpProfile p = ProfileOfConnection(
        connection, name && name[0] ? std::string(name) : DefaultProfileName(connection.user, connection.host, connection.port));

    auto match = std::find_if(profiles.begin(), profiles.end(), [&](const SftpProfile& stored) {
        return SameIgnoringCase(stored.name, p.name) ||
               (SameIgnoringCase(stored.host, p.host) && stored.port == p.port && SameIgnoringCase(stored.user, p.user));
    });
    if (match == profiles.end()) {
        profiles.insert(profiles.begin(), p);
        if (profiles.size() > kMaxSftpProfiles)
            profiles.resize(kMaxSftpProfiles);
        return;
    }
    if (!SameIgnoringCase(match->name, p.name))
        p.name = match->name;
    if (p.password.empty())
        p.password = match->password;
    *match = p;
    std::rotate(profiles.begin(), match, match + 1);
}

int FindProfileByName(const std::vector<SftpProfile>& profiles, const std::string& name)
{
    for (size_t i = 0; i < profiles.size(); ++i) {
        if (SameIgnoringCase(profiles[i].name, name))
            return (int)i;
    }
    return -1;
}

std::vector<SftpProfile> LoadProfilesFromSection(const SettingsSection& section)
{
    std::vector<SftpProfile> profiles;
    int count = std::clamp(section.readInt("Count", 0), 0, (int)kMaxSftpProfiles);
    for (int d = 1; d <= count; ++d) {
        SftpProfile p;
        p.name = section.readString(Key("Name", d));
        p.host = section.readString(Key("Host", d));
        p.port = EffectivePort(section.readInt(Key("Port", d), 22));
        p.user = section.readString(Key("User", d));
        p.password = UnscramblePassword(section.readString(Key("Password", d)));
        p.keyPath = section.readString(Key("KeyPath", d));
        p.remotePath = section.readString(Key("RemotePath", d));
        p.readOnly = section.readInt(Key("ReadOnly", d), 1) != 0;
        if (p.name.empty()) {
            if (p.host.empty() || p.user.empty())
                continue;
            p.name = DefaultProfileName(p.user, p.host, p.port);
        }
        if (p.host.empty())
            continue;
        CachePassword(p);
        profiles.push_back(p);
    }
    return profiles;
}

bool ProfileFromLastConnection(const SettingsSection& section, SftpProfile* profile)
{
    SftpProfile p;
    p.host = section.readString("Host");
    if (p.host.empty())
        return false;
    p.port = EffectivePort(section.readInt("Port", 22));
    p.user = section.readString("User");
    p.password = UnscramblePassword(section.readString("Password"));
    p.keyPath = section.readString("KeyPath");
    p.remotePath = section.readString("RemotePath");
    p.readOnly = section.readInt("ReadOnly", 1) != 0;
    p.name = DefaultProfileName(p.user, p.host, p.port);
    if (p.user.empty())
        return false;
    CachePassword(p);
    *profile = p;
    return true;
}

std::vector<SettingsWrite> ProfileSectionWrites(const std::vector<SftpProfile>& profiles)
{
    std::vector<SettingsWrite> writes;
    writes.push_back({"Count", false, std::to_string(profiles.size())});
    int d = 1;
    for (const SftpProfile& p : profiles) {
        const std::string values[] = {p.name,
                                      p.host,
                                      std::to_string(EffectivePort(p.port)),
                                      p.user,
                                      ScramblePassword(p.password),
                                      p.keyPath,
                                      p.remotePath,
                                      p.readOnly ? "1" : "0"};
        for (size_t k = 0; k < 8; ++k)
            writes.push_back({Key(kProfileKeys[k], d), false, values[k]});
        ++d;
    }
    for (; d <= kMaxSftpProfiles; ++d) {
        for (const char* field : kProfileKeys)
            writes.push_back({Key(field, d), true, std::string()});
    }
    return writes;
}
