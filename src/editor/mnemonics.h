#pragma once

class QMenu;
class QMenuBar;

namespace tirvela {

// Mnemonics (Alt+Ф opens "Файлы"): each caption gets the first letter of one of its words that
// no other caption beside it has taken, else any free letter. The captions stay as they are;
// only the underline is added.

// The menus of a menu bar.
void assignMnemonics(QMenuBar *bar);
// The entries of a menu.
void assignMnemonics(QMenu *menu);

} // namespace tirvela
