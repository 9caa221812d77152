#pragma once
#include "screens/layout.h"

// The Symulator and Player windows: the view in the top-left 470 x 376 pixels and, below
// it, the same thirteen controls in the same order.
namespace Quillon::Selvane::ViewingLayout {

constexpr Place window{"Selvane", 0, 0, 478, 473};
constexpr Place runStop{"RUN", 196, 382, 64, 59};
constexpr Place turnOpposite{"x", 42, 399, 49, 21};
constexpr Place turnBelow{"v", 42, 420, 49, 23};
constexpr Place turnRight{">", 91, 399, 46, 21};
constexpr Place turnAbove{"^", 41, 377, 50, 22};
constexpr Place indicater{"", 261, 381, 205, 25};
constexpr Place rew{"<<", 262, 410, 66, 30};
constexpr Place playPause{">", 328, 410, 70, 30};
constexpr Place fastFoword{">>", 398, 410, 69, 30};
constexpr Place turnLeft{"<", 0, 399, 42, 21};
constexpr Place go{"+", 146, 377, 47, 21};
constexpr Place back{"-", 146, 400, 47, 19};
constexpr Place homePosition{"HOME", 126, 421, 68, 20};

}  // namespace Quillon::Selvane::ViewingLayout
