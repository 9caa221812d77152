#include "model/particle_table_text.h"

#include <algorithm>
#include <cmath>
#include <new>
#include <vector>

#include "model/number_text.h"

namespace selvane {

namespace {

constexpr int kColumns = 7;

bool isBlank(const char* begin, const char* end) {
    return std::all_of(begin, end, [](char c) { return isScanSpace(c); });
}

// The seven numbers of one line, each ending at white space, a comma or the line's end;
// false when it holds anything else.
bool readColumns(const char* p, const char* end, double (&values)[kColumns]) {
    for (int c = 0; c < kColumns; ++c) {
        if (c > 0) {
            while (p != end && isScanSpace(*p)) ++p;
            if (p != end && *p == ',') ++p;
        }
        const char* q = readReal(p, end, values[c]);
        if (!q || !std::isfinite(values[c]) || (q != end && !isScanSpace(*q) && *q != ',')) return false;
        p = q;
    }
    return isBlank(p, end);
}

}  // namespace

bool parseParticleTable(const char* data, size_t size, StarTable& out, std::string& problem) {
    if (data == nullptr) size = 0;
    std::vector<double> columns[kColumns];
    const char* end = data + size;
    bool first = true;
    size_t lineNumber = 0;
    try {
        for (const char* line = data; line < end;) {
            const char* lineEnd = std::find(line, end, '\n');
            const char* contentEnd = std::find(line, lineEnd, '#');
            ++lineNumber;
            const bool names = first && std::none_of(line, contentEnd, [](char c) { return c >= '0' && c <= '9'; });
            if (!isBlank(line, contentEnd) && !names) {
                double values[kColumns];
                if (!readColumns(line, contentEnd, values)) {
                    problem = "line " + std::to_string(lineNumber) + " is not seven finite numbers: mass x y z vx vy vz";
                    return false;
                }
                if (columns[0].size() == static_cast<size_t>(kMaxStars)) {
                    problem = "it holds more than the " + std::to_string(kMaxStars) + " stars a galaxy may have";
                    return false;
                }
                for (int c = 0; c < kColumns; ++c) columns[c].push_back(values[c]);
            }
            if (!isBlank(line, contentEnd)) first = false;
            line = lineEnd == end ? end : lineEnd + 1;
        }
        if (columns[0].empty()) {
            problem = "it holds no star";
            return false;
        }
        StarTable table;
        if (!reallocateStars(table, static_cast<int32_t>(columns[0].size()))) throw std::bad_alloc();
        std::vector<double>* const targets[kColumns] = {&table.mass, &table.displayX, &table.displayY, &table.displayZ,
                                                        &table.velX, &table.velY,     &table.velZ};
        for (int c = 0; c < kColumns; ++c) std::copy(columns[c].begin(), columns[c].end(), targets[c]->begin());
        startWhereDisplayed(table);
        out = std::move(table);
        return true;
    } catch (const std::bad_alloc&) {
        problem = "there is no memory for the table";
        return false;
    }
}

}  // namespace selvane
