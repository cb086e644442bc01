// Which scroll bars a scrolling control shows.
#pragma once

namespace win {

enum TScrollStyle { ssNone, ssHorizontal, ssVertical, ssBoth };

} // namespace win
