#include "batch/diagnostics_report.h"

#include <charconv>
#include <cmath>
#include <limits>

namespace selvane::batch {

DiagnosticsReport::DiagnosticsReport() : text_("step,kinetic,potential,total,drift,px,py,pz,lx,ly,lz\n") {}

std::string shortestReal(double value) {
    // The sign of a NaN means nothing and differs between the ways one is made.
    if (std::isnan(value)) return "nan";
    char digits[32];
    const auto result = std::to_chars(digits, digits + sizeof digits, value);
    return std::string(digits, result.ptr);
}

void DiagnosticsReport::addRow(int64_t step, const GalaxyMeasures& measures) {
    if (!hasFirst_) {
        firstTotal_ = measures.total;
        hasFirst_ = true;
    }
    // Against a total of 0 only no change has a drift; any other is not a number.
    const double change = measures.total - firstTotal_;
    const double drift = firstTotal_ != 0 ? change / std::fabs(firstTotal_)
                         : change == 0    ? 0.0
                                          : std::numeric_limits<double>::quiet_NaN();
    const double columns[] = {measures.kinetic,           measures.potential,         measures.total,
                              drift,                      measures.momentum[0],       measures.momentum[1],
                              measures.momentum[2],       measures.angularMomentum[0], measures.angularMomentum[1],
                              measures.angularMomentum[2]};
    text_ += std::to_string(step);
    for (double value : columns) text_ += "," + shortestReal(value);
    text_ += '\n';
}

}  // namespace selvane::batch
