// The session-file reader on arbitrary bytes: no crash, no read past the buffer, no
// allocation beyond what the buffer could fill, and what it reads survives a round trip.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "document/session_format.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::vector<SessionTab> tabs;
    int32_t activeIndex = 0;
    SessionRead result =
        ParseSession(reinterpret_cast<const char*>(data), size, &activeIndex, tabs);
    if (result == SessionRead::BadHeader)
        return 0;
    size_t textBytes = 0;
    for (const SessionTab& t : tabs) {
        if (t.path.size() > kSessionMaxPathBytes || t.title.size() > kSessionMaxTitleBytes ||
            t.title.empty())
            std::abort();
        textBytes += t.path.size() + t.text.size();
    }
    if (textBytes > size || tabs.size() > static_cast<size_t>(kSessionMaxTabs))
        std::abort();
    if (!tabs.empty()) {
        std::string again = SerializeSession(activeIndex, tabs);
        std::vector<SessionTab> back;
        int32_t backActive = 0;
        if (ParseSession(again.data(), again.size(), &backActive, back) != SessionRead::Complete ||
            back.size() != tabs.size() || backActive != activeIndex)
            std::abort();
        for (size_t i = 0; i < tabs.size(); ++i) {
            const SessionTab& a = tabs[i];
            const SessionTab& b = back[i];
            if (a.encoding != b.encoding || a.bom != b.bom || a.modified != b.modified ||
                a.path != b.path || a.title != b.title || a.text != b.text)
                std::abort();
        }
    }
    return 0;
}
