#include "device/lowlatency.h"

#include <QtGlobal>

#ifdef Q_OS_LINUX
#include <linux/serial.h>
#include <sys/ioctl.h>
#endif

namespace tirvela {

LowLatencyRequest::LowLatencyRequest()
    : mIoctl([](int descriptor, unsigned long request, void *argument) { return ::ioctl(descriptor, request, argument); })
{
}

#ifdef Q_OS_LINUX

bool LowLatencyRequest::apply(int descriptor)
{
    restore();
    serial_struct serial{};
    if (mIoctl(descriptor, TIOCGSERIAL, &serial) != 0)
        return false;
    if (serial.flags & ASYNC_LOW_LATENCY)
        return true;
    serial.flags |= ASYNC_LOW_LATENCY;
    if (mIoctl(descriptor, TIOCSSERIAL, &serial) != 0)
        return false;
    mDescriptor = descriptor;
    return true;
}

void LowLatencyRequest::restore()
{
    if (mDescriptor < 0)
        return;
    serial_struct serial{};
    if (mIoctl(mDescriptor, TIOCGSERIAL, &serial) == 0) {
        serial.flags &= ~ASYNC_LOW_LATENCY; // it was off before apply()
        mIoctl(mDescriptor, TIOCSSERIAL, &serial);
    }
    mDescriptor = -1;
}

#else

bool LowLatencyRequest::apply(int)
{
    return false;
}

void LowLatencyRequest::restore() {}

#endif

} // namespace tirvela
