// The Windows tests' main: GoogleTest's, but the process ends without the C library's exit.
// Under Wine a thread that has just ended (the harness's driver) may still be leaving on the
// Unix side when main returns; exit() then tears down the libraries under it, and the thread
// dies of a segmentation fault that fails a test whose every check passed. TerminateProcess
// ends the process at once, with the tests' verdict as its exit code.
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
