#pragma once

#include <memory>
#include <string>

#include "input/EvdevEventReader.h"

struct libevdev;

namespace touchlane {

// An input device node read through libevdev. While it is open the device is
// grabbed, so the desktop does not act on the same touches as well; closing
// releases it.
class LibevdevReader final : public EvdevEventReader {
public:
    // None, with `error` set, when the node cannot be opened, read or grabbed.
    static std::unique_ptr<LibevdevReader> open(const std::string& devnode, std::string& error);
    ~LibevdevReader() override;
    LibevdevReader(const LibevdevReader&) = delete;
    LibevdevReader& operator=(const LibevdevReader&) = delete;

    Status next(EvdevEvent& event, int timeoutMs) override;
    std::vector<EvdevSlotSnapshot> presentSlots() override;
    int currentSlot() const override;
    const EvdevAxes& axes() const override { return axes_; }
    const std::string& name() const override { return name_; }

private:
    LibevdevReader(int fd, libevdev* device);

    int fd_;
    libevdev* device_;
    EvdevAxes axes_;
    std::string name_;
};

}  // namespace touchlane
