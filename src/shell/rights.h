#pragma once
#include <array>

namespace rights {

// Right rN of an operator governs the main-window menu entry entryOf[N].
inline constexpr std::array<int, 25> entryOf = {10, 16, 9, 15, 18, 19, 8, 26, 23, 29, 35, 36, 17,
                                                25, 31, 32, 20, 21, 34, 22, 33, 27, 28, 30, 6};

}  // namespace rights
