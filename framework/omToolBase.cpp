#include "framework/omToolBase.h"

#include "host/omApplication.h"
#include "host/omView.h"
#include "host/om_codes.h"

namespace tessel::framework {

std::int32_t omToolBase::Release() {
  // A count already at zero belongs to a tool nobody holds: answer 0 rather than free it twice.
  if (refCount_ <= 0) return 0;
  if (--refCount_ == 0) {
    delete this;
    return 0;
  }
  return refCount_;
}

omView* activeView(omApplication* app) {
  omViewManager* views = app ? app->GetViewManager() : nullptr;
  return views ? views->GetActiveView() : nullptr;
}

omView* omToolBase::activeView() { return framework::activeView(application_); }

void omToolBase::Refresh() {
  if (!application_) return;
  if (omMainView* view = application_->GetMainView()) view->Redraw(om::kRedrawFull);
}

void omToolBase::HostHook5(std::int32_t* a, std::int32_t* b) {
  if (a) *a = 0;
  if (b) *b = 0;
}

}  // namespace tessel::framework
