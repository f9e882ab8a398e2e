#include "platform/ui/environment.h"

#include "platform/ui/detail/environment_scope.h"

namespace ui {

namespace {
thread_local const EnvironmentValues* tCurrent = nullptr;
}  // namespace

const EnvironmentValues& EnvironmentValues::current() {
    static const EnvironmentValues* const empty = new EnvironmentValues();
    return tCurrent != nullptr ? *tCurrent : *empty;
}

const EnvironmentValues::Entry* EnvironmentValues::find(const void* key) const {
    for (const Entry* e = head_.get(); e != nullptr; e = e->next.get()) {
        if (e->key == key) return e;
    }
    return nullptr;
}

namespace detail {

EnvironmentScope::EnvironmentScope(const EnvironmentValues& env) : previous_(tCurrent) {
    tCurrent = &env;
}

EnvironmentScope::~EnvironmentScope() { tCurrent = previous_; }

}  // namespace detail
}  // namespace ui
