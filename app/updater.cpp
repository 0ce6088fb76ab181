#include "app/updater.h"

// The updater arrives with its own work.
void ShowUpdateWindow(HWND, bool) {}
