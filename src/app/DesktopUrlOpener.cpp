#include "app/DesktopUrlOpener.h"

#include <QDesktopServices>
#include <QString>
#include <QUrl>

namespace touchlane {

namespace {

OverrideSlot<UrlOpener> openerOverride;

}  // namespace

bool openDesktopUrl(const std::string& url) {
    if (UrlOpener opener = openerOverride.current()) return opener(url);
    return QDesktopServices::openUrl(QUrl(QString::fromStdString(url)));
}

UrlOpenerOverride::UrlOpenerOverride(UrlOpener opener) : ScopedOverride(openerOverride, std::move(opener)) {}

}  // namespace touchlane
