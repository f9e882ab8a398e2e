#pragma once
// Text shown to the user that may be translated.

#include <string>
#include <utility>
#include <vector>

namespace appintents {

// A localisable text: a key, whose English text is the key itself, and the arguments to put into
// it. Each "%@" in the key stands for the next argument; arguments are shown verbatim, never
// looked up.
class LocalizedStringResource {
public:
    explicit LocalizedStringResource(std::string key, std::vector<std::string> arguments = {})
        : key_(std::move(key)), arguments_(std::move(arguments)) {}

    // `text` shown unchanged: interpolated into an otherwise empty pattern ("%@"), so that no
    // part of it is looked up for translation.
    static LocalizedStringResource verbatim(std::string text) {
        return LocalizedStringResource("%@", {std::move(text)});
    }

    const std::string& key() const { return key_; }
    const std::vector<std::string>& arguments() const { return arguments_; }

    // The text to show: the key looked up for the user's language (foundation::localizedFormat),
    // then the arguments substituted (foundation::formatLocalized): each "%@" takes the next
    // argument, shown as it is. A "%@" with no argument left stays as it is.
    std::string resolved() const;

private:
    std::string key_;
    std::vector<std::string> arguments_;
};

}  // namespace appintents
