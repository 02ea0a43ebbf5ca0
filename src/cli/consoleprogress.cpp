#include "cli/consoleprogress.h"

#include "cli/cliio.h"

#include <QThread>

#include <csignal>

#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

namespace tirvela::cli {

namespace {

volatile std::sig_atomic_t gInterrupted = 0;

extern "C" void noteInterrupt(int)
{
    gInterrupted = 1;
    std::signal(SIGINT, SIG_DFL); // a second Ctrl+C ends the program
}

bool standardOutputIsTerminal()
{
#ifdef Q_OS_UNIX
    return ::isatty(STDOUT_FILENO) == 1;
#else
    return false;
#endif
}

QString minutesAndSeconds(qint64 seconds)
{
    return QStringLiteral("%1:%2").arg(seconds / 60).arg(seconds % 60, 2, 10, QChar(u'0'));
}

} // namespace

ConsoleProgress::ConsoleProgress() : mTerminal(standardOutputIsTerminal())
{
    gInterrupted = 0;
    std::signal(SIGINT, noteInterrupt);
}

ConsoleProgress::~ConsoleProgress()
{
    endStatusLine();
    std::signal(SIGINT, SIG_DFL);
}

void ConsoleProgress::report(const ProgressReport &report)
{
    if (report.caption)
        mCaption = *report.caption;
    if (report.stage)
        showStage(*report.stage);
    if (report.size)
        mSize = *report.size;
    if (report.error)
        showError(*report.error);
    if (report.maximum) {
        mMaximum = *report.maximum;
        mFirstPosition = -1;
    }
    if (report.position)
        showPosition(*report.position);
    if (report.phase && *report.phase != ProgressReport::Phase::Working)
        endStatusLine();
    if (!report.message.isEmpty()) {
        endStatusLine();
        err() << report.message << Qt::endl;
    }
}

void ConsoleProgress::showStage(const QString &text)
{
    if (text == mStage)
        return;
    mStage = text;
    endStatusLine();
    out() << mCaption << ": " << text << Qt::endl;
}

void ConsoleProgress::showError(const QString &text)
{
    if (text == mError)
        return;
    mError = text;
    if (!text.isEmpty()) {
        endStatusLine();
        err() << text << Qt::endl;
    }
}

void ConsoleProgress::showPosition(int position)
{
    if (mFirstPosition < 0 || position < mFirstPosition) {
        mFirstPosition = position;
        mSinceFirstPosition.start();
    }
    if (!mTerminal)
        return;
    QString line = QStringLiteral("%1 из %2 байт").arg(position).arg(mMaximum);
    if (mMaximum > 0)
        line += QStringLiteral(", %1%").arg(100.0 * position / mMaximum, 0, 'f', 1);
    const qint64 elapsedMs = mSinceFirstPosition.elapsed();
    if (elapsedMs > 0 && position > mFirstPosition) {
        const double bytesPerSecond = 1000.0 * (position - mFirstPosition) / double(elapsedMs);
        line += QStringLiteral(", %1 КБ/с, осталось %2")
                    .arg(bytesPerSecond / 1024.0, 0, 'f', 1)
                    .arg(minutesAndSeconds(qint64((mMaximum - position) / bytesPerSecond)));
    }
    out() << '\r' << line << "\x1b[K" << Qt::flush;
    mStatusLineShown = true;
}

bool ConsoleProgress::cancelRequested() const
{
    return gInterrupted != 0;
}

bool ConsoleProgress::cancelledWithin(int ms)
{
    if (ms > 0)
        QThread::msleep(quint64(ms));
    return cancelRequested();
}

void ConsoleProgress::endStatusLine()
{
    if (!mStatusLineShown)
        return;
    out() << Qt::endl;
    mStatusLineShown = false;
}

} // namespace tirvela::cli
