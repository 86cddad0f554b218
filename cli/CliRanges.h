// The range of every numeric option of orolith-cli, in one table: the
// option parser refuses values outside it (naming the range) and every
// command's usage shows it.
#pragma once

#include <initializer_list>
#include <string>

struct TCliRange {
    const char *command;  // "" for the option of every command that has it
    const char *option;   // without "--"
    double lowest, highest;
    bool whole;           // whole numbers only
};

// The range of --option for `command`; throws std::logic_error for an option
// the table lacks (a programming error, caught by the tests).
const TCliRange &CliRange(const std::string &command, const std::string &option);

// "--option lowest … highest" for each, wrapped into indented usage lines.
std::string CliRangesUsage(const std::string &command, std::initializer_list<const char *> options);

// A bound as the usage and the messages write it: 100000, 0.1, -32768.
std::string CliRangeText(double value);
