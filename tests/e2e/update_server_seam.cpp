// Linked into a copy of the program for the updater's end-to-end test: before WinMain
// runs, its updater is pointed at the loopback server that ZV_UPDATE_ROOT names.
#include "app/updater.h"

#include <stdlib.h>

namespace {

struct LoopbackUpdateServer {
    LoopbackUpdateServer()
    {
        const char* root = getenv("ZV_UPDATE_ROOT");
        if (root && *root)
            SetUpdateServersForTesting(root, root);
    }
} gLoopbackUpdateServer;

} // namespace
