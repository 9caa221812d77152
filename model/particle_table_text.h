#pragma once
// Stars as a plain table: a line per star of the columns `mass x y z vx vy vz`, separated by
// commas or white space, as spreadsheets and scripts write them.
#include <cstddef>
#include <string>

#include "model/star_table.h"

namespace selvane {

// Reads such a table. `#` starts a comment to the end of its line; blank lines are skipped,
// and so is a first line without a digit (the columns' names). False, with `out` untouched
// and a one-line `problem` naming the line, for a line that is not seven finite numbers,
// no star at all, or more than kMaxStars.
bool parseParticleTable(const char* data, size_t size, StarTable& out, std::string& problem);

}  // namespace selvane
