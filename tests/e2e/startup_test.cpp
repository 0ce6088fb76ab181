#include <doctest/doctest.h>

#include "tests/e2e/process.h"
#include "tests/window/harness.h"

TEST_CASE("Zorvik.exe starts with its window and WM_CLOSE ends it with exit code 0")
{
    RemoveProgramFiles();
    std::string exe = PrepareZorvikCopy();
    ZorvikProcess process;
    REQUIRE(StartZorvik(exe, "", &process));
    char title[128] = "";
    GetWindowTextA(process.window, title, sizeof(title));
    CHECK(std::string(title) == "zenithOrbitalReflectorVectorIndexKit - Windows 95 Edition");
    PostMessageA(process.window, WM_CLOSE, 0, 0);
    int code = WaitForExit(&process);
    if (code == -1)
        KillZorvik(&process);
    CHECK(code == 0);
    RemoveProgramFiles();
}
