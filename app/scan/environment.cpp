#include "app/scan/environment.h"

namespace brimlet {

const ScanEnvironment& ScanEnvironment::standard() {
    static const ScanEnvironment environment;
    return environment;
}

}  // namespace brimlet
