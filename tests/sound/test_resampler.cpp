#include "sound/import/monoresampler.h"

#include <QTest>

#include <cmath>
#include <complex>
#include <numbers>
#include <vector>

using namespace tirvela;

namespace {

constexpr double kLevel = 0.5;

std::vector<float> sineAt(int rate, double frequency, int count)
{
    std::vector<float> samples(size_t(count), 0.0f);
    for (int i = 0; i < count; ++i)
        samples[size_t(i)] = float(kLevel * std::sin(2 * std::numbers::pi * frequency * i / rate));
    return samples;
}

// Converts in blocks of an awkward size, as the import's decoder hands them over.
std::vector<float> convertInBlocks(int rate, const std::vector<float> &input)
{
    MonoResampler resampler;
    if (!resampler.start(rate).ok())
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
    double phase = 0;     // radians, of a sine starting at the first output sample
    double residual = 0;  // everything else, as the amplitude of a sine of the same power
};

// Fits a sine of the frequency (least squares over sine and cosine) to the output away from both
// ends, where the filter saw the start and end of the tone; frequency 0 fits nothing.
Tone measure(const std::vector<float> &samples, double frequency)
{
    const size_t begin = 1000;
    const size_t end = samples.size() - 1000;
    double ss = 0, sc = 0, cc = 0, ys = 0, yc = 0;
    for (size_t i = begin; i < end && frequency > 0; ++i) {
        const double angle = 2 * std::numbers::pi * frequency * double(i) / 16000;
        const double s = std::sin(angle), c = std::cos(angle);
        ss += s * s;
        sc += s * c;
        cc += c * c;
        ys += samples[i] * s;
        yc += samples[i] * c;
    }
    const double determinant = ss * cc - sc * sc;
    const double a = frequency > 0 ? (ys * cc - yc * sc) / determinant : 0.0; // of the sine
    const double b = frequency > 0 ? (yc * ss - ys * sc) / determinant : 0.0; // of the cosine
    Tone tone;
    tone.amplitude = std::hypot(a, b);
    tone.phase = std::atan2(b, a);
    double power = 0;
    for (size_t i = begin; i < end; ++i) {
        const double angle = 2 * std::numbers::pi * frequency * double(i) / 16000;
        const double error = samples[i] - a * std::sin(angle) - b * std::cos(angle);
        power += error * error;
    }
    tone.residual = std::sqrt(2 * power / double(end - begin));
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
    // For each input rate, tones across the pass band keep their level within 0.1 dB and their
    // timing (no delay), and leave nothing else 90 dB under them (images when the rate goes up);
    // tones from the output's 8 kHz up to the input's own limit leave nothing 90 dB under them (no
    // fold-back). Measured on the converter's float output, before any 8-bit reduction.
    void tones_data()
    {
        QTest::addColumn<int>("rate");
        QTest::addColumn<double>("frequency");
        QTest::addColumn<bool>("passes");
        for (const int rate : {8000, 11025, 22050, 44100, 48000, 96000, 192000, 37800, 44101}) {
            const double top = 0.45 * std::min(rate, 16000); // the pass band's edge
            for (const double frequency : {100.0, 1000.0, 3000.0, top * 0.8, top}) {
                if (frequency <= top)
                    QTest::addRow("%d Hz, %.0f Hz passes", rate, frequency) << rate << frequency << true;
            }
            for (const double frequency : {8000.0, 8100.0, 8500.0, 9000.0, 12000.0, 0.49 * rate}) {
                if (frequency < 0.5 * rate && rate > 16000)
                    QTest::addRow("%d Hz, %.0f Hz is stopped", rate, frequency) << rate << frequency << false;
            }
        }
    }

    void tones()
    {
        QFETCH(int, rate);
        QFETCH(double, frequency);
        QFETCH(bool, passes);
        const int count = rate; // a second
        const std::vector<float> output = convertInBlocks(rate, sineAt(rate, frequency, count));
        QVERIFY(std::abs(double(output.size()) - double(count) * 16000 / rate) <= 1);
        const Tone tone = measure(output, passes ? frequency : 0);
        const QByteArray levels = QByteArray::number(decibels(tone.amplitude / kLevel), 'f', 3) + " dB, rest "
                                  + QByteArray::number(decibels(tone.residual / kLevel), 'f', 1) + " dBc";
        if (passes) {
            QVERIFY2(std::abs(decibels(tone.amplitude / kLevel)) <= 0.1, levels.constData());
            // A sine that starts at the first input sample starts at the first output sample too.
            QVERIFY2(std::abs(tone.phase) < 1e-3, QByteArray::number(tone.phase).constData());
        }
        QVERIFY2(decibels(tone.residual / kLevel) <= -90, levels.constData());
    }

    // The output lasts as long as the input, to the nearest sample or the one next to it.
    void lengthFollowsTheInput_data()
    {
        QTest::addColumn<int>("rate");
        QTest::addColumn<int>("count");
        QTest::newRow("44.1 kHz, whole") << 44100 << 44100;
        QTest::newRow("44.1 kHz, one sample") << 44100 << 1;
        QTest::newRow("44.1 kHz, nothing") << 44100 << 0;
        QTest::newRow("48 kHz, a third more") << 48000 << 3001;
        QTest::newRow("8 kHz") << 8000 << 7;
        QTest::newRow("odd rate, long") << 44101 << 441010;
    }

    void lengthFollowsTheInput()
    {
        QFETCH(int, rate);
        QFETCH(int, count);
        const double expected = double(count) * 16000 / rate;
        const auto length = double(convertInBlocks(rate, sineAt(rate, 440, count)).size());
        QVERIFY2(std::abs(length - expected) <= 1, qPrintable(QStringLiteral("%1 for %2").arg(length).arg(expected)));
    }

    void sixteenKilohertzPassesAsItIs()
    {
        const std::vector<float> input = sineAt(16000, 440, 999);
        QCOMPARE(convertInBlocks(16000, input), input);
    }
};

QTEST_GUILESS_MAIN(TestResampler)
#include "test_resampler.moc"
