#pragma once
#include <windows.h>

// The editor's word-break procedure (EM_SETWORDBREAKPROC): the rule of WordBreakPosition
// with the system's lead-byte test.
int CALLBACK EditWordBreakProc(LPSTR text, int current, int length, int action);
