// Feeds arbitrary texts to the seven Compose fields. The readers must take the longest
// number at the start ("%d" checked against a saturating decimal reader); composing must
// give a table of the placed stars, or leave table and parameters as they were.
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "model/compose.h"

namespace {

// Placement is quadratic in the count; a few dozen stars reach every branch of it.
constexpr int32_t kFuzzStars = 32;

bool sameReal(double a, double b) { return (std::isnan(a) && std::isnan(b)) || std::memcmp(&a, &b, sizeof a) == 0; }

bool sameReals(const std::vector<double>& a, const std::vector<double>& b) {
    return a.size() == b.size() && (a.empty() || std::memcmp(a.data(), b.data(), a.size() * sizeof(double)) == 0);
}

// "%d" read by hand: blanks, a sign, decimal digits, saturated at 32 bits.
int32_t referenceInteger(const std::string& text) {
    size_t i = 0;
    while (i < text.size() && std::strchr(" \t\n\v\f\r", text[i]) && text[i] != '\0') ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    if (i >= text.size() || text[i] < '0' || text[i] > '9') return 0;
    long long value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i)
        value = std::min<long long>(value * 10 + (text[i] - '0'), 1LL << 40);
    if (negative) value = -value;
    return static_cast<int32_t>(std::max<long long>(INT32_MIN, std::min<long long>(INT32_MAX, value)));
}

void checkReaders(const std::string& text) {
    const double real = selvane::readRealField(text);
    // A number ends where the text stops being one: more text after it changes nothing,
    // nor do blanks before it; a minus sign before digits negates.
    if (!sameReal(selvane::readRealField(text + "z"), real) || !sameReal(selvane::readRealField(" \t" + text), real))
        std::abort();
    if (!text.empty() && ((text[0] >= '0' && text[0] <= '9') || text[0] == '.') &&
        !sameReal(selvane::readRealField("-" + text) + 0.0, -real + 0.0))  // no number reads as +0
        std::abort();
#if defined(__GLIBC__)
    // The C library's own "%lg" is the reference where it is glibc's.
    double scanned = 0;
    if (std::sscanf(text.c_str(), "%lg", &scanned) != 1) scanned = 0;
    if (!sameReal(scanned, real)) std::abort();
#endif
    if (selvane::readIntegerField(text) != referenceInteger(text.substr(0, std::strlen(text.c_str()))))
        std::abort();
}

bool fits(const selvane::StarTable& t) {
    const size_t n = static_cast<size_t>(t.starCount);
    for (const auto* a : {&t.displayX, &t.displayY, &t.displayZ, &t.posX, &t.posY, &t.posZ, &t.velX, &t.velY,
                          &t.velZ, &t.mass})
        if (a->size() != n) return false;
    return t.starCount >= 0;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // Fields are separated by newlines; the first four bytes seed the generator.
    uint32_t elapsed = 0;
    if (size >= 4) {
        std::memcpy(&elapsed, data, 4);
        data += 4;
        size -= 4;
    }
    std::vector<std::string> parts(1);
    for (size_t i = 0; i < size; ++i) {
        if (data[i] == '\n' && parts.size() < 7) parts.emplace_back();
        else parts.back().push_back(static_cast<char>(data[i]));
    }
    for (const auto& part : parts) checkReaders(part);

    selvane::FieldTexts fields;
    std::string* slots[] = {&fields.scale,     &fields.recordingSpeed, &fields.lightSpeed,       &fields.sizeOfStar,
                            &fields.maxSpeed, &fields.speedDistribution, &fields.numberOfStar};
    for (size_t i = 0; i < parts.size(); ++i) *slots[i] = parts[i];
    const int32_t wanted = selvane::readIntegerField(fields.numberOfStar);
    // Counts above kMaxStars stay: they must be refused before anything is allocated.
    if (wanted > kFuzzStars && wanted <= selvane::kMaxStars) fields.numberOfStar = std::to_string(wanted % (kFuzzStars + 1));

    selvane::StarTable table;
    selvane::reallocateStars(table, 3);
    table.mass[1] = 7;
    selvane::SimulationParameters params;
    params.lightSpeed = -1;
    selvane::Random random;
    std::string refusal;
    if (!selvane::composeGalaxy(fields, elapsed, random, table, params, &refusal)) {
        if (table.starCount != 3 || table.mass[1] != 7 || params.lightSpeed != -1 || refusal.empty()) std::abort();
        return 0;
    }
    if (!fits(table) || table.starCount > std::max(0, selvane::readIntegerField(fields.numberOfStar)))
        std::abort();
    if (params.recordingSpeed != selvane::readIntegerField(fields.recordingSpeed) ||
        !sameReal(params.galaxyScale, selvane::readRealField(fields.scale)) ||
        !sameReal(params.starSize, selvane::readRealField(fields.sizeOfStar)))
        std::abort();
    for (int32_t k = 0; k < table.starCount; ++k)
        if (!(table.mass[k] >= 0 && table.mass[k] < 1)) std::abort();

    // The grid placement must give exactly the galaxy of the plain pairwise test.
    selvane::StarTable plain;
    selvane::SimulationParameters plainParams;
    selvane::Random plainRandom;
    if (!selvane::composeGalaxy(fields, elapsed, plainRandom, plain, plainParams, nullptr,
                                selvane::PlacementTest::Plain) ||
        plain.starCount != table.starCount || !sameReals(plain.posX, table.posX) ||
        !sameReals(plain.posY, table.posY) || !sameReals(plain.posZ, table.posZ) ||
        !sameReals(plain.velX, table.velX) || !sameReals(plain.mass, table.mass))
        std::abort();
    return 0;
}
