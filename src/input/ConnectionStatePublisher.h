#pragma once

namespace touchlane {

// Publishes whether a supported device is connected through the settings
// controller, in memory only, where the tray item observes it.
void publishConnectionToSettings(bool usbConnected);

}  // namespace touchlane
