#define DOCTEST_CONFIG_IMPLEMENT
#include <doctest/doctest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

int main(int argc, char** argv)
{
#ifdef _WIN32
    // The Windows tests are there to judge the 32-bit program that people run. A 64-bit
    // build runs them only as a fallback that the test script announces loudly.
    const char* fallback = getenv("ZV_64BIT_FALLBACK");
    if (sizeof(void*) != 4 && !(fallback && strcmp(fallback, "1") == 0)) {
        fprintf(stderr, "This is a %d-bit test program: the Windows tests must run the 32-bit build "
                        "(set ZV_64BIT_FALLBACK=1 only where the 32-bit build cannot run).\n",
                (int)(sizeof(void*) * 8));
        return 1;
    }
#endif
    return doctest::Context(argc, argv).run();
}
