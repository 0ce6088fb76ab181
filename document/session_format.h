#pragma once
// The session file: every open tab's encoding, flags, path, title and text, written after
// each pause in typing and read back at start-up. Pure functions over byte buffers; the
// window code gathers the tabs and writes the bytes through WriteFileSafely.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "document/le_bytes.h"
#include "document/textcodec.h"

extern const char kSessionFileMagic[];  // "ZRVK_SESS_01\n"
constexpr size_t kSessionFileMagicSize = 13;
constexpr int32_t kSessionMaxTabs = 500;
constexpr uint32_t kSessionMaxPathBytes = 4096;
constexpr uint32_t kSessionMaxTitleBytes = 512;

struct SessionTab {
    EncodingId encoding = Utf8;  // stored and restored as it is, even outside the list
    bool bom = false;
    bool modified = false;
    std::string path;   // empty for an untitled document
    std::string title;  // the reader turns an empty title into "Untitled"
    std::string text;   // ANSI bytes with CR LF line ends
};

// One tab as the writer streams it: the path and text are the document's own bytes, read
// where they are instead of copied.
struct SessionTabRef {
    EncodingId encoding = Utf8;
    bool bom = false;
    bool modified = false;
    const char* path = "";
    size_t pathSize = 0;
    std::string title;
    const char* text = "";
    size_t textSize = 0;
};

// tabCount is tabs.size(); activeIndex is stored as given (-1: no selected tab).
std::string SerializeSession(int32_t activeIndex, const std::vector<SessionTab>& tabs);
// The same bytes, handed to the sink in pieces (each text whole, in one piece); false as
// soon as the sink refuses one.
bool StreamSession(int32_t activeIndex, const std::vector<SessionTabRef>& tabs, const ByteSink& sink);

enum class SessionRead {
    BadHeader, // wrong magic or a tab count below 1: tabs untouched
    Damaged,   // a record ended reading: the tabs before it are in tabs
    Capped,    // more than 500 tabs: the first 500 are in tabs, the rest was not read
    Complete,
};

// *activeIndex is 0 when the file ends before it; it is returned as stored, the caller
// maps values outside the restored tabs to 0. *tabCount (when given) is the count the
// file claims. Never reads past size and never allocates more than the bytes that remain
// could fill.
SessionRead ParseSession(const char* data, size_t size, int32_t* activeIndex, std::vector<SessionTab>& tabs,
                         int32_t* tabCount = nullptr);

// Nothing worth keeping: no tab, or one tab with neither path nor text. The session
// files are then deleted instead of written.
bool SessionIsEmpty(const std::vector<SessionTab>& tabs);
bool SessionIsEmpty(const SessionTabRef* tabs, size_t count);

// The title written for a tab: its caption, else the file name of its path (after the
// last backslash, or the whole path), else "new <position>" (1-based).
std::string SessionTabTitle(const std::string& caption, const std::string& path, int position);
