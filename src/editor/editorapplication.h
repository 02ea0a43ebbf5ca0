#pragma once

#include <QApplication>

namespace tirvela {

// The editor's application object: a command that runs out of memory is stopped with a message
// instead of ending the program.
class EditorApplication : public QApplication
{
public:
    EditorApplication(int &argc, char **argv);

    bool notify(QObject *receiver, QEvent *event) override;
};

// Whether a window can be shown here; when not, the reason as one line for the terminal.
QString missingDisplayReason();

} // namespace tirvela
