// Reads arbitrary bytes as a GADGET snapshot and as a plain table of stars. Either is refused
// with a reason or gives a whole table of finite stars, which a double-precision snapshot
// then carries to the bit.
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "model/gadget_snapshot.h"
#include "model/particle_table_text.h"

namespace {

using selvane::StarTable;

void requireWholeTable(const StarTable& t) {
    const size_t n = static_cast<size_t>(t.starCount);
    if (t.starCount < 1 || t.starCount > selvane::kMaxStars) std::abort();
    for (const auto* a : {&t.displayX, &t.displayY, &t.displayZ, &t.posX, &t.posY, &t.posZ, &t.velX, &t.velY,
                          &t.velZ, &t.mass}) {
        if (a->size() != n) std::abort();
        for (double v : *a)
            if (!std::isfinite(v)) std::abort();
    }
    if (t.posX != t.displayX || t.posY != t.displayY || t.posZ != t.displayZ) std::abort();
}

void requireSnapshotRoundTrip(const StarTable& t) {
    selvane::SnapshotStars stars;
    stars.count = static_cast<size_t>(t.starCount);
    stars.mass = t.mass.data();
    const double* positions[3] = {t.displayX.data(), t.displayY.data(), t.displayZ.data()};
    const double* velocities[3] = {t.velX.data(), t.velY.data(), t.velZ.data()};
    for (int a = 0; a < 3; ++a) {
        stars.position[a] = positions[a];
        stars.velocity[a] = velocities[a];
    }
    const std::string bytes = selvane::formatGadgetSnapshot(stars, 0, true);
    StarTable again;
    std::string problem;
    if (!selvane::parseGadgetSnapshot(bytes.data(), bytes.size(), again, problem)) std::abort();
    if (again.mass != t.mass || again.displayX != t.displayX || again.velZ != t.velZ) std::abort();
}

void check(bool accepted, const StarTable& table, const std::string& problem) {
    if (!accepted) {
        if (problem.empty() || problem.find('\n') != std::string::npos) std::abort();
        return;
    }
    requireWholeTable(table);
    requireSnapshotRoundTrip(table);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const char* text = reinterpret_cast<const char*>(data);
    StarTable snapshot, table;
    std::string problem;
    check(selvane::parseGadgetSnapshot(text, size, snapshot, problem), snapshot, problem);
    problem.clear();
    check(selvane::parseParticleTable(text, size, table, problem), table, problem);
    return 0;
}
