#include "app/X11Activation.h"

#include <xcb/xcb.h>

#include <QGuiApplication>
#include <cstring>
#include <memory>

namespace volcatra {

namespace {

constexpr int kPieceSize = 20;  // the data of a client message in format 8

xcb_atom_t InternAtom(xcb_connection_t* connection, const char* name) {
    const xcb_intern_atom_cookie_t cookie = xcb_intern_atom(connection, 0, uint16_t(std::strlen(name)), name);
    std::unique_ptr<xcb_intern_atom_reply_t, decltype(&std::free)> reply(
        xcb_intern_atom_reply(connection, cookie, nullptr), &std::free);
    return reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
}

// A value of a startup-notification message: blanks, quotes and
// backslashes are escaped with a backslash.
QByteArray EscapedValue(const QByteArray& value) {
    QByteArray escaped;
    for (char c : value) {
        if (c == ' ' || c == '"' || c == '\\') escaped += '\\';
        escaped += c;
    }
    return escaped;
}

}  // namespace

uint32_t StartupIdTime(const QString& startupId) {
    const qsizetype at = startupId.lastIndexOf(QLatin1String("_TIME"));
    if (at < 0) return 0;
    bool ok = false;
    const qulonglong time = startupId.mid(at + 5).toULongLong(&ok, 10);
    return ok && time <= 0xFFFFFFFFu ? uint32_t(time) : 0;
}

std::vector<QByteArray> StartupRemoveMessage(const QString& startupId) {
    QByteArray message = "remove: ID=" + EscapedValue(startupId.toUtf8());
    message += '\0';
    std::vector<QByteArray> pieces;
    for (qsizetype at = 0; at < message.size(); at += kPieceSize) {
        QByteArray piece = message.mid(at, kPieceSize);
        piece.append(kPieceSize - piece.size(), '\0');
        pieces.push_back(piece);
    }
    return pieces;
}

bool ActivateX11Window(WId window, const QString& startupId) {
    auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    xcb_connection_t* connection = x11 ? x11->connection() : nullptr;
    if (!connection) return false;
    const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(connection)).data;
    if (!screen) return false;
    const xcb_window_t target = xcb_window_t(window);
    constexpr uint32_t kRootMask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY | XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT;

    // _NET_ACTIVE_WINDOW from an application (source 1) with the time of
    // the user's action.
    xcb_client_message_event_t activate{};
    activate.response_type = XCB_CLIENT_MESSAGE;
    activate.format = 32;
    activate.window = target;
    activate.type = InternAtom(connection, "_NET_ACTIVE_WINDOW");
    activate.data.data32[0] = 1;
    activate.data.data32[1] = StartupIdTime(startupId);
    xcb_send_event(connection, 0, screen->root, kRootMask, reinterpret_cast<const char*>(&activate));

    // The start-up feedback ends: the first piece goes as
    // _NET_STARTUP_INFO_BEGIN, the others as _NET_STARTUP_INFO.
    const xcb_atom_t begin = InternAtom(connection, "_NET_STARTUP_INFO_BEGIN");
    const xcb_atom_t more = InternAtom(connection, "_NET_STARTUP_INFO");
    bool first = true;
    for (const QByteArray& piece : StartupRemoveMessage(startupId)) {
        xcb_client_message_event_t info{};
        info.response_type = XCB_CLIENT_MESSAGE;
        info.format = 8;
        info.window = target;
        info.type = first ? begin : more;
        std::memcpy(info.data.data8, piece.constData(), kPieceSize);
        xcb_send_event(connection, 0, screen->root, XCB_EVENT_MASK_PROPERTY_CHANGE,
                       reinterpret_cast<const char*>(&info));
        first = false;
    }
    xcb_flush(connection);
    return true;
}

}  // namespace volcatra
