#include "run/ProfileTable.h"

#include "colour/ColourProfile.h"

#include <functional>
#include <string_view>

namespace vorpane {

std::int32_t TProfileTable::Add(std::vector<std::uint8_t> Profile, int Components) {
    if (Profile.empty() || !ProfileFits(Profile, Components)) {
        return -1;
    }
    const std::size_t hash = std::hash<std::string_view>()(
        std::string_view(reinterpret_cast<const char*>(Profile.data()), Profile.size()));
    const auto [first, last] = byHash_.equal_range(hash);
    for (auto it = first; it != last; ++it) {
        const TColourProfile& kept = profiles_[static_cast<std::size_t>(it->second)];
        if (kept.Bytes == Profile && kept.Components == Components) {
            return it->second;
        }
    }
    if (bytes_ + Profile.size() > kMaxProfileBytes) {
        return -1;
    }
    bytes_ += Profile.size();
    const auto index = static_cast<std::int32_t>(profiles_.size());
    profiles_.push_back({std::move(Profile), Components});
    byHash_.emplace(hash, index);
    return index;
}

std::vector<TColourProfile> TProfileTable::Release() {
    byHash_.clear();
    bytes_ = 0;
    return std::move(profiles_);
}

} // namespace vorpane
