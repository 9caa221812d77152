#include "batch/galaxy_commands.h"

#include <cmath>

#include "batch/refusal.h"
#include "batch/run_checks.h"
#include "model/compose.h"
#include "model/file_replace.h"
#include "model/gadget_snapshot.h"
#include "model/number_text.h"
#include "model/particle_table_text.h"
#include "model/galaxy_combine.h"
#include "model/star_data_file.h"

namespace selvane::batch {

namespace {

std::string optionOr(const CommandLine& line, const char* name, const std::string& otherwise) {
    const auto found = line.options.find(name);
    return found == line.options.end() ? otherwise : found->second;
}

// "X,Y,Z" as three reals.
bool readTriple(const std::string& text, double (&values)[3]) {
    const char* p = text.data();
    const char* end = p + text.size();
    for (int a = 0; a < 3; ++a) {
        if (a > 0) {
            if (p == end || *p != ',') return false;
            ++p;
        }
        p = readReal(p, end, values[a]);
        if (!p || !std::isfinite(values[a])) return false;
    }
    return p == end;
}


std::string writeGalaxy(const std::string& out, const StarTable& table, const SimulationParameters& params) {
    if (!saveStarData(out, table, params)) {
        const std::string problem = replaceProblem(out);
        return "cannot write " + out + (problem.empty() ? "" : ": it " + problem);
    }
    return "";
}

}  // namespace

int importCommand(const CommandLine& line) {
    const std::string& source = line.words[0];
    const std::string& out = line.options.at("--out");
    const FieldTexts screen;  // the Initialise screen's own defaults
    SimulationParameters params;
    params.starSize = readRealField(optionOr(line, "--size-of-star", screen.sizeOfStar));
    params.recordingSpeed = readIntegerField(optionOr(line, "--recording-speed", screen.recordingSpeed));
    params.lightSpeed = readRealField(optionOr(line, "--light-speed", screen.lightSpeed));
    if (!(params.starSize > 0) || !std::isfinite(params.starSize))
        return fail("--size-of-star takes a number above 0, which the galaxy's softening needs");
    if (params.recordingSpeed < 1) return fail("--recording-speed takes a whole number of 1 or more");
    const std::string targetProblem = replaceProblem(out);
    if (!targetProblem.empty()) return fail("cannot write " + out + ": it " + targetProblem);

    std::string bytes, problem;
    if (!readWholeFile(source, bytes)) return fail("cannot read " + source + " (or it is over 1 GiB)");
    StarTable table;
    const bool snapshot = looksLikeGadgetSnapshot(bytes.data(), bytes.size());
    if (!(snapshot ? parseGadgetSnapshot(bytes.data(), bytes.size(), table, problem)
                   : parseParticleTable(bytes.data(), bytes.size(), table, problem)))
        return fail("cannot import " + source + ": " + problem);
    problem = writeGalaxy(out, table, params);
    return problem.empty() ? 0 : fail(problem);
}

int combineCommand(const CommandLine& line) {
    const std::string& out = line.options.at("--out");
    GalaxyPlacement placement;
    if (line.options.count("--offset") && !readTriple(line.options.at("--offset"), placement.offset))
        return fail("--offset takes three finite numbers X,Y,Z");
    if (line.options.count("--velocity") && !readTriple(line.options.at("--velocity"), placement.velocity))
        return fail("--velocity takes three finite numbers VX,VY,VZ");
    if (line.options.count("--tilt") && !parseReal(line.options.at("--tilt"), placement.tilt))
        return fail("--tilt takes an angle in degrees");
    if (line.options.count("--spin") && !parseReal(line.options.at("--spin"), placement.spin))
        return fail("--spin takes an angle in degrees");
    const std::string targetProblem = replaceProblem(out);
    if (!targetProblem.empty()) return fail("cannot write " + out + ": it " + targetProblem);

    StarTable galaxies[2];
    SimulationParameters params[2];
    for (int g = 0; g < 2; ++g)
        if (!loadStarData(line.words[g], galaxies[g], params[g])) return fail(galaxyReadProblem(line.words[g]));
    StarTable combined;
    std::string problem;
    if (!combineGalaxies(galaxies[0], galaxies[1], placement, combined, problem)) return fail(problem);
    problem = writeGalaxy(out, combined, params[0]);  // Size of Star, Recording Speed, Light Speed of A
    return problem.empty() ? 0 : fail(problem);
}

}  // namespace selvane::batch
