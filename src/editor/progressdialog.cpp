#include "editor/progressdialog.h"

#include "editor/userdialogs.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QEventLoop>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QWindow>

namespace tirvela {

namespace {

constexpr int kExposeWaitMs = 1000;
constexpr int kExposeCheckMs = 10;

QLabel *placeLabel(const char *name, int top, QWidget *parent)
{
    auto *label = new QLabel(parent);
    label->setObjectName(QString::fromLatin1(name));
    label->setGeometry(16, top, 264, 16);
    return label;
}

} // namespace

ProgressDialog::ProgressDialog(UserDialogs &dialogs, QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowStaysOnTopHint)
    , mDialogs(dialogs)
    , mStage(placeLabel("StageLabel", 8, this))
    , mSize(placeLabel("SizeLabel", 24, this))
    , mError(placeLabel("ErrLabel", 40, this))
    , mBar(new QProgressBar(this))
    , mButton(new QPushButton(this))
{
    setObjectName(QStringLiteral("ProgressForm"));
    setFixedSize(288, 126);
    // While a transfer runs nothing else may be started or changed.
    setWindowModality(Qt::ApplicationModal);
    mError->setStyleSheet(QStringLiteral("color: #b00000"));
    mBar->setObjectName(QStringLiteral("ProgressBar1"));
    mBar->setGeometry(8, 64, 273, 25);
    mBar->setFormat(QStringLiteral("%p %"));
    mButton->setObjectName(QStringLiteral("OkCancelButton"));
    mButton->setGeometry(104, 96, 75, 25);
    connect(mButton, &QPushButton::clicked, this, &ProgressDialog::accept);
}

void ProgressDialog::setCaption(const QString &text)
{
    setWindowTitle(text);
}

void ProgressDialog::setStage(const QString &text)
{
    mStage->setText(text);
}

void ProgressDialog::setSize(const QString &text)
{
    mSize->setText(text);
}

void ProgressDialog::setError(const QString &text)
{
    mError->setText(text);
}

void ProgressDialog::setButtonText(const QString &text)
{
    mButton->setText(text);
}

void ProgressDialog::setRange(int maximum)
{
    mBar->setRange(0, maximum);
}

void ProgressDialog::setPosition(int position)
{
    mBar->setValue(position);
}

void ProgressDialog::show()
{
    QDialog::show();
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

void ProgressDialog::hide()
{
    QDialog::hide();
}

bool ProgressDialog::cancelRequested() const
{
    return !isVisible();
}

void ProgressDialog::processEvents()
{
    QApplication::processEvents();
}

void ProgressDialog::pause(int ms)
{
    if (cancelRequested())
        return;
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    // "Отмена" ends the wait at once.
    connect(this, &QDialog::finished, &loop, &QEventLoop::quit);
    loop.exec();
}

void ProgressDialog::showMessage(const QString &text)
{
    mDialogs.tell(parentWidget(), text);
}

void ProgressDialog::clear()
{
    for (QLabel *label : {mStage, mSize, mError})
        label->clear();
    mBar->setRange(0, 1);
    mBar->setValue(0);
}

} // namespace tirvela
