#include "replay/ReplayRouter.h"

#include "routing/TouchEventRouter.h"

namespace touchlane {

std::shared_ptr<TouchDataSink> makeReplayRouter(bool debug) {
    auto router = TouchEventRouter::create();
    router->setDebugMode(debug);
    return router;
}

}  // namespace touchlane
