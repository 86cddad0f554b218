// Small helpers shared by every layer: temp folder, locale-independent number
// text, name masks, clamps, path joining and a millisecond stopwatch.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>

// Raised by StrToFloatN for text that is not a decimal number.
class EConvertError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The system temp folder with a trailing "/"; `out` is left as it was when the
// system names none.
void GetTempFolder(std::string &out);
std::string GetTempFolder();

// General format, 15 significant digits, "." as decimal separator whatever the locale.
std::string FloatToStrN(double value);
// Reads "1.5" and "1,5" alike; throws EConvertError for anything else.
double StrToFloatN(const std::string &text);

bool MatchesMask(const std::string &name, const std::string &mask);

float SignOf(float x);
void ClampAbs(double &v, double limit);
void ClampAbsSingle(float &v, float limit);

std::string IncludeTrailingSeparator(const std::string &s);
// Extension of the file name without its folder, lower case and without the
// dot: "N47E011.HGT.zip" gives "zip"; "" when the name has none.
std::string LowerExtension(const std::string &fileName);
// Joins folder and path; an absolute path stands alone; "." and ".." are resolved.
std::string CombinePath(const std::string &folder, const std::string &path);

// Monotonic high-resolution counter, in nanoseconds.
int64_t ReadCounter();
int64_t CounterFrequency();
// Milliseconds since `start` was read with ReadCounter.
double ElapsedMs(int64_t start);
