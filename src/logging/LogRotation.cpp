#include "logging/LogRotation.h"

#include <filesystem>

#include "logging/Logger.h"
#include "logging/QRVFileLogger.h"

namespace touchlane {

namespace {

void followFile(Logger& logger, const std::string& path) {
    logger.setLogName(std::filesystem::path(path).filename().string());
}

}  // namespace

void rotateLogFilesTogether(Logger& logger, QRVFileLogger& fileLogger) {
    fileLogger.setFileSwitchHandler([&logger](const std::string& newPath) { followFile(logger, newPath); });
    logger.setFileFullHandler([&logger, &fileLogger](const std::string& fullPath) {
        fileLogger.rotateLogFileIfCurrent(fullPath);
        // The logger's full file may not be the file logger's (a second run started
        // in the same minute appends to the first run's file); either way it goes on
        // where the captured output goes now.
        if (auto current = fileLogger.currentLogFilePath()) followFile(logger, *current);
    });
}

}  // namespace touchlane
