#pragma once

#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "logging/QRVFileLogger.h"
#include "logging/QRVLogCatcher.h"
#include "platform/DispatchQueue.h"

namespace touchlane {

// One captured message kept in memory.
struct QRVLogRecord {
    double date = 0;  // Unix seconds on the Clock seam's wall clock
    std::string message;
    std::string outputText;

    static QRVLogRecord recordWithSystemLogMessage(const std::string& message);
};

// The switchboard that turns capture features on.
class QRVEyeService {
public:
    enum Feature : unsigned {
        // Keep every captured message as a record and announce each one.
        kFeatureLogRecords = 1u << 0,
        // Write captured output to this run's log file.
        kFeatureLogFile = 1u << 1,
    };
    // Posted, on the main queue, after each new record.
    static constexpr const char* kLogMessageChangedNotification = "QRVLogMessageChangedNotification";
    using NotificationHandler = std::function<void(const std::string& notificationName)>;

    // The process-wide service over the shared catcher and file logger.
    static QRVEyeService& service();

    QRVEyeService(QRVLogCatcher& catcher, QRVFileLogger& fileLogger);
    ~QRVEyeService();
    QRVEyeService(const QRVEyeService&) = delete;
    QRVEyeService& operator=(const QRVEyeService&) = delete;

    // Turns on the features in the bit set; the log file starts in the default
    // folder under the given name (empty: a name from the current time). Records
    // are turned on once; later requests for them change nothing. Returns true.
    bool enableServiceFeature(unsigned features, const std::string& logName);

    // Where notifications go: the handler runs on the given queue, which stands
    // for the application's main queue. Without one, nothing is posted.
    void setMainQueue(std::shared_ptr<DispatchQueue> mainQueue, NotificationHandler handler);

    bool logCapturing() const;
    bool logFileGenerated() const;
    std::vector<QRVLogRecord> logRecords() const;

private:
    void recordMessage(const std::string& message);

    QRVLogCatcher& catcher_;
    QRVFileLogger& fileLogger_;
    mutable std::mutex mutex_;
    bool logCapturing_ = false;
    bool logFileGenerated_ = false;
    std::vector<QRVLogRecord> logRecords_;
    std::optional<QRVLogCatcher::BlockId> recordsBlock_;
    std::shared_ptr<DispatchQueue> mainQueue_;
    NotificationHandler notificationHandler_;
};

}  // namespace touchlane
