#include "editor/progressdialog.h"

#include "editor/textfit.h"
#include "editor/titlebar.h"
#include "editor/userdialogs.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QEventLoop>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QWindow>

#include <algorithm>

namespace tirvela {

namespace {

constexpr int kExposeWaitMs = 1000;
constexpr int kExposeCheckMs = 10;
// The laid-out size of the dialog with the lines at their usual height; it grows with its texts.
constexpr int kBaseWidth = 288;
constexpr int kLeft = 16;
constexpr int kButtonWidth = 75;
constexpr int kBarHeight = 25;

QLabel *makeLabel(const char *name, QWidget *parent)
{
    auto *label = new QLabel(parent);
    label->setObjectName(QString::fromLatin1(name));
    return label;
}

} // namespace

ProgressDialog::ProgressDialog(UserDialogs &dialogs, QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowStaysOnTopHint)
    , mDialogs(dialogs)
    , mStage(makeLabel("StageLabel", this))
    , mSize(makeLabel("SizeLabel", this))
    , mError(makeLabel("ErrLabel", this))
    , mBar(new QProgressBar(this))
    , mButton(new QPushButton(this))
{
    setObjectName(QStringLiteral("ProgressForm"));
    // While a transfer runs nothing else may be started or changed.
    setWindowModality(Qt::ApplicationModal);
    mError->setStyleSheet(QStringLiteral("color: #b00000"));
    mBar->setObjectName(QStringLiteral("ProgressBar1"));
    mBar->setFormat(QStringLiteral("%p %"));
    mButton->setObjectName(QStringLiteral("OkCancelButton"));
    connect(mButton, &QPushButton::clicked, this, &ProgressDialog::accept);
    fitTexts();
}

// Three lines of text, the bar and the button under each other; as wide as the widest text
// and the caption need, never narrower than before in the same run.
void ProgressDialog::fitTexts()
{
    const QFontMetrics metrics = fontMetrics();
    int width = std::max({kBaseWidth, mWidth, titleBarWidth(this, windowTitle())});
    for (const QLabel *label : {mStage, mSize, mError})
        width = qMax(width, 2 * kLeft + metrics.horizontalAdvance(label->text()));
    const int buttonWidth = qMax(kButtonWidth, mButton->sizeHint().width());
    const int buttonHeight = qMax(kBarHeight, mButton->sizeHint().height());
    mWidth = width;

    const int line = qMax(16, metrics.height());
    int top = 8;
    for (QLabel *label : {mStage, mSize, mError}) {
        label->setGeometry(kLeft, top, width - kLeft - 8, line);
        top += line;
    }
    top += 8;
    mBar->setGeometry(8, top, width - 15, kBarHeight);
    top += kBarHeight + 7;
    mButton->setGeometry((width - buttonWidth) / 2, top, buttonWidth, buttonHeight);
    setFixedSize(width, top + buttonHeight + 5);
}

void ProgressDialog::report(const ProgressReport &report)
{
    if (report.caption)
        setWindowTitle(*report.caption);
    if (report.stage)
        mStage->setText(*report.stage);
    if (report.size)
        mSize->setText(*report.size);
    if (report.error)
        mError->setText(*report.error);
    if (report.button)
        mButton->setText(*report.button);
    fitTexts();
    if (report.maximum)
        mBar->setRange(0, *report.maximum);
    if (report.position)
        mBar->setValue(*report.position);
    if (report.phase == ProgressReport::Phase::Working)
        showPainted();
    else if (report.phase == ProgressReport::Phase::Closed)
        hide();
    if (!report.message.isEmpty())
        mDialogs.tell(parentWidget(), report.message);
}

void ProgressDialog::showEvent(QShowEvent *event)
{
    keepOnlyTitle(this);
    QDialog::showEvent(event);
}

void ProgressDialog::showPainted()
{
    show();
    waitUntilExposed();
    repaint();
}

void ProgressDialog::waitUntilExposed()
{
    const auto exposed = [this] { return windowHandle() && windowHandle()->isExposed(); };
    if (exposed())
        return;
    const QDeadlineTimer deadline(kExposeWaitMs);
    QEventLoop loop;
    QTimer check;
    connect(&check, &QTimer::timeout, &loop, [&] {
        if (exposed() || !isVisible() || deadline.hasExpired())
            loop.quit();
    });
    check.start(kExposeCheckMs);
    loop.exec();
}

bool ProgressDialog::cancelRequested() const
{
    return !isVisible();
}

bool ProgressDialog::cancelledWithin(int ms)
{
    if (ms <= 0) {
        QApplication::processEvents();
    } else if (!cancelRequested()) {
        QEventLoop loop;
        QTimer::singleShot(ms, &loop, &QEventLoop::quit);
        // "Отмена" ends the wait at once.
        connect(this, &QDialog::finished, &loop, &QEventLoop::quit);
        loop.exec();
    }
    return cancelRequested();
}

void ProgressDialog::clear()
{
    for (QLabel *label : {mStage, mSize, mError})
        label->clear();
    mWidth = 0;
    fitTexts();
    mBar->setRange(0, 1);
    mBar->setValue(0);
}

} // namespace tirvela
