// editor.ini is the user's file: any bytes must read, every line must come back unchanged, and a
// value written must read back while every other key keeps its value.
#include "settings/inifile.h"

#include <cstdlib>

using namespace tirvela;

extern "C" int LLVMFuzzerTestOneInput(const quint8 *data, size_t size)
{
    const QByteArrayView bytes(data, qsizetype(size));
    IniFile ini;
    ini.parse(bytes);
    if (ini.toBytes() != bytes)
        std::abort();

    const auto before = ini.value("WAVE", "EDITOR");
    if (!ini.setValue("UART", "UART_STR", "\\\\.\\COM7"))
        std::abort();
    IniFile reread;
    reread.parse(ini.toBytes());
    if (reread.value("uart", "uart_str") != QByteArray("\\\\.\\COM7") || reread.value("WAVE", "EDITOR") != before)
        std::abort();
    return 0;
}
