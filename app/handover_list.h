#pragma once
// What a second start hands to the running instance: the quoted list of full paths, the
// limits the receiver applies to it and the names of the hand-over files in the temporary
// folder. Pure: no windows.h, so it also builds natively for the sanitizers.

#include <string>
#include <vector>

// dwData of the WM_COPYDATA: "ZRVK" with its first letter in the most significant byte.
const unsigned long kCopyDataOpenFiles = 0x5A52564B;

enum {
    // The list never grows past this many bytes (it travels in a 64 KB buffer).
    kHandOverListLimit = 0xFFFE,
    // The largest WM_COPYDATA the receiver takes, counting the terminating zero.
    kHandOverCopyDataMax = 0x100000,
    // The largest hand-over file the receiver takes.
    kHandOverFileMax = 0xFFFFF,
};

// Appends one full path to the list as a double-quoted entry, separated from the one
// before by a blank. A second or later path that would take the list past the limit is
// not appended: false, and the list ends there. The first path is always taken.
bool AppendHandOverPath(std::string* list, const std::string& fullPath);
// The list of the paths in order, up to the first one that does not fit.
std::string BuildHandOverList(const std::vector<std::string>& fullPaths);
// The paths of a received list, read with the command-line tokenizer up to the first zero
// byte.
std::vector<std::string> SplitHandOverList(const std::string& list);

// The text of a WM_COPYDATA when it is a hand-over the receiver accepts: the right code,
// data present and between 1 and kHandOverCopyDataMax bytes (a list sent without its
// terminating zero is accepted). False changes nothing.
bool AcceptHandOverCopyData(unsigned long code, const void* data, unsigned long size, std::string* text);
// A hand-over file is used only when it holds 1 to kHandOverFileMax bytes.
bool HandOverFileSizeAccepted(unsigned long long size);

// "<temp>zorvik_open_<pid>.txt": the temporary folder ends in a backslash.
std::string HandOverFilePath(const std::string& tempFolder, unsigned long processId);
// The name the sender writes under before renaming the whole file to HandOverFilePath; it
// never matches HandOverFilePattern, so no receiver reads a file that is still being
// written.
std::string HandOverPartialFilePath(const std::string& tempFolder, unsigned long processId);
// "<temp>zorvik_open_*.txt", the files a receiver takes without a sender's message.
std::string HandOverFilePattern(const std::string& tempFolder);

// "<temp>zorvik_open_*.part": files a sender may have left when it died while writing.
std::string HandOverPartialFilePattern(const std::string& tempFolder);
// The sender's process id in the name of such a file ("zorvik_open_<pid>.part", no folder);
// false for any other name.
bool ParseHandOverPartialName(const std::string& name, unsigned long* processId);
// A partial file is abandoned once its sender no longer runs, or once it is older than a
// minute (the id may since belong to another process; a live sender writes it in one go).
const unsigned long long kHandOverPartialMaxAgeMs = 60000;
bool HandOverPartialAbandoned(bool senderRuns, unsigned long long ageMs);
