// Memory that runs out part way: each allocation in turn is made to fail, and Compose, Open,
// Save and the replay must then leave the galaxy and its parameters exactly as they were.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <new>
#include <string>

#include "engine/frame_file.h"
#include "model/compose.h"
#include "model/star_data_file.h"

namespace {

// Allocations still to succeed before one fails; negative: none fails. Atomic, as the step's
// workers allocate too.
std::atomic<long> allocationsBeforeFailure{-1};
std::atomic<bool> failureInjected{false};

void* allocate(std::size_t size) {
    long left = allocationsBeforeFailure.load();
    while (left >= 0 && !allocationsBeforeFailure.compare_exchange_weak(left, left - 1)) {
    }
    if (left == 0) {
        failureInjected = true;
        return nullptr;
    }
    return std::malloc(size ? size : 1);
}

}  // namespace

// This test program's allocations all pass through here.
void* operator new(std::size_t size) {
    if (void* p = allocate(size)) return p;
    throw std::bad_alloc();
}
void* operator new[](std::size_t size) { return operator new(size); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept { return allocate(size); }
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept { return allocate(size); }
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }
void operator delete(void* p, const std::nothrow_t&) noexcept { std::free(p); }
void operator delete[](void* p, const std::nothrow_t&) noexcept { std::free(p); }

namespace selvane {
namespace {

bool sameTable(const StarTable& a, const StarTable& b) {
    const std::vector<double> StarTable::*arrays[] = {&StarTable::displayX, &StarTable::displayY, &StarTable::displayZ,
                                                      &StarTable::posX,     &StarTable::posY,     &StarTable::posZ,
                                                      &StarTable::velX,     &StarTable::velY,     &StarTable::velZ,
                                                      &StarTable::mass};
    if (a.starCount != b.starCount || a.present != b.present) return false;
    for (auto array : arrays)
        if ((a.*array).size() != (b.*array).size() ||
            ((a.*array).size() && std::memcmp((a.*array).data(), (b.*array).data(), (a.*array).size() * 8)))
            return false;
    return true;
}

bool sameParameters(const SimulationParameters& a, const SimulationParameters& b) {
    return std::memcmp(&a, &b, sizeof a) == 0;
}

// Runs `action` once with the n-th allocation failing, for n = 0, 1, ... until it runs
// without reaching a failure; after every failed run, `untouched` must hold. `reset` runs
// before each, with every allocation allowed.
template <class Reset, class Action, class Untouched>
int failEachAllocationInTurn(Reset reset, Action action, Untouched untouched) {
    for (int n = 0;; ++n) {
        reset();
        failureInjected = false;
        allocationsBeforeFailure = n;
        const bool done = action();
        allocationsBeforeFailure = -1;
        if (!failureInjected) {
            EXPECT_TRUE(done) << "with no failure";
            return n;
        }
        EXPECT_TRUE(untouched(done)) << "allocation " << n << " failed";
    }
}

StarTable composed(const char* stars, SimulationParameters& params) {
    FieldTexts fields;
    fields.numberOfStar = stars;
    Random random;
    StarTable table;
    composeGalaxy(fields, 99, random, table, params);
    return table;
}

TEST(AllocationFailure, ComposeGivesItsGalaxyOrLeavesAllAsItWas) {
    SimulationParameters params;
    const StarTable before = composed("5", params);
    const SimulationParameters paramsBefore = params;
    FieldTexts fields;
    fields.numberOfStar = "300";
    fields.scale = "40";  // not every star finds room, so the table is made again at its size
    const auto compose = [&](StarTable& table, SimulationParameters& into) {
        Random random;
        std::string refusal;
        return composeGalaxy(fields, 7, random, table, into, &refusal);
    };
    StarTable expected = before;
    SimulationParameters expectedParams = params;
    ASSERT_TRUE(compose(expected, expectedParams));
    ASSERT_LT(expected.starCount, 300);

    StarTable table;
    const int allocations = failEachAllocationInTurn(
        [&] { table = before, params = paramsBefore; }, [&] { return compose(table, params); },
        // Without memory for its grid, placement goes on without one, to the same galaxy.
        [&](bool done) {
            return done ? sameTable(table, expected) && sameParameters(params, expectedParams)
                        : sameTable(table, before) && sameParameters(params, paramsBefore);
        });
    EXPECT_GT(allocations, 10);  // the arrays, the grid and the table of the stars placed
}

TEST(AllocationFailure, OpenAndSaveLeaveTableAndFileAsTheyWere) {
    SimulationParameters params;
    const StarTable galaxy = composed("40", params);
    const std::filesystem::path path = std::filesystem::temp_directory_path() / "selvane_allocation_test.txt";
    ASSERT_TRUE(saveStarData(path, galaxy, params));
    SimulationParameters openedParams;
    StarTable opened = composed("3", openedParams);
    const StarTable openedBefore = opened;
    const SimulationParameters openedParamsBefore = openedParams;
    const int opening = failEachAllocationInTurn([] {}, [&] { return loadStarData(path, opened, openedParams); },
                             [&](bool done) {
                                 return !done && sameTable(opened, openedBefore) &&
                                        sameParameters(openedParams, openedParamsBefore);
                             });
    EXPECT_TRUE(sameTable(opened, galaxy));
    EXPECT_GT(opening, 3);  // failures were met on the way

    // A save that runs out of memory leaves the file it would replace as it was.
    std::string original;
    {
        FILE* file = std::fopen(path.string().c_str(), "rb");
        ASSERT_TRUE(file);
        for (int c; (c = std::fgetc(file)) != EOF;) original.push_back(static_cast<char>(c));
        std::fclose(file);
    }
    const StarTable other = composed("12", params);
    const int saving = failEachAllocationInTurn([] {}, [&] { return saveStarData(path, other, params); },
                             [&](bool done) {
                                 std::string now;
                                 FILE* file = std::fopen(path.string().c_str(), "rb");
                                 if (!file) return false;
                                 for (int c; (c = std::fgetc(file)) != EOF;) now.push_back(static_cast<char>(c));
                                 std::fclose(file);
                                 return done || now == original;
                             });
    EXPECT_GT(saving, 3);
    std::filesystem::remove(path);
}

TEST(AllocationFailure, ReplayLeavesTheTableWholeOrAsItWas) {
    SimulationParameters params;
    StarTable galaxy = composed("20", params);
    const std::string path = (std::filesystem::temp_directory_path() / "selvane_allocation_test.wrk").string();
    {
        FrameFile recording(path);
        ASSERT_TRUE(recording.createRecording(galaxy));
        for (int k = 0; k < 3; ++k) recording.recordFrame(galaxy);
    }
    StarTable table = composed("4", params);
    const StarTable before = table;
    FrameFile replay(path);
    const int replaying = failEachAllocationInTurn(
        [] {},
        [&] {
            replay.closeRecording();
            return replay.openRecording(table) && replay.loadFrame(table, 2);
        },
        // Either the recording's stars, or the table as it was.
        [&](bool) { return sameTable(table, before) || table.starCount == 20; });
    EXPECT_GT(replaying, 3);
    std::remove(path.c_str());
}

}  // namespace
}  // namespace selvane
