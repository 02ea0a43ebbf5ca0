#include "devsim/ptylink.h"

#include <pty.h>
#include <termios.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstring>
#include <fcntl.h>

namespace tirvela::devsim {

namespace {

struct Speed
{
    speed_t code;
    int bitsPerSecond;
};

constexpr std::array<Speed, 22> kSpeeds = {{
    {B50, 50},         {B75, 75},         {B110, 110},       {B134, 134},       {B150, 150},
    {B200, 200},       {B300, 300},       {B600, 600},       {B1200, 1200},     {B1800, 1800},
    {B2400, 2400},     {B4800, 4800},     {B9600, 9600},     {B19200, 19200},   {B38400, 38400},
    {B57600, 57600},   {B115200, 115200}, {B230400, 230400}, {B460800, 460800}, {B500000, 500000},
    {B576000, 576000}, {B921600, 921600},
}};

} // namespace

PtyLink::~PtyLink()
{
    hangUp();
    if (mSlave >= 0)
        ::close(mSlave);
}

bool PtyLink::open(QString *error)
{
    std::array<char, 256> name{};
    if (::openpty(&mMaster, &mSlave, name.data(), nullptr, nullptr) != 0) {
        if (error)
            *error = QString::fromLocal8Bit(std::strerror(errno));
        mMaster = mSlave = -1;
        return false;
    }
    ::fcntl(mMaster, F_SETFD, FD_CLOEXEC);
    ::fcntl(mSlave, F_SETFD, FD_CLOEXEC);
    // A raw line until the program sets its own mode: no echo, no line editing.
    termios settings{};
    if (::tcgetattr(mSlave, &settings) == 0) {
        ::cfmakeraw(&settings);
        ::tcsetattr(mSlave, TCSANOW, &settings);
    }
    mSlavePath = QString::fromLocal8Bit(name.data());
    return true;
}

int PtyLink::lineSpeed() const
{
    termios settings{};
    if (mMaster < 0 || ::tcgetattr(mMaster, &settings) != 0)
        return 0;
    const speed_t code = ::cfgetospeed(&settings);
    for (const Speed &speed : kSpeeds) {
        if (speed.code == code)
            return speed.bitsPerSecond;
    }
    return 0;
}

void PtyLink::hangUp()
{
    if (mMaster >= 0)
        ::close(mMaster);
    mMaster = -1;
}

} // namespace tirvela::devsim
