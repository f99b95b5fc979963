// The base classes of everything the toolkit creates: an object, and a
// component that owns the components created with it as their owner.
#pragma once

#include <vector>

namespace comsend {

class TObject {
public:
    TObject() = default;
    TObject(const TObject &) = delete;
    TObject &operator=(const TObject &) = delete;
    virtual ~TObject() = default;
};

class TComponent : public TObject {
public:
    explicit TComponent(TComponent *Owner);
    ~TComponent() override;

protected:
    // Destroys the owned components, newest first.
    void DestroyComponents();

private:
    void Remove(TComponent *component);

    TComponent *owner_;
    std::vector<TComponent *> owned_;
};

} // namespace comsend
