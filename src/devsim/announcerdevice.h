#pragma once

#include "devsim/emulateddevice.h"

#include <QList>
#include <QString>

namespace tirvela {
class MessageLog;
}

namespace tirvela::devsim {

// Faults the emulated Announcer can be told to show; a block number counts data blocks from 0.
struct AnnouncerFaults
{
    int errorAtBlock = -1;   // answers 'E'
    int silentAtBlock = -1;  // answers nothing
    int garbageAtBlock = -1; // answers CR LF 'W'
    int closeAtBlock = -1;   // drops the line once the block has arrived
    int burstAtBlock = -1;   // answers with a burst of 4 KiB of noise
    int answerDelayMs = 0;   // a slow device: every answer comes this late
    bool neverReady = false; // never answers a write command
    bool closeAfterSetup = false;
};

// The Announcer as its programming sees it: ESC "reset" CR, ESC "setup" CR, "write <hex>" CR
// answered with 'R', then 512 data bytes and their CRC (register started at 0x3055, fed the
// address low byte first and the data) answered with 'W' when stored or 'E'.
class AnnouncerDevice : public EmulatedDevice
{
public:
    struct Command
    {
        QByteArray text; // "reset", "setup", "write 400", or the unknown line as received
        int lineSpeed;
    };

    AnnouncerDevice(const AnnouncerFaults &faults, MessageLog &log, const QString &memoryFile = {});

    Reaction receive(QByteArrayView bytes, int lineSpeed) override;
    void shutDown() override;

    const QList<Command> &commands() const { return mCommands; }
    // Everything written, from address 0 to the end of the highest block; gaps read 0xFF.
    const QByteArray &memory() const { return mMemory; }
    int blocksStored() const { return mBlocksStored; }

    static constexpr qsizetype kMemoryLimit = 64 * 1024 * 1024;

private:
    void takeLine(int lineSpeed, Reaction &reaction);
    void takeBlock(int lineSpeed, Reaction &reaction);
    void saveMemory();

    const AnnouncerFaults mFaults;
    MessageLog &mLog;
    const QString mMemoryFile;

    QByteArray mLine;
    bool mLineOverflow = false;
    bool mAwaitingBlock = false;
    quint32 mAddress = 0;
    QByteArray mBlock;
    int mBlockNumber = 0;
    int mBlocksStored = 0;
    bool mMemoryChanged = false;
    QByteArray mMemory;
    QList<Command> mCommands;
};

} // namespace tirvela::devsim
