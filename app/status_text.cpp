#include "app/status_text.h"

#include <stdio.h>

const char* EolDisplayName(EolMode eol)
{
    switch (eol) {
    case Lf: return "Unix (LF)";
    case Cr: return "Mac (CR)";
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
    if (info.lossReason && info.lossReason[0]) {
        text += " | ";
        text += info.lossReason;
    }
    if (info.sftpUrl && info.sftpUrl[0]) {
        text += " | ";
        text += std::string(info.sftpUrl).substr(0, 60);
    }
    return text;
}
