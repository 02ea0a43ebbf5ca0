#pragma once

#include <QWidget>

#include <functional>

namespace tirvela {

class Document;

// The route list window: the central window of the open project. Its caption shows the project's
// file name and whether it is modified; closing it ends the editing of the project, after the
// close question.
class RouteListWindow : public QWidget
{
    Q_OBJECT

public:
    // mayClose asks about unsaved changes and returns whether the window may close.
    RouteListWindow(Document &document, std::function<bool()> mayClose, QWidget *parent = nullptr);

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void updateCaption();

    Document &mDocument;
    std::function<bool()> mMayClose;
};

} // namespace tirvela
