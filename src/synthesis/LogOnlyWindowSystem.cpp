#include "synthesis/LogOnlyWindowSystem.h"

#include "logging/Logger.h"
#include "platform/Clock.h"
#include "synthesis/EventRecordLine.h"

namespace touchlane {

void LogOnlyWindowSystem::post(EventTap tap, const EventRecord& event) {
    StaticWindowSystem::post(tap, event);
    Logger::shared().log("Event not delivered (no output backend): " +
                         eventRecordLine({Clock::current().mediaTimeMs(), tap, event}));
}

}  // namespace touchlane
