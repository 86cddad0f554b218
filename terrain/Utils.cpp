#include "Utils.h"

#include "TerrainError.h"

#include <QDir>
#include <QString>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <charconv>
#include <chrono>
#include <cmath>
#include <cstring>
#include <string_view>
#include <vector>


void GetTempFolder(std::string &out)
{
    const QString temp = QDir::tempPath();
    if (temp.isEmpty())
        return;
    out = IncludeTrailingSeparator(QDir::toNativeSeparators(temp).toStdString());
}

std::string GetTempFolder()
{
    std::string out = "/tmp/";
    GetTempFolder(out);
    return out;
}

// Every number text goes through std::to_chars and std::from_chars: they never
// look at the C library's locale, which QApplication sets from the user's
// environment (a comma-decimal one under LANG=de_DE.UTF-8).

// Scientific text in the toolkit's style from to_chars' "1.50000000000000e+20":
// "1.5E20", "1E-5".
static std::string ScientificText(const std::string &digits)
{
    const auto e = digits.find('e');
    std::string mantissa = digits.substr(0, e);
    const std::string exponent = digits.substr(e + 1);
    if (mantissa.find('.') != std::string::npos) {
        while (mantissa.back() == '0')
            mantissa.pop_back();
        if (mantissa.back() == '.')
            mantissa.pop_back();
    }
    const bool negative = exponent[0] == '-';
    size_t first = 1;
    while (first + 1 < exponent.size() && exponent[first] == '0')
        ++first;
    return mantissa + "E" + (negative ? "-" : "") + exponent.substr(first);
}

std::string FloatToStrN(double value)
{
    if (std::isnan(value))
        return "NAN";
    if (std::isinf(value))
        return value > 0 ? "INF" : "-INF";
    if (value == 0)
        return "0";
    // Round to 15 significant digits first: the exponent after rounding picks the notation.
    char buf[64];
    char *end = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::scientific, 14).ptr;
    const std::string scientific(buf, end);
    int exponent = 0;
    const char *e = buf + scientific.find('e') + 1;
    std::from_chars(*e == '+' ? e + 1 : e, end, exponent);
    if (exponent < -4 || exponent > 14)
        return ScientificText(scientific);
    end = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::fixed, std::max(0, 14 - exponent)).ptr;
    std::string s(buf, end);
    if (s.find('.') != std::string::npos) {
        while (s.back() == '0')
            s.pop_back();
        if (s.back() == '.')
            s.pop_back();
    }
    return s;
}

// For a number std::from_chars found out of a double's range: true when it
// is too small (it then reads as zero), false when too large. The power of
// ten of its first significant digit tells, as such numbers lie beyond 1e308
// or below 1e-324.
static bool UnderflowsToZero(std::string_view number)
{
    const size_t e = number.find_first_of("eE");
    long long exponent = 0;
    if (e != std::string_view::npos) {
        const char *p = number.data() + e + 1;
        const char *last = number.data() + number.size();
        if (*p == '+')
            ++p;
        if (std::from_chars(p, last, exponent).ec == std::errc::result_out_of_range)
            return *p == '-';
        number = number.substr(0, e);
    }
    const size_t point = std::min(number.find('.'), number.size());
    const size_t digit = number.find_first_of("123456789");
    if (digit == std::string_view::npos)
        return true;
    const long long order = digit < point ? static_cast<long long>(point - digit) - 1
                                          : -static_cast<long long>(digit - point);
    // The text is shorter than this bound, so the sum cannot overflow.
    return order + std::clamp(exponent, -(1LL << 60), 1LL << 60) < 0;
}

double StrToFloatN(const std::string &text)
{
    // Both separators read as the decimal point.
    std::string s = text;
    if (auto p = s.find('.'); p != std::string::npos)
        s[p] = '.';
    else if (auto c = s.find(','); c != std::string::npos)
        s[c] = '.';
    // Blanks around the number are allowed, as padded placemark fields carry them.
    size_t b = s.find_first_not_of(" \t");
    size_t e = s.find_last_not_of(" \t");
    if (b == std::string::npos)
        throw EConvertError("'" + text + "' is not a valid floating point value");
    s = s.substr(b, e - b + 1);
    const char *first = s.data();
    const char *last = s.data() + s.size();
    if (*first == '+') {
        ++first;
        if (first == last || *first == '+' || *first == '-')
            throw EConvertError("'" + text + "' is not a valid floating point value");
    }
    double value = 0;
    auto [ptr, ec] = std::from_chars(first, last, value, std::chars_format::general);
    if (ec == std::errc::result_out_of_range && ptr == last) {
        // Underflow reads as zero; a number too large for a double is no
        // number the program could write back, so it is refused.
        if (!UnderflowsToZero(std::string_view(first, static_cast<size_t>(last - first))))
            throw EConvertError("'" + text + "' is not a valid floating point value");
        value = *first == '-' ? -0.0 : 0.0;
        ec = std::errc();
    }
    if (ec != std::errc() || ptr != last)
        throw EConvertError("'" + text + "' is not a valid floating point value");
    // "inf" and "nan" are no decimal numbers.
    for (const char *p = first; p != last; ++p)
        if (std::isalpha(static_cast<unsigned char>(*p)) && *p != 'e' && *p != 'E')
            throw EConvertError("'" + text + "' is not a valid floating point value");
    return value;
}

bool MatchesMask(const std::string &name, const std::string &mask)
{
    if (name.empty() || mask.empty())
        return false;
    for (size_t i = 0; i < name.size(); ++i) {
        if (i >= mask.size())
            return false;
        const unsigned char c = static_cast<unsigned char>(name[i]);
        const char m = mask[i];
        switch (m) {
        case '#':
            if (!(std::isdigit(c) || (c < 128 && std::isalpha(c))))
                return false;
            break;
        case '0':
            if (!(c >= '0' && c <= '9'))
                return false;
            break;
        case 'C':
            if (!(c >= 'A' && c <= 'Z'))
                return false;
            break;
        case 'c':
            if (!(c >= 'a' && c <= 'z'))
                return false;
            break;
        case '*':
            return true;
        default:
            if (static_cast<char>(c) != m)
                return false;
        }
    }
    return true;
}

float SignOf(float x)
{
    if (x == 0)
        return 0;
    return x / std::fabs(x);
}

void ClampAbs(double &v, double limit)
{
    if (std::fabs(v) > limit)
        v = limit * SignOf(static_cast<float>(v));
}

void ClampAbsSingle(float &v, float limit)
{
    if (std::fabs(v) > limit)
        v = limit * SignOf(v);
}

std::string IncludeTrailingSeparator(const std::string &s)
{
    if (!s.empty() && s.back() == '/')
        return s;
    return s + "/";
}

std::string LowerExtension(const std::string &fileName)
{
    const size_t slash = fileName.find_last_of('/');
    const std::string base = slash == std::string::npos ? fileName : fileName.substr(slash + 1);
    const size_t dot = base.find_last_of('.');
    if (dot == std::string::npos)
        return {};
    std::string ext = base.substr(dot + 1);
    std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char ch) { return std::tolower(ch); });
    return ext;
}

std::string CombinePath(const std::string &folder, const std::string &path)
{
    const std::string base = IncludeTrailingSeparator(folder);
    const std::string joined = (!path.empty() && path[0] == '/') ? path : base + path;
    const bool absolute = !joined.empty() && joined[0] == '/';
    // Resolve "." and ".." element by element; ".." at the root stays at the root.
    std::vector<std::string> parts;
    size_t start = 0;
    while (start <= joined.size()) {
        size_t end = joined.find('/', start);
        if (end == std::string::npos)
            end = joined.size();
        const std::string part = joined.substr(start, end - start);
        if (part == "..") {
            if (!parts.empty() && parts.back() != "..")
                parts.pop_back();
            else if (!absolute)
                parts.push_back(part);
        } else if (!part.empty() && part != ".") {
            parts.push_back(part);
        }
        start = end + 1;
    }
    std::string result = absolute ? "/" : "";
    for (size_t i = 0; i < parts.size(); ++i) {
        if (i)
            result += '/';
        result += parts[i];
    }
    // A path ending in a separator (or an empty path naming the folder) keeps its final "/".
    const bool trailing = path.empty() || path.back() == '/' || path == "." || path == "..";
    if (trailing && !parts.empty())
        result += '/';
    return result;
}

int64_t ReadCounter()
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

int64_t CounterFrequency()
{
    return 1000000000LL;
}

double ElapsedMs(int64_t start)
{
    return static_cast<double>(ReadCounter() - start) / static_cast<double>(CounterFrequency()) * 1000.0;
}
