#include "editor/titlebar.h"

#include <QGuiApplication>
#include <QWidget>

#if QT_CONFIG(xcb)
#include <xcb/xcb.h>

#include <cstdlib>
#endif

namespace tirvela {

void keepOnlyTitle(QWidget *window)
{
#if QT_CONFIG(xcb)
    auto *x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    if (QGuiApplication::platformName() != QLatin1String("xcb") || !x11 || !x11->connection())
        return;
    xcb_connection_t *connection = x11->connection();
    static constexpr char kName[] = "_MOTIF_WM_HINTS";
    xcb_intern_atom_reply_t *atom = xcb_intern_atom_reply(
        connection, xcb_intern_atom(connection, false, sizeof kName - 1, kName), nullptr);
    if (!atom)
        return;
    // The Motif hints: which fields count, the functions (moving only), the decorations (border
    // and title), the input mode and the status.
    constexpr quint32 kFunctionsAndDecorations = 1 | 2;
    constexpr quint32 kMove = 4;
    constexpr quint32 kBorderAndTitle = 2 | 8;
    const quint32 hints[5] = {kFunctionsAndDecorations, kMove, kBorderAndTitle, 0, 0};
    xcb_change_property(connection, XCB_PROP_MODE_REPLACE, xcb_window_t(window->winId()), atom->atom, atom->atom, 32,
                        5, hints);
    std::free(atom);
    xcb_flush(connection);
#else
    Q_UNUSED(window);
#endif
}

} // namespace tirvela
