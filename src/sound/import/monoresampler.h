#pragma once

#include "common/status.h"

#include <QString>

#include <memory>
#include <vector>

struct soxr;

namespace tirvela {

// Converts a stream of mono samples from the recording's rate to the Announcer's 16 kHz, block by
// block, with libsoxr: everything up to 7.2 kHz passes within 0.01 dB, everything from the output's
// 8 kHz on is stopped 120 dB down (nothing folds back, no images when the rate goes up), the filter
// is linear in phase and its delay taken out, whatever the input rate.
class MonoResampler
{
public:
    static constexpr int kTargetRate = 16000;

    MonoResampler();
    ~MonoResampler();
    MonoResampler(const MonoResampler &) = delete;
    MonoResampler &operator=(const MonoResampler &) = delete;

    // Prepares a conversion from `sourceRate`; fails when it cannot be made, the converter's own
    // words the reason.
    Status start(int sourceRate);
    // Fails once starting or converting has failed; the message is the converter's words then.
    const Status &status() const { return mStatus; }

    // Takes the next input block and gives every output sample it yields. The last call has
    // `last` set (its block may be empty) and gives the rest of the output. A failed conversion
    // gives what it had and status() fails.
    const std::vector<float> &convert(const std::vector<float> &input, bool last);

private:
    struct Delete
    {
        void operator()(soxr *state) const;
    };

    std::unique_ptr<soxr, Delete> mState; // none when the rate is already right
    Status mStatus = Status::success();
    std::vector<float> mOutput;
};

} // namespace tirvela
