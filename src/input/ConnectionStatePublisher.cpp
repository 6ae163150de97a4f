#include "input/ConnectionStatePublisher.h"

#include "settings/DataController.h"

namespace touchlane {

void publishConnectionToSettings(bool usbConnected) {
    // In memory only: a connection state read back after a restart would be stale.
    DataController::dataController()->objc_writeWithKey(DataKeyConstants::usbConnectionStatus(),
                                                        PropertyListValue(usbConnected), false);
}

}  // namespace touchlane
