#include "editor/speechsettingsbox.h"

#include <QComboBox>
#include <QFormLayout>
#include <QSpinBox>

namespace tirvela {

namespace {

QSpinBox *makeSpinBox(const char *name, int lowest, int highest, const QString &hint, QWidget *parent)
{
    auto *box = new QSpinBox(parent);
    box->setObjectName(QString::fromLatin1(name));
    box->setRange(lowest, highest);
    box->setToolTip(hint);
    return box;
}

} // namespace

SpeechSettingsBox::SpeechSettingsBox(QWidget *parent)
    : QGroupBox(QStringLiteral("Синтез речи (озвучивание недостающих файлов)"), parent)
    , mVoice(new QComboBox(this))
    , mRate(makeSpinBox("RateBox", SpeechSettings::kSlowestRate, SpeechSettings::kFastestRate,
                        QStringLiteral("Слов в минуту; обычно 175"), this))
    , mPitch(makeSpinBox("PitchBox", 0, 99, QStringLiteral("От 0 до 99; обычно 50"), this))
{
    setObjectName(QStringLiteral("SpeechGroup"));
    mVoice->setObjectName(QStringLiteral("VoiceBox"));
    mVoice->setToolTip(QStringLiteral("Голос синтезатора речи espeak-ng"));
    for (const SpeechVoice &voice : kSpeechVoices)
        mVoice->addItem(QStringLiteral("%1 (%2)").arg(QString::fromUtf16(voice.caption), QLatin1StringView(voice.name)),
                        QString::fromLatin1(voice.name));
    mRate->setSuffix(QStringLiteral(" слов/мин"));

    auto *form = new QFormLayout(this);
    form->addRow(QStringLiteral("Голос"), mVoice);
    form->addRow(QStringLiteral("Скорость речи"), mRate);
    form->addRow(QStringLiteral("Высота голоса"), mPitch);
}

void SpeechSettingsBox::showSettings(const SpeechSettings &settings)
{
    int voice = mVoice->findData(settings.voice);
    if (voice < 0) {
        // A voice set by hand in editor.ini stays as it is.
        mVoice->addItem(settings.voice, settings.voice);
        voice = mVoice->count() - 1;
    }
    mVoice->setCurrentIndex(voice);
    mRate->setValue(settings.rate);
    mPitch->setValue(settings.pitch);
}

SpeechSettings SpeechSettingsBox::settings(const SpeechSettings &base) const
{
    SpeechSettings settings = base;
    settings.voice = mVoice->currentData().toString();
    settings.rate = mRate->value();
    settings.pitch = mPitch->value();
    return settings;
}

} // namespace tirvela
