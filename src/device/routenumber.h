#pragma once

#include "common/status.h"
#include "device/linemode.h"
#include "device/portnames.h"

#include <QByteArrayView>

#include <array>

namespace tirvela {

class DeviceTrace;

using RouteNumberFrame = std::array<quint8, 9>;

// The frame that makes the route-number board show a route: the first three bytes of the
// Windows-1251 text, first character last, blanks for missing ones, between a fixed head,
// a checksum and the end mark.
RouteNumberFrame routeNumberFrame(QByteArrayView text);

// Sends the route number text to the board in one frame; nothing is read back. A failure has the
// message to show. `lineMode` is the board's fixed mode (tests give others); `trace`, when given,
// records the exchange.
Status sendRouteNumber(QByteArrayView text, const PortLocation &port, QStringView lineMode = kBlinkerLineMode,
                       DeviceTrace *trace = nullptr);

} // namespace tirvela
