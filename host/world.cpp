#include "host/world.h"

namespace panelhost {
namespace {
constexpr uint32_t kRefMagic = 0x4f424a31;  // marks references made by this host
}

World::World() {
    objects_.push_back(std::make_unique<SimObject>());
    objects_.front()->name = "User aircraft";
    generation_.push_back(1);
}

size_t World::add_traffic(SimObject o) {
    objects_.push_back(std::make_unique<SimObject>(std::move(o)));
    generation_.push_back(1);
    return objects_.size() - 1;
}

void World::remove_traffic(size_t index) {
    if (index == 0 || index >= objects_.size()) return;
    objects_[index].reset();
    ++generation_[index];
}

std::vector<size_t> World::traffic() const {
    std::vector<size_t> out;
    for (size_t i = 1; i < objects_.size(); ++i)
        if (objects_[i]) out.push_back(i);
    return out;
}

ObjectRef World::ref_of(size_t index) const {
    return ObjectRef{{uint32_t(index), index < generation_.size() ? generation_[index] : 0, kRefMagic}};
}

SimObject *World::find(const ObjectRef *ref) {
    if (ref == nullptr || ref->words[2] != kRefMagic) return nullptr;
    size_t index = ref->words[0];
    if (index >= objects_.size() || !objects_[index] || generation_[index] != ref->words[1]) return nullptr;
    return objects_[index].get();
}

}  // namespace panelhost
