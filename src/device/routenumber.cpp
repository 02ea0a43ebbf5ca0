#include "device/routenumber.h"

#include "device/devicetrace.h"
#include "device/serialport.h"

namespace tirvela {

RouteNumberFrame routeNumberFrame(QByteArrayView text)
{
    RouteNumberFrame frame = {0xFF, 0x0D, 0xAF, 0x20, 0x20, 0x20, 0x20, 0x00, 0xFF};
    for (qsizetype i = 0; i < 3 && i < text.size(); ++i)
        frame[6 - i] = quint8(text[i]);
    quint8 sum = 0;
    for (int i = 1; i <= 6; ++i)
        sum = quint8(sum + frame[i]);
    frame[7] = sum;
    return frame;
}

namespace {

Status send(QByteArrayView text, const PortLocation &port, QStringView lineMode, SerialPort &serial)
{
    if (!serial.open(port.devicePath, SerialPort::Access::ReadWrite))
        return Status::failure(QStringLiteral("Ошибка открытия ") + port.name + QStringLiteral(" !")
                               + serial.openFailureNote());
    LineMode record;
    if (!serial.applyMode(record, lineMode))
        return Status::failure(QStringLiteral("Невозможно установить параметры (4800,N,8,1)!"));
    const RouteNumberFrame frame = routeNumberFrame(text);
    if (serial.write(QByteArrayView(frame.data(), qsizetype(frame.size()))) != qint64(frame.size()))
        return Status::failure(QStringLiteral("Ошибка записи в ") + port.name + QStringLiteral(" !")
                               + serial.goneNote());
    return Status::success();
}

} // namespace

Status sendRouteNumber(QByteArrayView text, const PortLocation &port, QStringView lineMode, DeviceTrace *trace)
{
    if (trace) {
        trace->begin(QStringLiteral("номер маршрута на табло: ") + DeviceTrace::printable(text) + QStringLiteral(", порт ")
                     + port.name + QStringLiteral(" (") + port.devicePath + u')');
    }
    SerialPort serial(trace);
    const Status sent = send(text, port, lineMode, serial);
    serial.close();
    if (trace)
        trace->note(sent.ok() ? QStringLiteral("готово") : QStringLiteral("ошибка: ") + sent.message);
    return sent;
}

} // namespace tirvela
