#include "app/TouchRouterFactory.h"

namespace touchlane {

USBReader::TouchRouterFactory makeAgentTouchRouterFactory() {
    // No router is built into the agent yet: the reader opens the device, parses its
    // reports and drops the models. This is the one place to hand it the router.
    return {};
}

}  // namespace touchlane
