#include "platform/component.h"

#include <algorithm>

namespace comsend {

TComponent::TComponent(TComponent *Owner) : owner_(Owner)
{
    if (owner_ != nullptr)
        owner_->owned_.push_back(this);
}

TComponent::~TComponent()
{
    DestroyComponents();
    if (owner_ != nullptr)
        owner_->Remove(this);
}

void TComponent::DestroyComponents()
{
    while (!owned_.empty()) {
        TComponent *last = owned_.back();
        owned_.pop_back();
        last->owner_ = nullptr;
        delete last;
    }
}

void TComponent::Remove(TComponent *component)
{
    owned_.erase(std::remove(owned_.begin(), owned_.end(), component), owned_.end());
}

} // namespace comsend
