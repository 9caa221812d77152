#include "model/star_table.h"

#include <algorithm>
#include <cstddef>
#include <new>
#include <stdexcept>

namespace selvane {

bool reallocateStars(StarTable& table, int32_t count) {
    if (count < 0 || count > kMaxStars) return false;
    try {
        StarTable fresh;
        for (auto* array : {&fresh.displayX, &fresh.displayY, &fresh.displayZ, &fresh.posX, &fresh.posY,
                            &fresh.posZ, &fresh.velX, &fresh.velY, &fresh.velZ, &fresh.mass})
            array->assign(static_cast<size_t>(count), 0.0);
        fresh.starCount = count;
        fresh.present = true;
        table = std::move(fresh);
        return true;
    } catch (const std::bad_alloc&) {
        return false;
    } catch (const std::length_error&) {
        return false;
    }
}

void startWhereDisplayed(StarTable& table) {
    std::copy(table.displayX.begin(), table.displayX.end(), table.posX.begin());
    std::copy(table.displayY.begin(), table.displayY.end(), table.posY.begin());
    std::copy(table.displayZ.begin(), table.displayZ.end(), table.posZ.begin());
}

}  // namespace selvane
