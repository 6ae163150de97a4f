#include "synthesis/DesktopBindings.h"

namespace touchlane {

const DesktopBindings& DesktopBindings::defaults() {
    static const DesktopBindings bindings;
    return bindings;
}

}  // namespace touchlane
