#include <doctest/doctest.h>

#include "document/scoped_flag.h"

#include <stdexcept>

TEST_CASE("a scoped flag gives back the value it found, so a nested scope keeps the outer one set")
{
    bool flag = false;
    {
        ScopedFlag outer(flag);
        CHECK(flag);
        {
            ScopedFlag inner(flag);
            CHECK(flag);
        }
        CHECK(flag); // a nested loop must not end the outer protection
        {
            ScopedFlag off(flag, false);
            CHECK_FALSE(flag);
        }
        CHECK(flag);
    }
    CHECK_FALSE(flag);

    // An exception leaving the scope restores it as well.
    try {
        ScopedFlag during(flag);
        throw std::runtime_error("out of memory");
    } catch (const std::exception&) {
    }
    CHECK_FALSE(flag);
}
