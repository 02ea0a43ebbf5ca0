#include "devsim/emulatorloop.h"

#include <poll.h>
#include <sys/prctl.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <thread>

namespace tirvela::devsim {

namespace {

constexpr int kBitsPerByte = 10;

double wireSeconds(qint64 bytes, int lineSpeed)
{
    return lineSpeed > 0 ? double(bytes * kBitsPerByte) / lineSpeed : 0.0;
}

} // namespace

EmulatorLoop::EmulatorLoop(PtyLink &link, EmulatedDevice &device, bool wireTime)
    : mLink(link), mDevice(device), mWireTime(wireTime), mWake(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK))
{
    // Wire times are fractions of a millisecond: the waits must not be stretched for power saving.
    if (wireTime)
        ::prctl(PR_SET_TIMERSLACK, 1UL);
}

EmulatorLoop::~EmulatorLoop()
{
    if (mWake >= 0)
        ::close(mWake);
}

void EmulatorLoop::stop()
{
    const quint64 one = 1;
    [[maybe_unused]] const ssize_t written = ::write(mWake, &one, sizeof one);
}

void EmulatorLoop::run()
{
    std::array<char, 4096> buffer{};
    while (mLink.isOpen()) {
        std::array<pollfd, 2> watched = {{{mLink.masterDescriptor(), POLLIN, 0}, {mWake, POLLIN, 0}}};
        if (::poll(watched.data(), watched.size(), -1) < 0) {
            if (errno == EINTR)
                continue;
            break;
        }
        if (!(watched[0].revents & POLLIN)) {
            if (watched[1].revents & POLLIN || watched[0].revents & (POLLHUP | POLLERR | POLLNVAL))
                break;
            continue;
        }
        const ssize_t count = ::read(mLink.masterDescriptor(), buffer.data(), buffer.size());
        if (count <= 0) {
            if (count < 0 && (errno == EINTR || errno == EAGAIN))
                continue;
            break;
        }
        const int lineSpeed = mLink.lineSpeed();
        mTraffic.bytesReceived += count;
        mTraffic.wireSeconds += wireSeconds(count, lineSpeed);
        // The bytes are through once the line has carried them; a reply goes out after them.
        if (mWireTime)
            mReceiveFreeAt = std::max(mReceiveFreeAt, Clock::now()) + wireDuration(count, lineSpeed);
        const Reaction reaction = mDevice.receive(QByteArrayView(buffer.data(), count), lineSpeed);
        if (!reaction.reply.isEmpty() && reaction.replyDelayMs > 0)
            std::this_thread::sleep_for(std::chrono::milliseconds(reaction.replyDelayMs));
        if (!sendReply(reaction.reply, lineSpeed))
            break;
        if (reaction.closeLine) {
            mLink.hangUp();
            break;
        }
    }
    mDevice.shutDown();
}

EmulatorLoop::Clock::duration EmulatorLoop::wireDuration(qint64 bytes, int lineSpeed)
{
    return std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(wireSeconds(bytes, lineSpeed)));
}

bool EmulatorLoop::sendReply(const QByteArray &reply, int lineSpeed)
{
    if (reply.isEmpty())
        return true;
    mTraffic.bytesSent += reply.size();
    mTraffic.wireSeconds += wireSeconds(reply.size(), lineSpeed);
    if (mWireTime) {
        // One wait for the request and the reply, so that the waits' own slack counts once.
        mSendFreeAt = std::max({mSendFreeAt, mReceiveFreeAt, Clock::now()}) + wireDuration(reply.size(), lineSpeed);
        std::this_thread::sleep_until(mSendFreeAt);
    }
    if (mReplyLatency.count() > 0)
        std::this_thread::sleep_for(mReplyLatency);
    qsizetype done = 0;
    while (done < reply.size()) {
        const ssize_t written = ::write(mLink.masterDescriptor(), reply.constData() + done, size_t(reply.size() - done));
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return false;
        done += written;
    }
    return true;
}

} // namespace tirvela::devsim
