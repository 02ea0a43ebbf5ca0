#pragma once

#include <QString>

namespace tirvela {

// The reason the system or a library gave for a failure, for a Russian message: the common
// reasons in Russian with the English original after it in brackets, so that it can still be
// looked up ("нет места на устройстве (No space left on device)"); any other text as it is.
QString russianReason(const QString &reason);

// The reason for an errno value, as russianReason gives it.
QString russianErrnoReason(int error);

} // namespace tirvela
