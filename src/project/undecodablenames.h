#pragma once

#include <QByteArrayList>
#include <QString>

namespace tirvela {

// The names in a folder ending in ".wav" (any letter case) that are not valid UTF-8, as raw bytes:
// a Windows-1251 name from an archive made on Windows. The toolkit's folder listing leaves such
// files out without a word, so they are looked for here. Empty where names are not bytes (Windows).
QByteArrayList undecodableWaveNames(const QString &folder);

} // namespace tirvela
