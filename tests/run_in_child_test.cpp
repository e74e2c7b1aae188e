// run_in_child on POSIX systems: a child that comes back well, one that
// fails, one that dies of a signal even though the parent has a handler for
// it (as the graphics library has), and one that hangs. The parent's
// buffered output is written once, by the parent.

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <string>

#include <gtest/gtest.h>
#include <unistd.h>

#include "platform/platform.h"

using namespace std::chrono_literals;

namespace {

constexpr auto deadline = 5s;

}  // namespace

TEST(run_in_child, child_that_comes_back_well_leaves_the_parents_buffers_alone)
{
    std::FILE *out = std::tmpfile();
    ASSERT_NE(out, nullptr);
    static char buffer[BUFSIZ];
    std::setvbuf(out, buffer, _IOFBF, sizeof buffer);
    std::fputs("once", out);  // still in the buffer when the child ends
    int changed = 0;
    EXPECT_EQ(run_in_child([&] { changed = 1; return true; }, deadline), "");
    EXPECT_EQ(changed, 0);  // the child's own copy was changed
    std::rewind(out);
    char read[16] = {};
    EXPECT_EQ(std::fread(read, 1, sizeof read, out), 4u);
    EXPECT_STREQ(read, "once");
    std::fclose(out);
}

TEST(run_in_child, child_whose_work_fails_is_not_well)
{
    EXPECT_EQ(run_in_child([] { return false; }, deadline), "failed");
}

TEST(run_in_child, child_that_aborts_dies_of_it_despite_the_parents_handler)
{
    // A handler like the graphics library's, which would otherwise run in
    // the child and end it its own way.
    auto saved = std::signal(SIGABRT, [](int) { _exit(0); });
    std::string why = run_in_child([]() -> bool { std::abort(); }, deadline);
    std::signal(SIGABRT, saved);
    EXPECT_EQ(why, std::string("ended by ") + strsignal(SIGABRT));
}

TEST(run_in_child, child_that_hangs_is_killed_at_the_deadline)
{
    auto started = std::chrono::steady_clock::now();
    std::string why = run_in_child([]() -> bool { for (;;) pause(); }, 300ms);
    auto took = std::chrono::steady_clock::now() - started;
    EXPECT_EQ(why, "did not finish within 300 ms");
    EXPECT_GE(took, 300ms);
    EXPECT_LT(took, 3s);
}
