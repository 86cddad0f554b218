#include "CliCommand.h"

#include "CliRanges.h"
#include "Utils.h"

#include <QString>

#include <algorithm>
#include <charconv>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <iostream>
#include <stdexcept>

static std::vector<const CliCommand *> &Registry()
{
    static std::vector<const CliCommand *> commands;
    return commands;
}

CliCommand::CliCommand(const char *name_, std::string usage_, Run run_, Needs needs_)
    : name(name_), usage(usage_), run(std::move(run_)), needs(needs_)
{
    Registry().push_back(this);
}

const std::vector<const CliCommand *> &CliCommands()
{
    auto &r = Registry();
    std::sort(r.begin(), r.end(), [](auto *a, auto *b) { return std::string(a->name) < b->name; });
    return r;
}

int CliFail(const std::string &file, const std::string &problem)
{
    std::cerr << "orolith-cli: " << (file.empty() ? "" : file + ": ") << problem << "\n";
    return 1;
}

std::string CliWriteFailure(const std::string &what)
{
    const int reason = errno;
    return reason == 0 ? what : what + ": " + std::strerror(reason);
}

const char *const NotUtf8Problem = "the name is not valid UTF-8: choose another name";

bool IsValidUtf8(const std::string &name)
{
    const QByteArray bytes = QByteArray::fromStdString(name);
    return QString::fromUtf8(bytes).toUtf8() == bytes;
}

std::string OneDecimalText(double value)
{
    char text[32];
    *std::to_chars(text, text + sizeof text - 1, value, std::chars_format::fixed, 1).ptr = '\0';
    return text;
}

std::optional<TLatLon> ParseLatLonText(const std::string &text)
{
    const size_t comma = text.find(',');
    if (comma == std::string::npos)
        return std::nullopt;
    TLatLon p;
    const char *b = text.data(), *mid = b + comma, *e = b + text.size();
    const auto lat = std::from_chars(b, mid, p.Lat), lon = std::from_chars(mid + 1, e, p.Lon);
    if (lat.ec != std::errc() || lat.ptr != mid || lon.ec != std::errc() || lon.ptr != e)
        return std::nullopt;
    return p;
}

bool CliArgs::Has(const std::string &name) const
{
    return std::any_of(options.begin(), options.end(), [&](auto &o) { return o.first == name; });
}

std::string CliArgs::Value(const std::string &name, const std::string &fallback) const
{
    for (auto o = options.rbegin(); o != options.rend(); ++o)
        if (o->first == name)
            return o->second;
    return fallback;
}

double CliArgs::Number(const std::string &name, double fallback) const
{
    if (!Has(name))
        return fallback;
    double v = 0;
    try {
        v = StrToFloatN(Value(name));
    } catch (const EConvertError &) {
        v = std::nan("");
    }
    // Text that is no number (nan, inf, 1e39x) is out of range too.
    const TCliRange &range = CliRange(command, name);
    if (!std::isfinite(v) || v < range.lowest || v > range.highest || (range.whole && v != std::trunc(v))) {
        throw std::invalid_argument("--" + name + " must be " + (range.whole ? "a whole number " : "") + "from " +
                                    CliRangeText(range.lowest) + " to " + CliRangeText(range.highest) + ", not '" +
                                    Value(name) + "'");
    }
    return v;
}

int CliArgs::WholeNumber(const std::string &name, int fallback) const
{
    return static_cast<int>(Number(name, fallback));
}

CliArgs ParseCliArgs(const std::string &command, const std::vector<std::string> &args,
                     const std::vector<std::string> &valued, const std::vector<std::string> &flags)
{
    CliArgs out;
    out.command = command;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string &a = args[i];
        if (a == "--help" || a == "-h")
            throw ECliHelp{};
        if (a.size() > 2 && a.rfind("--", 0) == 0) {
            const std::string name = a.substr(2);
            if (std::find(flags.begin(), flags.end(), name) != flags.end()) {
                out.options.emplace_back(name, "");
            } else if (std::find(valued.begin(), valued.end(), name) != valued.end()) {
                if (i + 1 >= args.size())
                    throw std::invalid_argument("option --" + name + " needs a value");
                out.options.emplace_back(name, args[++i]);
            } else {
                throw std::invalid_argument("unknown option " + a);
            }
        } else {
            out.positional.push_back(a);
        }
    }
    return out;
}
