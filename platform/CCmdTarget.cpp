#include "platform/CCmdTarget.h"

namespace tessel::platform {

bool CCmdTarget::OnCmdMsg(std::uint32_t id, std::int32_t code, CCmdUI* ui) {
  for (const Entry& e : map_) {
    if (id < e.first || id > e.last) continue;
    if (code == CN_COMMAND_QUERY && e.command) return true;
    if (code == CN_COMMAND && e.command) {
      e.command(id);
      return true;
    }
    if (code == CN_UPDATE_COMMAND_UI && e.update && ui) {
      e.update(ui);
      return true;
    }
  }
  return false;
}

void CCmdTarget::onCommand(std::uint32_t first, std::uint32_t last, CommandHandler handler) {
  map_.push_back({first, last, std::move(handler), nullptr});
}

void CCmdTarget::onUpdate(std::uint32_t first, std::uint32_t last, UpdateHandler handler) {
  map_.push_back({first, last, nullptr, std::move(handler)});
}

}  // namespace tessel::platform
