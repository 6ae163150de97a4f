#include "app/OutputBackend.h"

#include <QGuiApplication>
#include <QScreen>

#include "synthesis/LogOnlyWindowSystem.h"

namespace touchlane {

void installAgentOutputBackend() {
    // Lives for the rest of the process: the router's queues may post until exit.
    static auto* backend = new LogOnlyWindowSystem();
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect geometry = screen->geometry();
        backend->setMainDisplayBounds({static_cast<double>(geometry.x()), static_cast<double>(geometry.y()),
                                       static_cast<double>(geometry.width()), static_cast<double>(geometry.height())});
    }
    WindowSystem::setProcessDefault(backend);
}

}  // namespace touchlane
