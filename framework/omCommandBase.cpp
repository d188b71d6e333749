#include "framework/omCommandBase.h"

namespace tessel::framework {

std::int32_t omCommandBase::Release() {
  if (refCount_ <= 0) return 0;  // nobody holds it; never free twice
  if (--refCount_ == 0) {
    delete this;
    return 0;
  }
  return refCount_;
}

void omCommandBase::UpdateCurrentView() {
  if (context_) context_->UpdateCurrentView();
}

void omCommandBase::UpdateAllViews() {
  if (context_) context_->UpdateAllViews();
}

void omCommandBase::ForwardToContext1(std::int32_t a, std::int32_t b) {
  if (context_) context_->ContextOperation1(a, b);
}

void omCommandBase::ForwardToContext2(std::int32_t a) {
  if (context_) context_->ContextOperation2(a);
}

}  // namespace tessel::framework
