// Any stored text unscrambles without a fault; a text that does unscramble to something
// other than itself is a scrambled form, and scrambling the result gives that form back
// (up to the case of its hex digits).

#include <cctype>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "sftp/password_scramble.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::string stored((const char*)data, size);
    std::string password = UnscramblePassword(stored);
    if (stored.compare(0, 4, "XP1:") != 0) {
        if (password != stored)
            abort();
    } else if (!password.empty()) {
        std::string again = ScramblePassword(password);
        std::string upper = stored;
        for (char& c : upper)
            c = (char)toupper((unsigned char)c);
        if (again != upper)
            abort();
    }
    if (UnscramblePassword(ScramblePassword(stored)) != stored)
        abort();
    return 0;
}
