// The probe's timing subcommands for the benchmark (bench/run.sh): what the Linux side could
// only time with a Wine process start in the way, timed with QueryPerformanceCounter. One line
// per sample on stdout: "FIGURE LABEL VALUE".
#pragma once

#include <string>
#include <vector>

namespace drive {

// ROUNDS LABEL=EXE...: starts each program in turn (the order reversed every other round)
// and times from CreateProcess to a visible window of its first thread; then closes that
// window and waits for the process to end. Settings are removed before every start, so the
// program starts logged out. One untimed start of each comes first.
void TimeStartup(const std::vector<std::string>& args);

// ROUNDS LABEL=EXE...: starts each program in turn, sends its window the Hide command (the
// program goes to the tray; the minimal dialog has no such command), lets it settle for a
// second and prints "rest_private LABEL KB" and "rest_working_set LABEL KB".
void MeasureRest(const std::vector<std::string>& args);

// ROUNDS LOG URL BARE_EXE: with the program running, logged in, message and number filled,
// times from the Send click to the gateway's log growing, then the same for BARE_EXE (started
// here with URL, the one the program sends, and set off through a named event), the two
// alternating.
void TimeSend(const std::vector<std::string>& args);

} // namespace drive
