#pragma once
// Makes an environment the one in force on this thread for the scope's lifetime (layout uses it
// while evaluating a composite view's body()). Scopes nest; the previous one comes back.

#include "platform/ui/environment.h"

namespace ui::detail {

class EnvironmentScope {
public:
    explicit EnvironmentScope(const EnvironmentValues& env);
    ~EnvironmentScope();
    EnvironmentScope(const EnvironmentScope&) = delete;
    EnvironmentScope& operator=(const EnvironmentScope&) = delete;

private:
    const EnvironmentValues* previous_;
};

}  // namespace ui::detail
