#pragma once

#include "common/transferprogress.h"
#include "device/portnames.h"
#include "device/transferend.h"

#include <QString>

namespace tirvela {

class DeviceTrace;

// The Announcer's port and its two line modes.
struct AnnouncerLink
{
    PortLocation port;
    QString workingMode;     // the one "setup" command goes at this mode
    QString programmingMode; // the resets and the transfer go at this mode
};

// Writes a flash image file into the Announcer: resets it, switches it into programming and sends
// the file in 512-byte blocks (the last one padded with zeros), each acknowledged by the device.
// Runs on the caller's thread and reports through `progress`: failures are reported as messages
// as well as returned; cancelling (seen between blocks and between address attempts, about once a
// second) closes the port without a message and without the final reset.
// `trace`, when given, records the run.
Result<TransferEnd> programAnnouncer(const QString &flashImagePath, const AnnouncerLink &link,
                                    TransferProgress &progress, DeviceTrace *trace = nullptr);

} // namespace tirvela
