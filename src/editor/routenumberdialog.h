#pragma once

#include <QDialog>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace tirvela {

// The route number dialog of the add and rename commands: a number from 1 to 9999 typed with at
// most four digits (blanks around it are ignored), and, when adding, whether to copy the stops of
// the selected route. Made once and reused, so the copy choice is kept between uses.
class RouteNumberDialog : public QDialog
{
    Q_OBJECT

public:
    explicit RouteNumberDialog(QWidget *parent = nullptr);

    // Sets the dialog up for one question; offerCopy shows "Скопировать остановки".
    void prepare(const QString &prompt, const QString &number, bool offerCopy);
    // The number the text holds, or 0 when it holds none that can be confirmed.
    static int parseRouteNumber(const QString &text);

    int routeNumber() const { return mNumber; }
    bool copyStops() const;

protected:
    void showEvent(QShowEvent *event) override;

private:
    void validate();

    QLabel *mPrompt;
    QLineEdit *mNumberEdit;
    QCheckBox *mCopy;
    QPushButton *mOk;
    int mNumber = 0;
    bool mOfferCopy = false;
};

} // namespace tirvela
