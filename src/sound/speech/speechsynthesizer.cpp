#include "sound/speech/speechsynthesizer.h"

#include "common/transferprogress.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>

namespace tirvela {

namespace {

constexpr int kPollMs = 100;
constexpr int kTimeoutMs = 60'000;

QString missingProgramMessage(const QString &program)
{
    return QStringLiteral("Программа синтеза речи %1 не найдена. Установите пакет espeak-ng "
                          "(sudo apt install espeak-ng) или укажите путь к программе в файле editor.ini, "
                          "раздел [SPEECH], ключ PROGRAM.")
        .arg(QDir::toNativeSeparators(program));
}

SpeechOutcome failed(const QString &message, const QString &reason = {})
{
    return {SpeechOutcome::Ending::Failed, Status::failure(message, reason)};
}

SpeechOutcome failedRun(const QString &text, const QString &why)
{
    return failed(QStringLiteral("Синтезатор речи не озвучил «%1»: %2").arg(text, why), why);
}

} // namespace

Status checkSpeechSynthesizer(const SpeechSettings &settings)
{
    const bool isPath = settings.program.contains(u'/') || settings.program.contains(u'\\');
    const QFileInfo program(isPath ? settings.program : QStandardPaths::findExecutable(settings.program));
    const bool found = !settings.program.isEmpty() && program.isFile() && program.isExecutable();
    return found ? Status::success() : Status::failure(missingProgramMessage(settings.program));
}

SpeechOutcome synthesizeSpeech(const QString &text, const QString &wavePath, const SpeechSettings &settings,
                               TransferProgress *progress)
{
    QProcess process;
    // -z: no pause after the last sentence, the announcement goes on with the next sound at once.
    const QStringList arguments{QStringLiteral("-v"), settings.voice, QStringLiteral("-s"), QString::number(settings.rate),
                                QStringLiteral("-p"), QString::number(settings.pitch), QStringLiteral("-z"),
                                QStringLiteral("-b"), QStringLiteral("1"), QStringLiteral("-w"), wavePath,
                                QStringLiteral("--stdin")};
    process.setStandardOutputFile(QProcess::nullDevice());
    process.start(settings.program, arguments);
    if (!process.waitForStarted())
        return failed(missingProgramMessage(settings.program), process.errorString());
    process.write(text.toUtf8());
    process.closeWriteChannel();

    QElapsedTimer running;
    running.start();
    while (!process.waitForFinished(kPollMs) && process.state() != QProcess::NotRunning) {
        if (progress && progress->cancelledWithin(0)) {
            process.kill();
            process.waitForFinished();
            return {SpeechOutcome::Ending::Cancelled};
        }
        if (running.elapsed() > kTimeoutMs) {
            process.kill();
            process.waitForFinished();
            return failedRun(text, QStringLiteral("программа не ответила за %1 с").arg(kTimeoutMs / 1000));
        }
    }
    if (process.exitStatus() != QProcess::NormalExit)
        return failedRun(text, QStringLiteral("программа завершилась аварийно"));
    if (process.exitCode() != 0) {
        QString why = QString::fromLocal8Bit(process.readAllStandardError()).trimmed();
        if (why.isEmpty())
            why = QStringLiteral("код завершения %1").arg(process.exitCode());
        return failedRun(text, why);
    }
    return {SpeechOutcome::Ending::Spoken};
}

} // namespace tirvela
