// What `selvane-batch run GALAXY --steps S --save OUT` does, file work included: read the
// galaxy, step it recording a frame every Recording Speed steps, close the recording, save
// the galaxy and check the recording. With the plain loop, the plain loop with the C
// library's exp, and the fast step.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "bench/bench_galaxy.h"
#include "bench/library_exp_step.h"
#include "engine/fast_gravity_step.h"
#include "engine/frame_file.h"
#include "engine/recording_summary.h"
#include "model/star_data_file.h"

namespace {

namespace fs = std::filesystem;

enum class Stepper { Plain, PlainWithLibraryExp, Fast };

constexpr int kSteps = 20;  // four frames at the Composer's Recording Speed of 5

bool runOnce(const fs::path& galaxy, const fs::path& folder, Stepper stepper) {
    selvane::StarTable table;
    selvane::SimulationParameters params;
    if (!selvane::loadStarData(galaxy, table, params)) return false;
    selvane::FrameFile recording((folder / "Recorder.wrk").string());
    if (!recording.createRecording(table)) return false;
    selvane::StepCounter counter;
    const selvane::StepHooks hooks{nullptr, [&] { recording.recordFrame(table); }};
    for (int s = 0; s < kSteps; ++s) {
        if (stepper == Stepper::Plain) {
            selvane::gravityStep(table, params, counter, hooks);
        } else if (stepper == Stepper::Fast) {
            selvane::fastGravityStep(table, params, counter, hooks);
        } else {
            selvane::bench::stepWithLibraryExp(table, params);
            selvane::finishStep(params, counter, hooks);
        }
    }
    const int32_t offered = recording.recordedFrames();
    recording.closeRecording();
    if (!selvane::saveStarData(folder / "saved.dat", table, params)) return false;
    const selvane::RecordingSummary summary = selvane::inspectRecording((folder / "Recorder.wrk").string());
    return summary.consistent && summary.framesInFile == offered && offered == kSteps / params.recordingSpeed;
}

void batchRun(benchmark::State& state, Stepper stepper) {
    selvane::StarTable table;
    selvane::SimulationParameters params;
    if (!selvane::bench::composeForBench(state, table, params)) return;
    const fs::path folder = fs::temp_directory_path() / ("selvane_batch_bench_" + std::to_string(::getpid()));
    fs::create_directories(folder);
    const fs::path galaxy = folder / "galaxy.dat";
    if (!selvane::saveStarData(galaxy, table, params)) state.SkipWithError("cannot write the galaxy file");
    for (auto _ : state)
        if (!runOnce(galaxy, folder, stepper)) state.SkipWithError("the run failed");
    fs::remove_all(folder);
    selvane::bench::reportPairRate(state, static_cast<double>(kSteps) * table.starCount * table.starCount);
}

void batchRunPlain(benchmark::State& state) { batchRun(state, Stepper::Plain); }
void batchRunPlainWithLibraryExp(benchmark::State& state) { batchRun(state, Stepper::PlainWithLibraryExp); }
void batchRunFast(benchmark::State& state) { batchRun(state, Stepper::Fast); }

// {stars, Scale, Size of Star}, spread out and dense as in the step rows.
#define BATCH_GALAXIES ->Args({4096, 2500, 20})->Args({4096, 100, 1})->Unit(benchmark::kMillisecond)->UseRealTime()
BENCHMARK(batchRunPlain) BATCH_GALAXIES->Iterations(1);  // seconds a run
BENCHMARK(batchRunPlainWithLibraryExp) BATCH_GALAXIES->Iterations(1);
BENCHMARK(batchRunFast) BATCH_GALAXIES;

}  // namespace
