#include "sound/import/monoresampler.h"

#include <QTest>

#include <cmath>
#include <complex>
#include <numbers>
#include <vector>

using namespace tirvela;

namespace {

std::vector<float> sineAt(int rate, double frequency, int count)
{
    std::vector<float> samples(size_t(count), 0.0f);
    for (int i = 0; i < count; ++i)
        samples[size_t(i)] = float(0.5 * std::sin(2 * std::numbers::pi * frequency * i / rate));
    return samples;
}

// Converts in blocks of an awkward size, as the import's decoder hands them over.
std::vector<float> convertInBlocks(int rate, const std::vector<float> &input)
{
    MonoResampler resampler;
    if (!resampler.start(rate))
        return {};
    std::vector<float> output;
    for (size_t at = 0; at < input.size(); at += 1531) {
        const std::vector<float> block(input.begin() + qsizetype(at),
                                       input.begin() + qsizetype(std::min(input.size(), at + 1531)));
        const std::vector<float> &converted = resampler.convert(block, false);
        output.insert(output.end(), converted.begin(), converted.end());
    }
    const std::vector<float> &rest = resampler.convert({}, true);
    output.insert(output.end(), rest.begin(), rest.end());
    return output;
}

struct Tone
{
    double amplitude = 0; // of the wanted frequency
    double residual = 0;  // root mean square of everything else
};

// Fits a sine of the frequency to the samples away from both ends.
Tone measure(const std::vector<float> &samples, double frequency)
{
    const size_t begin = 400;
    const size_t end = samples.size() - 400;
    std::complex<double> sum;
    for (size_t i = begin; i < end; ++i)
        sum += double(samples[i]) * std::polar(1.0, -2 * std::numbers::pi * frequency * double(i) / 16000);
    Tone tone;
    tone.amplitude = frequency > 0 && frequency < 8000 ? 2.0 * std::abs(sum) / double(end - begin) : 0.0;
    const double phase = std::arg(sum);
    double power = 0;
    for (size_t i = begin; i < end; ++i) {
        const double fitted = tone.amplitude * std::cos(2 * std::numbers::pi * frequency * double(i) / 16000 + phase);
        power += (samples[i] - fitted) * (samples[i] - fitted);
    }
    tone.residual = std::sqrt(power / double(end - begin));
    return tone;
}

double decibels(double ratio)
{
    return 20 * std::log10(std::max(ratio, 1e-12));
}

} // namespace

class TestResampler : public QObject
{
    Q_OBJECT

private slots:
    // A tone in the pass band keeps its level; one beyond the output's 8 kHz is filtered out, not
    // folded back; nothing else appears (no images when the rate goes up).
    void tones_data()
    {
        QTest::addColumn<int>("rate");
        QTest::addColumn<double>("frequency");
        QTest::addColumn<bool>("passes");
        QTest::newRow("44.1 kHz, 1 kHz") << 44100 << 1000.0 << true;
        QTest::newRow("44.1 kHz, 6 kHz") << 44100 << 6000.0 << true;
        QTest::newRow("44.1 kHz, 10 kHz") << 44100 << 10000.0 << false;
        QTest::newRow("44.1 kHz, 15 kHz") << 44100 << 15000.0 << false;
        QTest::newRow("48 kHz, 3 kHz") << 48000 << 3000.0 << true;
        QTest::newRow("48 kHz, 12 kHz") << 48000 << 12000.0 << false;
        QTest::newRow("22.05 kHz, 5 kHz") << 22050 << 5000.0 << true;
        QTest::newRow("11.025 kHz, 2 kHz") << 11025 << 2000.0 << true;
        QTest::newRow("8 kHz, 3 kHz") << 8000 << 3000.0 << true;
        QTest::newRow("44.101 kHz (libsamplerate), 1 kHz") << 44101 << 1000.0 << true;
    }

    void tones()
    {
        QFETCH(int, rate);
        QFETCH(double, frequency);
        QFETCH(bool, passes);
        const int count = rate / 2;
        const std::vector<float> output = convertInBlocks(rate, sineAt(rate, frequency, count));
        QVERIFY(std::abs(double(output.size()) - double(count) * 16000 / rate) <= 1);
        const Tone tone = measure(output, passes ? frequency : 0);
        if (passes)
            QVERIFY2(std::abs(decibels(tone.amplitude / 0.5)) < 0.2, qPrintable(QString::number(tone.amplitude)));
        QVERIFY2(decibels(tone.residual / 0.5) < -50, qPrintable(QString::number(decibels(tone.residual / 0.5))));
    }

    void lengthFollowsTheInput_data()
    {
        QTest::addColumn<int>("rate");
        QTest::addColumn<int>("count");
        QTest::addColumn<int>("expected");
        QTest::newRow("44.1 kHz, whole") << 44100 << 44100 << 16000;
        QTest::newRow("44.1 kHz, one sample") << 44100 << 1 << 1;
        QTest::newRow("44.1 kHz, nothing") << 44100 << 0 << 0;
        QTest::newRow("48 kHz, a third more") << 48000 << 3001 << 1001;
        QTest::newRow("8 kHz") << 8000 << 7 << 14;
        QTest::newRow("16 kHz as it is") << 16000 << 999 << 999;
    }

    void lengthFollowsTheInput()
    {
        QFETCH(int, rate);
        QFETCH(int, count);
        QFETCH(int, expected);
        QCOMPARE(int(convertInBlocks(rate, sineAt(rate, 440, count)).size()), expected);
    }
};

QTEST_GUILESS_MAIN(TestResampler)
#include "test_resampler.moc"
