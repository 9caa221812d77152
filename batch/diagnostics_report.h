#pragma once
#include <cstdint>
#include <string>

#include "engine/energy.h"

namespace selvane::batch {

// The rows of `run --diagnostics`: one per measured step, drift against the first row.
class DiagnosticsReport {
public:
    DiagnosticsReport();
    void addRow(int64_t step, const GalaxyMeasures& measures);
    const std::string& text() const { return text_; }

private:
    std::string text_;
    bool hasFirst_ = false;
    double firstTotal_ = 0;
};

// A real in the shortest form that reads back as the same double.
std::string shortestReal(double value);

}  // namespace selvane::batch
