#include "studio/render/seen_memo.h"

namespace tessel::studio {

SeenMemo::SeenMemo(ComponentTarget target, std::uint32_t components)
    : target_(target),
      components_(components),
      runs_((components + ChunkBoxes::kRun - 1) / ChunkBoxes::kRun, kUnknown),
      bits_((components + 63) / 64, 0) {}

}  // namespace tessel::studio
