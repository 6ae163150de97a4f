#pragma once

namespace touchlane {

class Logger;
class QRVFileLogger;

// Lets a run's two writers share the file rotation: when either finds the file
// full, the file logger starts the next one and the logger follows it, so both
// keep writing the same file and the folder stays bounded however long the run.
// Both must write into the same folder; both must outlive their use.
void rotateLogFilesTogether(Logger& logger, QRVFileLogger& fileLogger);

}  // namespace touchlane
