#include "document/session_format.h"

#include <algorithm>
#include <cstdio>

#include "document/le_bytes.h"

const char kSessionFileMagic[] = "ZRVK_SESS_01\n";

namespace {

// encoding, bom, modified and the three length fields.
constexpr size_t kTabRecordFixedBytes = 6 * 4;

bool ReadTabRecord(LeByteReader& reader, SessionTab* tab)
{
    int32_t encoding, bom, modified;
    uint32_t pathLen, titleLen;
    int32_t textLen;
    if (!reader.ReadI32(&encoding) || !reader.ReadI32(&bom) || !reader.ReadI32(&modified))
        return false;
    tab->encoding = (EncodingId)encoding;
    tab->bom = bom != 0;
    tab->modified = modified != 0;
    if (!reader.ReadU32(&pathLen) || pathLen > kSessionMaxPathBytes ||
        !reader.ReadBytes(pathLen, &tab->path))
        return false;
    if (!reader.ReadU32(&titleLen) || titleLen > kSessionMaxTitleBytes ||
        !reader.ReadBytes(titleLen, &tab->title))
        return false;
    if (tab->title.empty())
        tab->title = "Untitled";
    if (!reader.ReadI32(&textLen) || textLen < 0)
        return false;
    return reader.ReadBytes(static_cast<uint32_t>(textLen), &tab->text);
}

}  // namespace

std::string SerializeSession(int32_t activeIndex, const std::vector<SessionTab>& tabs)
{
    size_t size = kSessionFileMagicSize + 8;
    std::vector<SessionTabRef> refs(tabs.size());
    for (size_t i = 0; i < tabs.size(); ++i) {
        const SessionTab& t = tabs[i];
        SessionTabRef& r = refs[i];
        r.encoding = t.encoding;
        r.bom = t.bom;
        r.modified = t.modified;
        r.path = t.path.data();
        r.pathSize = t.path.size();
        r.title = t.title;
        r.text = t.text.data();
        r.textSize = t.text.size();
        size += kTabRecordFixedBytes + t.path.size() + t.title.size() + t.text.size();
    }
    std::string out;
    out.reserve(size);
    StreamSession(activeIndex, refs, [&out](const char* data, size_t n) {
        out.append(data, n);
        return true;
    });
    return out;
}

bool StreamSession(int32_t activeIndex, const std::vector<SessionTabRef>& tabs, const ByteSink& sink)
{
    std::string fixed(kSessionFileMagic, kSessionFileMagicSize);
    AppendLeI32(fixed, static_cast<int32_t>(tabs.size()));
    AppendLeI32(fixed, activeIndex);
    for (const SessionTabRef& t : tabs) {
        AppendLeI32(fixed, t.encoding);
        AppendLeI32(fixed, t.bom ? 1 : 0);
        AppendLeI32(fixed, t.modified ? 1 : 0);
        if (!SinkLengthPrefixed(sink, fixed, t.path, t.pathSize) ||
            !SinkLengthPrefixed(sink, fixed, t.title.data(), t.title.size()) ||
            !SinkLengthPrefixed(sink, fixed, t.text, t.textSize))
            return false;
    }
    return fixed.empty() || sink(fixed.data(), fixed.size());
}

SessionRead ParseSession(const char* data, size_t size, int32_t* activeIndex, std::vector<SessionTab>& tabs,
                         int32_t* tabCount)
{
    LeByteReader reader(data, size);
    int32_t stored;
    if (!reader.Match(kSessionFileMagic, kSessionFileMagicSize) || !reader.ReadI32(&stored) || stored < 1)
        return SessionRead::BadHeader;
    if (tabCount)
        *tabCount = stored;
    // A larger session (the writer takes every open tab) gives its first 500 tabs back
    // rather than none.
    int32_t count = std::min(stored, kSessionMaxTabs);
    int32_t active;
    if (!reader.ReadI32(&active))
        active = 0;
    *activeIndex = active;
    tabs.clear();
    tabs.reserve(std::min<size_t>(static_cast<size_t>(count), reader.left / kTabRecordFixedBytes));
    for (int32_t i = 0; i < count; ++i) {
        SessionTab tab;
        if (!ReadTabRecord(reader, &tab))
            return SessionRead::Damaged;
        tabs.push_back(std::move(tab));
    }
    return stored > count ? SessionRead::Capped : SessionRead::Complete;
}

bool SessionIsEmpty(const std::vector<SessionTab>& tabs)
{
    if (tabs.empty())
        return true;
    return tabs.size() == 1 && tabs[0].path.empty() && tabs[0].text.empty();
}

bool SessionIsEmpty(const SessionTabRef* tabs, size_t count)
{
    return count == 0 || (count == 1 && tabs[0].pathSize == 0 && tabs[0].textSize == 0);
}

std::string SessionTabTitle(const std::string& caption, const std::string& path, int position)
{
    if (!caption.empty())
        return caption;
    if (!path.empty()) {
        size_t slash = path.rfind('\\');
        return slash == std::string::npos ? path : path.substr(slash + 1);
    }
    char name[32];
    std::snprintf(name, sizeof name, "new %d", position);
    return name;
}
