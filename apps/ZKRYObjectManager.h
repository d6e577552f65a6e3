#pragma once
// The ordered catalogue container that the application and SPS catalogues build on: a list
// of objects in file order, each starting with its integer ID.
#include <memory>
#include <vector>

namespace apps {

template <typename T>
class ZKRYObjectManager {
 public:
  virtual ~ZKRYObjectManager() = default;
  virtual bool RemoveByID(int id) = 0;
  virtual T* FindByID(int id) const = 0;
  virtual void DeleteAll() = 0;

  const std::vector<std::unique_ptr<T>>& objects() const { return objects_; }
  std::size_t size() const { return objects_.size(); }

 protected:
  static constexpr std::size_t kNone = static_cast<std::size_t>(-1);
  // Position of the first object with that ID in list order, or kNone.
  std::size_t IndexOf(int id) const {
    for (std::size_t i = 0; i < objects_.size(); ++i)
      if (objects_[i]->ID == id) return i;
    return kNone;
  }

  std::vector<std::unique_ptr<T>> objects_;
};

}  // namespace apps
