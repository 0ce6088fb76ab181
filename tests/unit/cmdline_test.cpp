#include <doctest/doctest.h>

#include <string>
#include <vector>

#include "app/cmdline.h"

static std::vector<std::string> Tokens(const char* line)
{
    std::vector<std::string> out;
    const char* cursor = line;
    char buffer[kCommandLineTokenSize];
    while (GetNextCommandLineToken(&cursor, buffer))
        out.push_back(buffer);
    return out;
}

TEST_CASE("command-line tokens")
{
    struct Row {
        const char* line;
        std::vector<std::string> tokens;
    };
    const Row rows[] = {
        {"a.txt \"c:\\my files\\b.txt\" c.txt", {"a.txt", "c:\\my files\\b.txt", "c.txt"}},
        {"\"\" a.txt b.txt", {}},
        {"a.txt \"\" b.txt", {"a.txt"}},
        {"  \t a.txt\t\tb.txt  ", {"a.txt", "b.txt"}},
        {"\"unclosed rest of line", {"unclosed rest of line"}},
        {"ab\"cd ef", {"ab\"cd", "ef"}},
        {"", {}},
        {"   ", {}},
    };
    for (const Row& row : rows) {
        CAPTURE(row.line);
        CHECK(Tokens(row.line) == row.tokens);
    }
}

TEST_CASE("an overlong token keeps 259 characters and the next token reads normally")
{
    std::string line(300, 'x');
    line += " next.txt";
    std::vector<std::string> tokens = Tokens(line.c_str());
    REQUIRE(tokens.size() == 2);
    CHECK(tokens[0] == std::string(259, 'x'));
    CHECK(tokens[1] == "next.txt");

    std::string quoted = "\"" + std::string(300, 'q') + "\" after";
    tokens = Tokens(quoted.c_str());
    REQUIRE(tokens.size() == 2);
    CHECK(tokens[0].size() == 259);
    CHECK(tokens[1] == "after");
}

TEST_CASE("a null line yields nothing")
{
    const char* cursor = nullptr;
    char buffer[kCommandLineTokenSize] = "junk";
    CHECK_FALSE(GetNextCommandLineToken(&cursor, buffer));
    CHECK(buffer[0] == 0);
}
