#include "app/StatusImages.h"

#include <QDir>
#include <QString>

#include "logging/StandardErrorLog.h"
#include "platform/Paths.h"

namespace touchlane {

QIcon StatusImages::image(const std::string& name) {
    const QDir folder(QString::fromStdString(Paths::resourcesDirectory()) + "/images");
    const QString pattern = QString::fromStdString(name) + "-*.png";
    QIcon icon;
    for (const QString& file : folder.entryList({pattern}, QDir::Files, QDir::Name)) {
        icon.addFile(folder.filePath(file));
    }
    if (icon.isNull()) stderrLog("Status image {} not found in {}", name, folder.path().toStdString());
    return icon;
}

}  // namespace touchlane
