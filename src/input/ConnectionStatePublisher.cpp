#include "input/ConnectionStatePublisher.h"

namespace touchlane {

void publishConnectionToSettings(bool) {}

}  // namespace touchlane
