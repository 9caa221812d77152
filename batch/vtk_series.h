#pragma once
// A run as ParaView and VisIt open it: one XML PolyData file (.vtp) a frame and a collection
// (.pvd) that lists them with their times, so the run opens as one animated data set.
#include <cstddef>
#include <string>
#include <utility>
#include <vector>

namespace selvane::batch {

// The stars as points (each also a vertex cell, so they show as points at once) with the point
// arrays "mass" and "speed"; the numbers as little-endian doubles in raw appended data.
std::string formatVtkPoints(size_t count, const double* const position[3], const double* mass, const double* speed);

// The collection of (time, file name relative to the collection) pairs.
std::string formatVtkCollection(const std::vector<std::pair<double, std::string>>& frames);

}  // namespace selvane::batch
