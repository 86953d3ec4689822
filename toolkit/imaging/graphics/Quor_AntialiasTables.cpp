#include "toolkit/imaging/graphics/Quor_AntialiasTables.h"

#include <cmath>
#include <mutex>

namespace {

Quor_AntialiasTables sTables;
std::once_flag sTablesOnce;

void BuildTables()
{
    for (int i = 0; i < 32; i++) {
        const double s = (i + 0.5) / 32.0;
        sTables.slope_corr_table[i] =
            static_cast<int32_t>(std::trunc(256.0 * std::sqrt(s * s + 1.0) * 0.70710677));
    }
    for (int i = 0; i < 64; i++) {
        const double d = (i + 0.5) / 32.0;
        const double q = d / 0.75;
        sTables.filter_table[i] = static_cast<int32_t>(std::trunc(256.0 * std::exp(-q * q)));
    }
    for (int i = 0; i < 512; i++)
        sTables.sqrt_table[i] =
            static_cast<int32_t>(std::trunc(32.0 * std::sqrt((2.0 * i + 1.0) / 32.0)));
}

}  // namespace

const Quor_AntialiasTables& Quor_AntialiasTables::Get()
{
    std::call_once(sTablesOnce, BuildTables);
    return sTables;
}
