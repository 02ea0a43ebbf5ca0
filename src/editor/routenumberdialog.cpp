#include "editor/routenumberdialog.h"

#include "editor/textfit.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace tirvela {

RouteNumberDialog::RouteNumberDialog(QWidget *parent)
    : QDialog(parent)
    , mPrompt(new QLabel(this))
    , mNumberEdit(new QLineEdit(this))
    , mCopy(new QCheckBox(QStringLiteral("Скопировать остановки"), this))
    , mOk(new QPushButton(QStringLiteral("ОК"), this))
{
    setObjectName(QStringLiteral("RouteInsertForm"));
    setWindowTitle(QStringLiteral("Номер маршрута"));
    mPrompt->setObjectName(QStringLiteral("Label1"));
    mNumberEdit->setObjectName(QStringLiteral("ERouteNum"));
    mCopy->setObjectName(QStringLiteral("CBCopy"));
    mOk->setObjectName(QStringLiteral("OKButton"));
    mOk->setDefault(true);
    auto *cancel = new QPushButton(QStringLiteral("Отмена"), this);
    cancel->setObjectName(QStringLiteral("Button2"));
    connect(mOk, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(mNumberEdit, &QLineEdit::textChanged, this, &RouteNumberDialog::validate);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(mOk);
    buttons->addWidget(cancel);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(mPrompt);
    layout->addWidget(mNumberEdit);
    layout->addWidget(mCopy);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    fitWindowTitle(this);
}

void RouteNumberDialog::prepare(const QString &prompt, const QString &number, bool offerCopy)
{
    mPrompt->setText(prompt);
    mNumberEdit->setText(number);
    mOfferCopy = offerCopy;
    mCopy->setVisible(offerCopy);
    validate();
}

int RouteNumberDialog::parseRouteNumber(const QString &text)
{
    qsizetype first = 0;
    qsizetype end = text.size();
    while (first < end && text[first].unicode() <= 32)
        ++first;
    while (end > first && text[end - 1].unicode() <= 32)
        --end;
    if (end == first || end - first > 4)
        return 0;
    int number = 0;
    for (qsizetype i = first; i < end; ++i) {
        const char16_t c = text[i].unicode();
        if (c < u'0' || c > u'9')
            return 0;
        number = number * 10 + (c - u'0');
    }
    return number;
}

bool RouteNumberDialog::copyStops() const
{
    return mOfferCopy && mCopy->isChecked();
}

void RouteNumberDialog::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    mNumberEdit->setFocus();
    validate();
    mNumberEdit->selectAll();
}

void RouteNumberDialog::validate()
{
    mNumber = parseRouteNumber(mNumberEdit->text());
    mOk->setEnabled(mNumber > 0);
}

} // namespace tirvela
