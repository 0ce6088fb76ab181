// Stands in for a WinINet library that lacks HttpQueryInfoA: the four functions an update
// check needs, passed on to the system's library. Declared here rather than taken from
// wininet.h, whose declarations would import them.
#include <windows.h>

typedef void* HINTERNET;

namespace {

FARPROC Real(const char* name)
{
    static HMODULE wininet = LoadLibraryA("wininet.dll");
    return wininet ? GetProcAddress(wininet, name) : nullptr;
}

} // namespace

extern "C" {

__declspec(dllexport) HINTERNET WINAPI InternetOpenA(LPCSTR agent, DWORD access, LPCSTR proxy, LPCSTR bypass,
                                                     DWORD flags)
{
    typedef HINTERNET(WINAPI * Proc)(LPCSTR, DWORD, LPCSTR, LPCSTR, DWORD);
    Proc real = (Proc)(void*)Real("InternetOpenA");
    return real ? real(agent, access, proxy, bypass, flags) : nullptr;
}

__declspec(dllexport) HINTERNET WINAPI InternetOpenUrlA(HINTERNET session, LPCSTR url, LPCSTR headers,
                                                        DWORD headersLength, DWORD flags, DWORD_PTR context)
{
    typedef HINTERNET(WINAPI * Proc)(HINTERNET, LPCSTR, LPCSTR, DWORD, DWORD, DWORD_PTR);
    Proc real = (Proc)(void*)Real("InternetOpenUrlA");
    return real ? real(session, url, headers, headersLength, flags, context) : nullptr;
}

__declspec(dllexport) BOOL WINAPI InternetReadFile(HINTERNET request, LPVOID buffer, DWORD size, LPDWORD read)
{
    typedef BOOL(WINAPI * Proc)(HINTERNET, LPVOID, DWORD, LPDWORD);
    Proc real = (Proc)(void*)Real("InternetReadFile");
    return real && real(request, buffer, size, read);
}

__declspec(dllexport) BOOL WINAPI InternetCloseHandle(HINTERNET handle)
{
    typedef BOOL(WINAPI * Proc)(HINTERNET);
    Proc real = (Proc)(void*)Real("InternetCloseHandle");
    return real && real(handle);
}

} // extern "C"
