#pragma once

#include <QString>

namespace tirvela::devsim {

// The far end of an emulated serial line: a pseudo-terminal whose slave the program opens as its
// port. The master sees the line settings the program gives the slave. The emulator keeps a slave
// descriptor of its own, so that the line stays up while the program has the port closed.
class PtyLink
{
public:
    PtyLink() = default;
    ~PtyLink();
    PtyLink(const PtyLink &) = delete;
    PtyLink &operator=(const PtyLink &) = delete;

    bool open(QString *error);
    bool isOpen() const { return mMaster >= 0; }
    QString slavePath() const { return mSlavePath; }
    int masterDescriptor() const { return mMaster; }

    // The speed the program set on its port, in bits per second; 0 when it is not a standard one.
    int lineSpeed() const;

    // Drops the line: from now on every use of the program's port fails.
    void hangUp();

private:
    int mMaster = -1;
    int mSlave = -1;
    QString mSlavePath;
};

} // namespace tirvela::devsim
