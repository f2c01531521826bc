// The probe's subcommands for the benchmark (bench/run.sh): what the Linux side could only
// time with a Wine process start in the way, timed from outside the programs with
// QueryPerformanceCounter, and their memory read with GetProcessMemoryInfo. One line per sample
// on stdout: "FIGURE LABEL VALUE".
#pragma once

#include <string>
#include <vector>

namespace drive {

// ROUNDS LABEL=EXE...: from CreateProcess to a visible window of each program's first thread
// (settings removed first, so the program starts logged out), the order reversed every other
// round, after one untimed start of each.
void TimeStartup(const std::vector<std::string>& args);

// ROUNDS LABEL=EXE...: each program's working set a second after its window was sent the Hide
// command (the program goes to the tray; a baseline has no such command).
void MeasureRest(const std::vector<std::string>& args);

// ROUNDS SOAK_ROUNDS SENDS LOG HOST PORT PATH BARE_EXE: with the program running, logged in,
// message and number filled, against the bare calls in BARE_EXE (given HOST, PORT and PATH, the
// request the program sends) in a process of their own, the two alternating, each send reaching
// the gateway and its reply in before the next: ROUNDS times from the Send click to the
// gateway's LOG growing ("send"); then, after 20 more sends each, SOAK_ROUNDS times how much
// each one's working set grew per send over SENDS sends ("soak"), and its working set after
// the 20 and after each round ("soak_working_set").
void TimeSends(const std::vector<std::string>& args);

} // namespace drive
