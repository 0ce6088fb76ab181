#pragma once
#include <windows.h>

// The editor's word-break procedure (EM_SETWORDBREAKPROC).
int CALLBACK EditWordBreakProc(LPSTR text, int current, int length, int action);
