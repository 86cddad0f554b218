// The sub-commands of orolith-cli. Each command file registers itself with a
// static CliCommand, so adding a command touches no other file.
#pragma once

#include "TilePos.h"

#include <functional>
#include <optional>
#include <string>
#include <vector>

struct CliCommand {
    using Run = std::function<int(const std::vector<std::string> &args)>;
    // Commands that draw (text, GL) need a Gui application; one that only
    // reads and prints starts without it, a tenth of a second sooner.
    enum class Needs { Gui, CoreOnly };
    CliCommand(const char *name, std::string usage, Run run, Needs needs = Needs::Gui);

    const char *name;
    std::string usage;
    Run run;
    Needs needs;
};

const std::vector<const CliCommand *> &CliCommands();

// Prints "orolith-cli: FILE: problem" to stderr and returns the exit code 1.
int CliFail(const std::string &file, const std::string &problem);

// "what: the system's reason" after a write that failed and left its reason
// in errno; `what` alone when errno is 0.
std::string CliWriteFailure(const std::string &what);

// The picture, heightmap and tile writers take their names as text, where a
// name that is not valid UTF-8 would turn into another one: such names are
// refused with this message (the model export writes any name's bytes).
extern const char *const NotUtf8Problem;
bool IsValidUtf8(const std::string &name);

// Milliseconds and heights with one decimal and "." whatever the locale
// (printf would follow the one the application sets up).
std::string OneDecimalText(double value);
// "LAT,LON" in degrees with "." decimals (the comma parts them), not checked
// for range; empty when the text is not that.
std::optional<TLatLon> ParseLatLonText(const std::string &text);

// Reads "--name value" options; positional arguments come back in order.
struct CliArgs {
    std::string command;  // whose option ranges apply (CliRanges.h)
    std::vector<std::string> positional;
    std::vector<std::pair<std::string, std::string>> options; // flags carry an empty value
    bool Has(const std::string &name) const;
    // The value of the last occurrence, as with most command-line tools.
    std::string Value(const std::string &name, const std::string &fallback = {}) const;
    // A number ("." or "," as decimal separator) within the option's range
    // (CliRanges.h), or `fallback` when the option is absent; throws
    // std::invalid_argument with the message for the user otherwise.
    double Number(const std::string &name, double fallback) const;
    // The same for an option whose range holds whole numbers only.
    int WholeNumber(const std::string &name, int fallback) const;
};
// Thrown by ParseCliArgs for --help (or -h): the command's usage is printed
// and the tool exits with 0.
struct ECliHelp {};
// `flags` name the options that take no value. Throws std::invalid_argument on an unknown option.
CliArgs ParseCliArgs(const std::string &command, const std::vector<std::string> &args, const std::vector<std::string> &valued,
                     const std::vector<std::string> &flags = {});
