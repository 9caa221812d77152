#pragma once
#include <cstdint>
#include <string>

#include "model/number_text.h"  // readRealField, readIntegerField
#include "model/random.h"
#include "model/star_table.h"

namespace selvane {

// The seven parameter texts as the user typed them.
struct FieldTexts {
    std::string recordingSpeed = "5";
    std::string lightSpeed = "30";
    std::string speedDistribution = "0.5";
    std::string scale = "250";
    std::string numberOfStar = "128";
    std::string sizeOfStar = "20";
    std::string maxSpeed = "0.4";
};

// After this many rejected candidates in a row for one star, placement stops and the
// galaxy keeps the stars placed so far.
constexpr int kMaxPlacementAttempts = 10000;

// How a candidate is tested against the stars placed before it. Both give the same galaxy;
// the plain test compares it with every one of them and is kept as the reference.
enum class PlacementTest { Grid, Plain };

// Reads the fields into the parameters, seeds the generator and builds a new galaxy
// holding the stars that were placed. Returns false, with table, parameters and generator
// untouched and a one-line reason in *refusal (if given), when the Number of Star is above
// kMaxStars or the arrays cannot be allocated.
bool composeGalaxy(const FieldTexts& fields, uint32_t elapsedMilliseconds, Random& random,
                   StarTable& table, SimulationParameters& params, std::string* refusal = nullptr,
                   PlacementTest test = PlacementTest::Grid);

}  // namespace selvane
