// The Windows tests' main: GoogleTest's, but the process ends without the C library's exit().
// Under Wine, exit() runs the Unix libraries' destructors while threads that the process's end
// kills, or that have just ended, are still on their way out; one of them can die of a
// segmentation fault that fails a run whose every check passed. TerminateProcess ends the
// process at once, with the tests' verdict as its exit code.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    const int result = RUN_ALL_TESTS();
    std::fflush(nullptr);
    ::TerminateProcess(::GetCurrentProcess(), static_cast<UINT>(result));
    return result;
}
