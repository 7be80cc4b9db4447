#pragma once
// Components belong to an owner and are destroyed with it, in the reverse
// order of their creation. A component may also be destroyed on its own
// before its owner; it then leaves the owner's list.

#include <string>
#include <vector>

namespace rtl {

class TPersistent {
public:
  virtual ~TPersistent() = default;
  TPersistent() = default;
  TPersistent(const TPersistent&) = delete;
  TPersistent& operator=(const TPersistent&) = delete;
};

class TComponent : public TPersistent {
public:
  explicit TComponent(TComponent* owner);
  ~TComponent() override;

  TComponent* Owner() const { return FOwner; }
  int ComponentCount() const { return static_cast<int>(FComponents.size()); }
  TComponent* Components(int index) const { return FComponents.at(static_cast<size_t>(index)); }
  const std::string& Name() const { return FName; }
  void SetName(std::string name) { FName = std::move(name); }

  // Takes a heap-allocated component under this owner's care.
  void InsertComponent(TComponent* component);
  void RemoveComponent(TComponent* component);

private:
  TComponent* FOwner = nullptr;
  std::vector<TComponent*> FComponents;
  std::string FName;
};

}  // namespace rtl
