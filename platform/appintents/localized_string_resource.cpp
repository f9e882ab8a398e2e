#include "platform/appintents/localized_string_resource.h"

#include "platform/foundation/localization.h"

namespace appintents {

std::string LocalizedStringResource::resolved() const {
    const std::vector<foundation::FormatArgument> values(arguments_.begin(), arguments_.end());
    return foundation::formatLocalized(foundation::localizedFormat(key_), values);
}

}  // namespace appintents
