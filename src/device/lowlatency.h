#pragma once

#include <functional>

namespace tirvela {

// Asks a serial driver to pass received bytes on at once instead of holding them for its latency
// timer (16 ms on the common USB adapters, which would hold up every reply of the devices), and
// gives the driver its old flags back afterwards. Where the driver refuses or keeps no such flag
// (pseudo-terminals, other drivers) nothing changes and nothing is said. Linux only; elsewhere
// nothing is asked.
class LowLatencyRequest
{
public:
    // The system's ioctl; tests give their own.
    using Ioctl = std::function<int(int descriptor, unsigned long request, void *argument)>;

    LowLatencyRequest();
    explicit LowLatencyRequest(Ioctl ioctl) : mIoctl(std::move(ioctl)) {}
    LowLatencyRequest(const LowLatencyRequest &) = delete;
    LowLatencyRequest &operator=(const LowLatencyRequest &) = delete;

    // True when the driver now works with low latency (it took the request or already did).
    bool apply(int descriptor);
    // Turns off what apply() turned on; a descriptor that went away is left alone.
    void restore();

private:
    Ioctl mIoctl;
    int mDescriptor = -1; // set while the flag is changed
};

} // namespace tirvela
