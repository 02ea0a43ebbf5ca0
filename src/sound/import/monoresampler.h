#pragma once

#include <QString>

#include <memory>
#include <vector>

struct SRC_STATE_tag;

namespace tirvela {

class PolyphaseResampler;

// Converts a stream of mono samples from the recording's rate to the Announcer's 16 kHz,
// block by block: the common rates by a filter of its own, the rare ones by libsamplerate.
class MonoResampler
{
public:
    static constexpr int kTargetRate = 16000;

    MonoResampler();
    ~MonoResampler();
    MonoResampler(const MonoResampler &) = delete;
    MonoResampler &operator=(const MonoResampler &) = delete;

    // Prepares a conversion from `sourceRate`; false with errorString() when it cannot be made.
    bool start(int sourceRate);
    QString errorString() const { return mError; }

    // Takes the next input block and gives every output sample it yields. The last call has
    // `last` set (its block may be empty) and gives the rest of the output. A failed conversion
    // gives what it had and sets errorString().
    const std::vector<float> &convert(const std::vector<float> &input, bool last);

private:
    struct Delete
    {
        void operator()(SRC_STATE_tag *state) const;
    };

    std::unique_ptr<PolyphaseResampler> mPolyphase;
    std::unique_ptr<SRC_STATE_tag, Delete> mState; // none when the rate is already right
    double mRatio = 1.0;
    QString mError;
    std::vector<float> mOutput;
    std::vector<float> mBlock;
};

} // namespace tirvela
