#include "platform/appintents/localized_string_resource.h"

#include <string_view>

namespace appintents {
namespace {

// The one place where a key would meet a translation catalog.
std::string_view lookUp(const std::string& key) { return key; }

}  // namespace

std::string LocalizedStringResource::resolved() const {
    constexpr std::string_view kPlaceholder = "%@";
    const std::string_view pattern = lookUp(key_);
    std::string out;
    out.reserve(pattern.size());
    std::size_t next = 0;
    std::size_t pos = 0;
    while (pos < pattern.size()) {
        const std::size_t found = pattern.find(kPlaceholder, pos);
        if (found == std::string_view::npos || next == arguments_.size()) {
            out.append(pattern.substr(pos));
            break;
        }
        out.append(pattern.substr(pos, found - pos));
        out.append(arguments_[next++]);
        pos = found + kPlaceholder.size();
    }
    return out;
}

}  // namespace appintents
