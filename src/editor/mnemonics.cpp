#include "editor/mnemonics.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QSet>

namespace tirvela {

namespace {

// The position of the letter to underline: a word's first letter if one is free, else any.
qsizetype mnemonicPosition(const QString &caption, const QSet<QChar> &taken)
{
    const auto free = [&](qsizetype i) { return caption[i].isLetter() && !taken.contains(caption[i].toUpper()); };
    for (qsizetype i = 0; i < caption.size(); ++i) {
        if ((i == 0 || !caption[i - 1].isLetter()) && free(i))
            return i;
    }
    for (qsizetype i = 0; i < caption.size(); ++i) {
        if (free(i))
            return i;
    }
    return -1;
}

void assign(const QList<QAction *> &actions)
{
    QSet<QChar> taken;
    for (QAction *action : actions) {
        const QString caption = action->text();
        if (action->isSeparator() || caption.contains(u'&'))
            continue;
        const qsizetype at = mnemonicPosition(caption, taken);
        if (at < 0)
            continue;
        taken.insert(caption[at].toUpper());
        action->setText(QString(caption).insert(at, u'&'));
    }
}

} // namespace

void assignMnemonics(QMenuBar *bar)
{
    assign(bar->actions());
}

void assignMnemonics(QMenu *menu)
{
    assign(menu->actions());
}

} // namespace tirvela
