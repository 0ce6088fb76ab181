// A stand-in for the SFTP client in the download tests. It records how it was started and
// does what the environment asks:
//   ZV_STANDIN_RECORD   file that receives the command line, each argument as the C
//                       runtime split it, and the script's bytes
//   ZV_STANDIN_OUTPUT   text printed to standard output
//   ZV_STANDIN_FLOOD    number of further bytes printed (more than a pipe holds)
//   ZV_STANDIN_CONTENT  when set, the local file of the script's get line is created
//                       with this content
//   ZV_STANDIN_SLEEP_MS time spent before ending
//   ZV_STANDIN_EXIT     exit code (0 when unset)
//   ZV_STANDIN_SPAWN    instead of all that: start this program (with the same
//                       environment less this variable), write its process id to
//                       ZV_STANDIN_SPAWNED and end: a client that another program started
#include <windows.h>

#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "tests/psftp_script_words.h"

namespace {

std::string Env(const char* name)
{
    char value[4096];
    DWORD length = GetEnvironmentVariableA(name, value, sizeof(value));
    return length > 0 && length < sizeof(value) ? std::string(value, length) : std::string();
}

std::string ReadAll(const std::string& path)
{
    std::string bytes;
    FILE* file = fopen(path.c_str(), "rb");
    if (!file)
        return bytes;
    char buffer[4096];
    size_t got;
    while ((got = fread(buffer, 1, sizeof(buffer), file)) > 0)
        bytes.append(buffer, got);
    fclose(file);
    return bytes;
}

} // namespace

int main(int argc, char** argv)
{
    std::string spawn = Env("ZV_STANDIN_SPAWN");
    if (!spawn.empty()) {
        SetEnvironmentVariableA("ZV_STANDIN_SPAWN", nullptr);
        std::string line = "\"" + spawn + "\" -b spawned";
        STARTUPINFOA startup = {};
        startup.cb = sizeof(startup);
        PROCESS_INFORMATION info = {};
        if (!CreateProcessA(nullptr, &line[0], nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr, nullptr, &startup,
                            &info))
            return 1;
        FILE* file = fopen(Env("ZV_STANDIN_SPAWNED").c_str(), "wb");
        if (file) {
            fprintf(file, "%lu", (unsigned long)info.dwProcessId);
            fclose(file);
        }
        CloseHandle(info.hProcess);
        CloseHandle(info.hThread);
        return 0;
    }
    std::string script;
    for (int i = 1; i + 1 < argc; ++i) {
        if (std::string(argv[i]) == "-b")
            script = ReadAll(argv[i + 1]);
    }
    std::string record = Env("ZV_STANDIN_RECORD");
    if (!record.empty()) {
        FILE* file = fopen(record.c_str(), "wb");
        if (file) {
            fprintf(file, "%s\n", GetCommandLineA());
            for (int i = 0; i < argc; ++i)
                fprintf(file, "[%s]\n", argv[i]);
            fprintf(file, "script:");
            fwrite(script.data(), 1, script.size(), file);
            fclose(file);
        }
    }
    if (GetEnvironmentVariableA("ZV_STANDIN_CONTENT", nullptr, 0) > 0) {
        std::vector<std::string> words = SplitLikePsftp(script.substr(0, script.find("\r\n")));
        if (!words.empty()) {
            FILE* file = fopen(words.back().c_str(), "wb");
            if (file) {
                std::string content = Env("ZV_STANDIN_CONTENT");
                fwrite(content.data(), 1, content.size(), file);
                fclose(file);
            }
        }
    }
    _setmode(_fileno(stdout), _O_BINARY);  // the bytes asked for, without CR added
    std::string output = Env("ZV_STANDIN_OUTPUT");
    fwrite(output.data(), 1, output.size(), stdout);
    long flood = atol(Env("ZV_STANDIN_FLOOD").c_str());
    for (long i = 0; i < flood; ++i)
        fputc(i % 64 == 63 ? '\n' : 'x', stdout);
    fflush(stdout);
    // A client that takes this long: the sleep is the time itself.
    Sleep((DWORD)atol(Env("ZV_STANDIN_SLEEP_MS").c_str()));
    return atoi(Env("ZV_STANDIN_EXIT").c_str());
}
