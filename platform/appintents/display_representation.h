#pragma once
// How an entity, and the type of an entity, are shown to the user.

#include <optional>
#include <string>

#include "platform/appintents/localized_string_resource.h"

namespace appintents {

// How one value is shown in a picker: a title, and optionally a subtitle and an image.
struct DisplayRepresentation {
    LocalizedStringResource title;
    std::optional<LocalizedStringResource> subtitle;
    // A symbol name from the platform's symbol set; absent means no image.
    std::optional<std::string> image;
};

// How a type of value is named, e.g. as the heading of its picker.
struct TypeDisplayRepresentation {
    LocalizedStringResource name;
};

}  // namespace appintents
