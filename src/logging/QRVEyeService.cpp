#include "logging/QRVEyeService.h"

#include "platform/Clock.h"

namespace touchlane {

QRVLogRecord QRVLogRecord::recordWithSystemLogMessage(const std::string& message) {
    QRVLogRecord record;
    record.date = Clock::current().wallClockSeconds();
    record.message = message;
    return record;
}

QRVEyeService& QRVEyeService::service() {
    // Never destroyed, like the catcher whose thread calls it.
    static auto* service = new QRVEyeService(QRVLogCatcher::shared(), QRVFileLogger::fileLogger());
    return *service;
}

QRVEyeService::QRVEyeService(QRVLogCatcher& catcher, QRVFileLogger& fileLogger)
    : catcher_(catcher), fileLogger_(fileLogger) {}

QRVEyeService::~QRVEyeService() {
    std::optional<QRVLogCatcher::BlockId> block;
    {
        std::lock_guard lock(mutex_);
        block = recordsBlock_;
    }
    if (block) catcher_.removeBlock(*block);
}

bool QRVEyeService::enableServiceFeature(unsigned features, const std::string& logName) {
    if (features & kFeatureLogRecords) {
        bool first;
        {
            std::lock_guard lock(mutex_);
            first = !logCapturing_;
            logCapturing_ = true;
        }
        if (first) {
            auto block = catcher_.addBlock([this](const std::string& message) { recordMessage(message); });
            std::lock_guard lock(mutex_);
            recordsBlock_ = block;
        }
    }
    if (features & kFeatureLogFile) {
        fileLogger_.startWithLogsDirectory(std::nullopt, logName);
        std::lock_guard lock(mutex_);
        logFileGenerated_ = true;
    }
    return true;
}

void QRVEyeService::setMainQueue(std::shared_ptr<DispatchQueue> mainQueue, NotificationHandler handler) {
    std::lock_guard lock(mutex_);
    mainQueue_ = std::move(mainQueue);
    notificationHandler_ = std::move(handler);
}

void QRVEyeService::recordMessage(const std::string& message) {
    std::shared_ptr<DispatchQueue> queue;
    NotificationHandler handler;
    {
        std::lock_guard lock(mutex_);
        logRecords_.push_back(QRVLogRecord::recordWithSystemLogMessage(message));
        queue = mainQueue_;
        handler = notificationHandler_;
    }
    if (queue && handler) queue->async([handler] { handler(kLogMessageChangedNotification); });
}

bool QRVEyeService::logCapturing() const {
    std::lock_guard lock(mutex_);
    return logCapturing_;
}

bool QRVEyeService::logFileGenerated() const {
    std::lock_guard lock(mutex_);
    return logFileGenerated_;
}

std::vector<QRVLogRecord> QRVEyeService::logRecords() const {
    std::lock_guard lock(mutex_);
    return logRecords_;
}

}  // namespace touchlane
