#pragma once
// The status bar's description of the active document. Pure: no windows.h.

#include "document/encoding_choices.h"

#include <string>

struct StatusInfo {
    EncodingId encoding;
    bool bom;
    EolMode eol;
    bool hasEditor;
    long long bytes; // editor text length, CR LF counting 2
    int lines;
    bool diffMode;
    bool autoSave;
    bool readOnly;
    const char* lossReason; // why the document's file cannot be saved over, or null
    const char* sftpUrl;
};

// "Windows (CR LF)", "Unix (LF)" or "Mac (CR)".
const char* EolDisplayName(EolMode eol);
std::string FormatStatusText(const StatusInfo& info);
