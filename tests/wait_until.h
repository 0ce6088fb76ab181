#pragma once
// Waiting in a window or end-to-end test for something the program does: the condition is
// polled until it holds, and a time-out fails the test with what never happened. A fixed
// sleep instead would waste its whole length on a fast machine and still lose the race on
// a slow one (a loaded machine, or 32-bit Wine through qemu).

#include "tests/window/harness.h"

#include <doctest/doctest.h>

#include <windows.h>

#include <functional>
#include <string>

// A bound for one step of the program on the slowest machine the tests run on; a wait
// ends as soon as its condition holds, so a generous bound costs nothing.
const DWORD kWaitMs = 30000;

// Polls done until it holds (true) or timeoutMs has passed (false, with a failed check that
// names `what`, say "the session file holds both tabs"). Between the polls it runs
// between, or else sleeps a little and leaves this thread's messages waiting.
inline bool WaitUntil(const std::function<bool()>& done, DWORD timeoutMs, const std::string& what,
                      const std::function<void()>& between = nullptr)
{
    DWORD start = GetTickCount();
    while (!done()) {
        if (GetTickCount() - start >= timeoutMs) {
            FAIL_CHECK("never happened within " << timeoutMs << " ms: " << what);
            return false;
        }
        if (between)
            between();
        else
            Sleep(20);
    }
    return true;
}

// WaitUntil with this thread's messages handled between the polls as the program's message
// loop handles them: for what a window of this process does by itself (a timer, a posted
// message, another thread's message).
inline bool WaitUntil(HWND mainWnd, const std::function<bool()>& done, DWORD timeoutMs,
                      const std::string& what)
{
    return WaitUntil(done, timeoutMs, what, [mainWnd] { PumpMessages(mainWnd, 10); });
}
