// Board data files are Intel HEX text from elsewhere: any bytes must load without leaving the image.
#include "fuzzinput.h"

#include "project/boarddatafile.h"

using namespace tirvela;

extern "C" int LLVMFuzzerTestOneInput(const quint8 *data, size_t size)
{
    BoardImage image;
    image.fill(0x5A);
    if (!loadBoardDataFile(image, fuzzInputFile(data, size, QStringLiteral("input.hex"))).ok())
        std::abort();
    return 0;
}
