#include "tools/text_tools.h"

// The commands arrive with the text tools' window side; until then they do nothing.
void RunJsonTool(HWND, JsonToolMode) {}
void RunHtmlBeautifier(HWND) {}
