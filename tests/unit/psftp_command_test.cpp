#include <doctest/doctest.h>

#include <string>
#include <vector>

#include "sftp/psftp_command.h"
#include "tests/psftp_script_words.h"

namespace {

// How the C runtime of the child splits its command line into arguments (the rules of
// the Microsoft runtimes for every argument after the program name): an independent
// reader to check that quoting survives the trip.
std::vector<std::string> SplitLikeTheRuntime(const std::string& line)
{
    std::vector<std::string> args;
    size_t i = 0;
    while (true) {
        while (i < line.size() && (line[i] == ' ' || line[i] == '\t'))
            ++i;
        if (i >= line.size())
            break;
        std::string arg;
        bool quoted = false;
        while (i < line.size() && (quoted || (line[i] != ' ' && line[i] != '\t'))) {
            size_t backslashes = 0;
            while (i < line.size() && line[i] == '\\') {
                ++backslashes;
                ++i;
            }
            if (i < line.size() && line[i] == '"') {
                arg.append(backslashes / 2, '\\');
                if (backslashes % 2) {
                    arg += '"';
                } else {
                    quoted = !quoted;
                }
                ++i;
            } else {
                arg.append(backslashes, '\\');
                if (i < line.size() && (quoted || (line[i] != ' ' && line[i] != '\t')))
                    arg += line[i++];
            }
        }
        args.push_back(arg);
    }
    return args;
}

SftpConnection Connection()
{
    SftpConnection c;
    c.host = "127.0.0.1";
    c.port = 2222;
    c.user = "tester";
    c.remotePath = "/home/tester/a b.txt";
    return c;
}

} // namespace

TEST_CASE("command-line arguments are quoted for the C runtime")
{
    struct Row {
        std::string value, quoted;
    };
    const Row rows[] = {
        {"plain", "\"plain\""},
        {"", "\"\""},
        {"pa ssword", "\"pa ssword\""},
        {"pa\"ss", "\"pa\\\"ss\""},
        {"ends\\", "\"ends\\\\\""},
        {"two\\\\", "\"two\\\\\\\\\""},
        {"a\\\"b", "\"a\\\\\\\"b\""},
        {"C:\\Program Files\\k.ppk", "\"C:\\Program Files\\k.ppk\""},
        {"\\\\server\\share", "\"\\\\server\\share\""},
        {"-pw", "\"-pw\""},
    };
    for (const Row& row : rows) {
        CAPTURE(row.value);
        CHECK(QuoteCommandLineArgument(row.value) == row.quoted);
        std::vector<std::string> back = SplitLikeTheRuntime("x " + QuoteCommandLineArgument(row.value) + " -next");
        REQUIRE(back.size() == 3);
        CHECK(back[1] == row.value);
        CHECK(back[2] == "-next");
    }
}

TEST_CASE("the command line of a download")
{
    SftpConnection c = Connection();
    const std::string client = "C:\\Program Files\\Zorvik\\psftp.exe";
    const std::string script = "C:\\Temp dir\\zrvk_sftp_cmd_77.txt";

    SUBCASE("password only")
    {
        c.password = "secret";
        CHECK(BuildPsftpCommandLine(client, c, script) ==
              "\"C:\\Program Files\\Zorvik\\psftp.exe\" -P 2222 -l \"tester\" -pw \"secret\" -batch -b "
              "\"C:\\Temp dir\\zrvk_sftp_cmd_77.txt\" \"127.0.0.1\"");
    }
    SUBCASE("key only, port 0")
    {
        c.port = 0;
        c.keyPath = "C:\\keys\\my key.ppk";
        CHECK(BuildPsftpCommandLine(client, c, script) ==
              "\"C:\\Program Files\\Zorvik\\psftp.exe\" -P 22 -l \"tester\" -i \"C:\\keys\\my key.ppk\" -batch -b "
              "\"C:\\Temp dir\\zrvk_sftp_cmd_77.txt\" \"127.0.0.1\"");
    }
    SUBCASE("both, negative port")
    {
        c.port = -4;
        c.password = "p";
        c.keyPath = "k.ppk";
        CHECK(BuildPsftpCommandLine(client, c, script) ==
              "\"C:\\Program Files\\Zorvik\\psftp.exe\" -P 22 -l \"tester\" -pw \"p\" -i \"k.ppk\" -batch -b "
              "\"C:\\Temp dir\\zrvk_sftp_cmd_77.txt\" \"127.0.0.1\"");
    }
    SUBCASE("hostile values stay single arguments")
    {
        // A quote or a trailing backslash must not end the argument early and let the
        // rest of the value become options.
        c.password = "pa ss\"word\\";
        c.user = "u\" -i \"x";
        c.host = "h\\";
        std::vector<std::string> args = SplitLikeTheRuntime(BuildPsftpCommandLine(client, c, script));
        const std::vector<std::string> expected = {
            client, "-P", "2222", "-l", "u\" -i \"x", "-pw", "pa ss\"word\\", "-batch", "-b", script, "h\\"};
        CHECK(args == expected);
    }
}

TEST_CASE("the batch script")
{
    struct Row {
        std::string remote, local, bytes;
    };
    const Row rows[] = {
        {"/var/log/app.log", "C:\\T\\zrvk_sftp_5_app.log",
         "get \"/var/log/app.log\" \"C:\\T\\zrvk_sftp_5_app.log\"\r\nquit\r\n"},
        {"/home/u/a b.txt", "C:\\My Temp\\x", "get \"/home/u/a b.txt\" \"C:\\My Temp\\x\"\r\nquit\r\n"},
        {"/q\"uote.txt", "C:\\T\\zrvk_sftp_5_q_uote.txt",
         "get \"/q\"\"uote.txt\" \"C:\\T\\zrvk_sftp_5_q_uote.txt\"\r\nquit\r\n"},
        {"-r", "C:\\T\\x", "get -- \"-r\" \"C:\\T\\x\"\r\nquit\r\n"},
        {"\"", "C:\\T\\x", "get \"\" \"C:\\T\\x\"\r\nquit\r\n"},
    };
    for (const Row& row : rows) {
        CAPTURE(row.remote);
        std::string script = BuildPsftpScript(row.remote, row.local);
        CHECK(script == row.bytes);
        std::vector<std::string> words = SplitLikePsftp(script.substr(0, script.find("\r\n")));
        // get, the remote path (after "--" when present) and the local path.
        REQUIRE(words.size() >= 3);
        CHECK(words.front() == "get");
        CHECK(words[words.size() - 2] == row.remote);
        CHECK(words.back() == row.local);
    }
    // Quotes at the edges of a word, and words made of quotes only.
    for (std::string value : {"\"a", "a\"", "\"\"", "\"a b\"", "x\"\"y", "\"\"\""}) {
        CAPTURE(value);
        CHECK(SplitLikePsftp("get " + QuoteScriptWord(value) + " next") ==
              std::vector<std::string>{"get", value, "next"});
    }
}

TEST_CASE("line breaks are refused in every value")
{
    CHECK_FALSE(ConnectionHasLineBreak(Connection()));
    for (int field = 0; field < 5; ++field) {
        for (const char* breakText : {"\r", "\n", "a\r\nb"}) {
            SftpConnection c = Connection();
            std::string* values[] = {&c.host, &c.user, &c.password, &c.keyPath, &c.remotePath};
            *values[field] += breakText;
            CAPTURE(field);
            CHECK(ConnectionHasLineBreak(c));
        }
    }
}

TEST_CASE("local copy names, script names and tab titles")
{
    struct Row {
        std::string remote, localName, title;
    };
    const Row rows[] = {
        {"/var/log/app.log", "app.log", "app.log [SFTP]"},
        {"/home/u/app.conf", "app.conf", "app.conf [SFTP]"},
        {"notes.txt", "sftp_download.txt", "notes.txt [SFTP]"},
        {"/etc/", "sftp_download.txt", "/etc/ [SFTP]"},
        {"C:\\dir\\w.txt", "w.txt", "w.txt [SFTP]"},
        {"/a/b\\c.txt", "c.txt", "c.txt [SFTP]"},
        {"/x/a:b*c?d<e>f|g\"h.txt", "a_b_c_d_e_f_g_h.txt", "a:b*c?d<e>f|g\"h.txt [SFTP]"},
        {"/x/ spaced name ", " spaced name ", " spaced name  [SFTP]"},
    };
    for (const Row& row : rows) {
        CAPTURE(row.remote);
        CHECK(LocalDownloadName(row.remote) == row.localName);
        CHECK(RemoteTabTitle(row.remote) == row.title);
    }
    CHECK(LocalDownloadPath("C:\\T\\", 4294967295u, "/var/log/app.log") == "C:\\T\\zrvk_sftp_4294967295_app.log");
    CHECK(ScriptPath("C:\\T\\", 12) == "C:\\T\\zrvk_sftp_cmd_12.txt");
    std::string longPath = LocalDownloadPath("C:\\T\\", 1, "/" + std::string(400, 'n'));
    CHECK(longPath.size() == 259);
    CHECK(ScriptPath(std::string(300, 'd') + "\\", 1).size() == 259);
}

TEST_CASE("only the program's own downloaded copies count as its own")
{
    const std::string temp = "C:\\Users\\u\\Temp\\";
    struct Row {
        std::string path;
        bool own;
    };
    const Row rows[] = {
        {"C:\\Users\\u\\Temp\\zrvk_sftp_123_app.log", true},
        {"c:\\users\\U\\temp\\ZRVK_SFTP_9_x", true},
        {"C:\\Users\\u\\Temp\\zrvk_sftp_123_", false},
        {"C:\\Users\\u\\Temp\\zrvk_sftp_cmd_5.txt", false},
        {"C:\\Users\\u\\Temp\\zrvk_sftp__x", false},
        {"C:\\Users\\u\\Temp\\sub\\zrvk_sftp_1_x", false},
        {"C:\\Users\\u\\Documents\\zrvk_sftp_1_x", false},
        {"C:\\Users\\u\\Documents\\app.log", false},
        {"", false},
    };
    for (const Row& row : rows) {
        CAPTURE(row.path);
        CHECK(IsOwnDownloadCopy(row.path, temp) == row.own);
    }
    CHECK_FALSE(IsOwnDownloadCopy("zrvk_sftp_1_x", ""));
}
