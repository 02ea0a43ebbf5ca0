#pragma once

#include <QString>

#include <optional>

namespace tirvela {

// What a long operation tells about how it goes. A report names only what changed: what it
// leaves out stays as it was shown.
struct ProgressReport
{
    enum class Phase {
        Working,  // under way: shown, its one button stops the work
        Finished, // over (done, failed or stopped): shown until the user closes it with its button
        Closed,   // over, with nothing more to show
    };

    std::optional<Phase> phase{};
    std::optional<QString> caption{};
    std::optional<QString> stage{};
    std::optional<QString> size{};
    std::optional<QString> error{};
    std::optional<QString> button{}; // the text of the one button
    std::optional<int> maximum{};    // the bar runs from 0
    std::optional<int> position{};
    // A text the user must acknowledge (a message box with one OK button), given once the rest of
    // the report is shown.
    QString message{};
};

// Where a long operation (a device transfer, a sound import) reports how it goes and learns
// whether the user wants it stopped: the progress dialog in the editor, a status line in the
// command-line tool, a recorder in the tests.
class TransferProgress
{
public:
    virtual ~TransferProgress() = default;

    virtual void report(const ProgressReport &report) = 0;
    // True once the user asked to stop (closed the dialog, pressed Ctrl+C); cheap enough to ask
    // before every block of work.
    virtual bool cancelRequested() const = 0;
    // Gives a window `ms` milliseconds to handle its events (0: only what is pending, which a
    // transfer offers about once a second), ended early when the user cancels; this is also how a
    // transfer waits while a device gets ready. True when the user cancelled.
    virtual bool cancelledWithin(int ms) = 0;
};

} // namespace tirvela
