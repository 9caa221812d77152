#include "batch/vtk_series.h"

#include <cstdint>
#include <cstring>

#include "batch/diagnostics_report.h"

namespace selvane::batch {

namespace {

template <typename T>
void append(std::string& bytes, T value) {
    char raw[sizeof value];
    std::memcpy(raw, &value, sizeof value);  // x86 and x86-64 are little-endian
    bytes.append(raw, sizeof raw);
}

// An XML attribute value of a file name: the five characters XML reserves, escaped.
std::string escaped(const std::string& text) {
    std::string out;
    for (char c : text) {
        switch (c) {
            case '&': out += "&amp;"; break;
            case '<': out += "&lt;"; break;
            case '>': out += "&gt;"; break;
            case '"': out += "&quot;"; break;
            case '\'': out += "&apos;"; break;
            default: out += c;
        }
    }
    return out;
}

}  // namespace

std::string formatVtkPoints(size_t count, const double* const position[3], const double* mass, const double* speed) {
    const uint64_t realBytes = 8 * count, pointBytes = 24 * count, indexBytes = 8 * count;
    // Each appended array is its byte count (UInt64) and then its bytes.
    const uint64_t massAt = 0, speedAt = massAt + 8 + realBytes, pointsAt = speedAt + 8 + realBytes,
                   connectivityAt = pointsAt + 8 + pointBytes, offsetsAt = connectivityAt + 8 + indexBytes;
    const std::string n = std::to_string(count);
    std::string text =
        "<?xml version=\"1.0\"?>\n"
        "<VTKFile type=\"PolyData\" version=\"1.0\" byte_order=\"LittleEndian\" header_type=\"UInt64\">\n"
        "  <PolyData>\n"
        "    <Piece NumberOfPoints=\"" + n + "\" NumberOfVerts=\"" + n +
        "\" NumberOfLines=\"0\" NumberOfStrips=\"0\" NumberOfPolys=\"0\">\n"
        "      <PointData Scalars=\"mass\">\n"
        "        <DataArray type=\"Float64\" Name=\"mass\" format=\"appended\" offset=\"" + std::to_string(massAt) + "\"/>\n"
        "        <DataArray type=\"Float64\" Name=\"speed\" format=\"appended\" offset=\"" + std::to_string(speedAt) + "\"/>\n"
        "      </PointData>\n"
        "      <Points>\n"
        "        <DataArray type=\"Float64\" NumberOfComponents=\"3\" format=\"appended\" offset=\"" +
        std::to_string(pointsAt) + "\"/>\n"
        "      </Points>\n"
        "      <Verts>\n"
        "        <DataArray type=\"Int64\" Name=\"connectivity\" format=\"appended\" offset=\"" +
        std::to_string(connectivityAt) + "\"/>\n"
        "        <DataArray type=\"Int64\" Name=\"offsets\" format=\"appended\" offset=\"" + std::to_string(offsetsAt) +
        "\"/>\n"
        "      </Verts>\n"
        "    </Piece>\n"
        "  </PolyData>\n"
        "  <AppendedData encoding=\"raw\">\n   _";
    text.reserve(text.size() + offsetsAt + 8 + indexBytes + 32);
    append(text, realBytes);
    for (size_t i = 0; i < count; ++i) append(text, mass[i]);
    append(text, realBytes);
    for (size_t i = 0; i < count; ++i) append(text, speed[i]);
    append(text, pointBytes);
    for (size_t i = 0; i < count; ++i)
        for (int a = 0; a < 3; ++a) append(text, position[a][i]);
    append(text, indexBytes);
    for (size_t i = 0; i < count; ++i) append(text, static_cast<int64_t>(i));
    append(text, indexBytes);
    for (size_t i = 0; i < count; ++i) append(text, static_cast<int64_t>(i + 1));
    text += "\n  </AppendedData>\n</VTKFile>\n";
    return text;
}

std::string formatVtkCollection(const std::vector<std::pair<double, std::string>>& frames) {
    std::string text =
        "<?xml version=\"1.0\"?>\n"
        "<VTKFile type=\"Collection\" version=\"0.1\" byte_order=\"LittleEndian\">\n"
        "  <Collection>\n";
    for (const auto& [time, file] : frames)
        text += "    <DataSet timestep=\"" + shortestReal(time) + "\" group=\"\" part=\"0\" file=\"" + escaped(file) +
                "\"/>\n";
    text += "  </Collection>\n</VTKFile>\n";
    return text;
}

}  // namespace selvane::batch
