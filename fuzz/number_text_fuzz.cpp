// Number text: any input either converts or raises EConvertError, and what
// FloatToStrN writes always reads back to the same value.
#include "Utils.h"

#include <cmath>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const std::string text(reinterpret_cast<const char *>(data), size);
    try {
        const double v = StrToFloatN(text);
        if (std::isfinite(v)) {
            const double back = StrToFloatN(FloatToStrN(v));
            // 15 significant digits: equal to within the last digit.
            if (std::fabs(back - v) > std::fabs(v) * 1e-14)
                std::abort();
        }
    } catch (const EConvertError &) {
    }
    return 0;
}
