#include "app/status_text.h"

#include <stdio.h>

const char* EncodingDisplayName(int encoding, bool bom)
{
    switch (encoding) {
    case 0: return "ANSI";
    case 1: return bom ? "UTF-8-BOM" : "UTF-8";
    case 2: return "UTF-16 LE BOM";
    case 3: return "UTF-16 BE BOM";
    default: return "Unknown";
    }
}

const char* EolDisplayName(int eol)
{
    switch (eol) {
    case 1: return "Unix (LF)";
    case 2: return "Mac (CR)";
    default: return "Windows (CR LF)";
    }
}

std::string FormatStatusText(const StatusInfo& info)
{
    std::string text = "Encoding: ";
    text += EncodingDisplayName(info.encoding, info.bom);
    text += " | ";
    text += EolDisplayName(info.eol);
    if (info.hasEditor) {
        char size[64];
        if (info.bytes < 1024)
            snprintf(size, sizeof(size), " | %d bytes | %d lines", (int)info.bytes, info.lines);
        else if (info.bytes > 0xFFFFF)
            snprintf(size, sizeof(size), " | %.2f MB | %d lines", info.bytes / 1048576.0, info.lines);
        else
            snprintf(size, sizeof(size), " | %.1f KB | %d lines", info.bytes / 1024.0, info.lines);
        text += size;
    }
    if (info.diffMode)
        text += " | DIFF";
    if (info.autoSave)
        text += " | AutoSave";
    if (info.readOnly)
        text += " | [Read-Only]";
    if (info.sftpUrl && info.sftpUrl[0]) {
        text += " | ";
        text += std::string(info.sftpUrl).substr(0, 60);
    }
    return text;
}
