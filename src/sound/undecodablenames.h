#pragma once

#include <QByteArrayList>
#include <QString>

namespace tirvela {

class MessageLog;

// The names in a folder ending in ".wav" (any letter case) that are not valid UTF-8, as raw bytes:
// a Windows-1251 name from an archive made on Windows. The toolkit's folder listing leaves such
// files out without a word, so they are looked for here. Empty where names are not bytes (Windows).
QByteArrayList undecodableWaveNames(const QString &folder);

// Gives each such file the name its bytes spell in Windows-1251 (what the stop lists store), so
// that the sound table finds it. A file whose new name is taken keeps its name; the log names it
// and every file renamed. Returns how many were renamed; nothing is ever replaced.
int renameUndecodableWaveNames(const QString &folder, MessageLog &log);

} // namespace tirvela
