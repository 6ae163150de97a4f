#include "app/DesktopUrlOpener.h"

#include <QDesktopServices>
#include <QString>
#include <QUrl>
#include <mutex>

namespace touchlane {

namespace {

std::mutex openerMutex;
UrlOpener openerOverride;

}  // namespace

bool openDesktopUrl(const std::string& url) {
    UrlOpener opener;
    {
        std::lock_guard lock(openerMutex);
        opener = openerOverride;
    }
    if (opener) return opener(url);
    return QDesktopServices::openUrl(QUrl(QString::fromStdString(url)));
}

UrlOpenerOverride::UrlOpenerOverride(UrlOpener opener) {
    std::lock_guard lock(openerMutex);
    previous_ = std::move(openerOverride);
    openerOverride = std::move(opener);
}

UrlOpenerOverride::~UrlOpenerOverride() {
    std::lock_guard lock(openerMutex);
    openerOverride = std::move(previous_);
}

}  // namespace touchlane
