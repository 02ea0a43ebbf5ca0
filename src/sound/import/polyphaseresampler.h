#pragma once

#include <QtGlobal>

#include <vector>

namespace tirvela {

// Converts a stream of samples between two rates whose ratio reduces to small whole numbers
// (16000/44100 = 160/441, 16000/48000 = 1/3) with one windowed-sinc filter, tabulated once for
// every phase where an output sample can fall between two input samples. Each output sample costs
// one short dot product, several times less than a general-purpose converter.
class PolyphaseResampler
{
public:
    // Whether the ratio of the rates reduces to few enough phases to tabulate.
    static bool handles(int sourceRate, int targetRate);

    PolyphaseResampler(int sourceRate, int targetRate);

    // Appends to `output` every sample the input block yields; the call with `last` set gives
    // the rest. A stream of n input samples gives ceil(n × target / source) output samples.
    void convert(const std::vector<float> &input, bool last, std::vector<float> &output);

    int tapsPerPhase() const { return mTaps; }

private:
    int mUp = 1;   // output samples ...
    int mDown = 1; // ... per this many input samples
    int mTaps = 0; // filter taps per phase, a multiple of the lanes summed side by side
    int mBefore = 0; // input samples each output sample uses before the one at or under it
    std::vector<float> mCoefficients; // mUp rows of mTaps
    std::vector<float> mHistory;      // the input from mFirst on
    qint64 mFirst = 0;
    qint64 mInputCount = 0;
    qint64 mNext = 0; // the number of the next output sample
};

} // namespace tirvela
