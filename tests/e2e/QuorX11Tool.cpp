// A small X11 helper for the end-to-end script. xdotool can move, click, type and resize, but
// it cannot ask a window to close the way a window manager does, nor drop a file on it:
//   quor-x11-tool close <window>         sends WM_DELETE_WINDOW
//   quor-x11-tool drop <window> <path>   drops the file as an XDND drag source at the pointer
// The window is a decimal or hexadecimal X window id. Exit status 0 on success.
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <sys/select.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

void SendClientMessage(Display* display, Window to, Atom type, long l0, long l1, long l2, long l3, long l4)
{
    XEvent event;
    std::memset(&event, 0, sizeof event);
    event.xclient.type = ClientMessage;
    event.xclient.window = to;
    event.xclient.message_type = type;
    event.xclient.format = 32;
    event.xclient.data.l[0] = l0;
    event.xclient.data.l[1] = l1;
    event.xclient.data.l[2] = l2;
    event.xclient.data.l[3] = l3;
    event.xclient.data.l[4] = l4;
    XSendEvent(display, to, False, NoEventMask, &event);
    XFlush(display);
}

int Close(Display* display, Window window)
{
    const Atom protocols = XInternAtom(display, "WM_PROTOCOLS", False);
    const Atom deleteWindow = XInternAtom(display, "WM_DELETE_WINDOW", False);
    SendClientMessage(display, window, protocols, static_cast<long>(deleteWindow), CurrentTime, 0, 0, 0);
    return 0;
}

// A file:// address with everything but unreserved characters and "/" percent-encoded.
std::string FileUri(const char* path)
{
    static const char kHex[] = "0123456789ABCDEF";
    std::string uri = "file://";
    for (const unsigned char* p = reinterpret_cast<const unsigned char*>(path); *p != 0; ++p) {
        const unsigned char c = *p;
        if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '/' || c == '-' ||
            c == '_' || c == '.' || c == '~') {
            uri += static_cast<char>(c);
        } else {
            uri += '%';
            uri += kHex[c >> 4];
            uri += kHex[c & 15];
        }
    }
    return uri;
}

bool WaitForEvent(Display* display, XEvent* event, int seconds)
{
    const int fd = ConnectionNumber(display);
    for (int waited = 0; waited < seconds * 20; ++waited) {
        if (XPending(display) > 0) {
            XNextEvent(display, event);
            return true;
        }
        fd_set set;
        FD_ZERO(&set);
        FD_SET(fd, &set);
        timeval tv{0, 50000};
        select(fd + 1, &set, nullptr, nullptr, &tv);
    }
    return false;
}

int Drop(Display* display, Window target, const char* path)
{
    const Window root = DefaultRootWindow(display);
    const Window source = XCreateSimpleWindow(display, root, 0, 0, 1, 1, 0, 0, 0);
    const Atom aware = XInternAtom(display, "XdndAware", False);
    const Atom enter = XInternAtom(display, "XdndEnter", False);
    const Atom position = XInternAtom(display, "XdndPosition", False);
    const Atom status = XInternAtom(display, "XdndStatus", False);
    const Atom drop = XInternAtom(display, "XdndDrop", False);
    const Atom finished = XInternAtom(display, "XdndFinished", False);
    const Atom leave = XInternAtom(display, "XdndLeave", False);
    const Atom selection = XInternAtom(display, "XdndSelection", False);
    const Atom copy = XInternAtom(display, "XdndActionCopy", False);
    const Atom uriList = XInternAtom(display, "text/uri-list", False);

    Atom actualType = None;
    int actualFormat = 0;
    unsigned long count = 0;
    unsigned long after = 0;
    unsigned char* data = nullptr;
    if (XGetWindowProperty(display, target, aware, 0, 1, False, AnyPropertyType, &actualType, &actualFormat, &count,
                           &after, &data) != Success || count == 0) {
        std::fprintf(stderr, "quor-x11-tool: window 0x%lx does not accept drops\n", target);
        return 1;
    }
    XFree(data);

    XSetSelectionOwner(display, selection, source, CurrentTime);
    const std::string uris = FileUri(path) + "\r\n";
    Window rootReturn = 0;
    Window childReturn = 0;
    int rootX = 0;
    int rootY = 0;
    int winX = 0;
    int winY = 0;
    unsigned int mask = 0;
    XQueryPointer(display, root, &rootReturn, &childReturn, &rootX, &rootY, &winX, &winY, &mask);

    SendClientMessage(display, target, enter, static_cast<long>(source), 5L << 24, static_cast<long>(uriList), 0, 0);
    SendClientMessage(display, target, position, static_cast<long>(source), 0, (static_cast<long>(rootX) << 16) | rootY,
                      CurrentTime, static_cast<long>(copy));
    bool dropped = false;
    XEvent event;
    while (WaitForEvent(display, &event, 5)) {
        if (event.type == ClientMessage && event.xclient.message_type == status) {
            if ((event.xclient.data.l[1] & 1) == 0) {
                SendClientMessage(display, target, leave, static_cast<long>(source), 0, 0, 0, 0);
                std::fprintf(stderr, "quor-x11-tool: the window refused the drop\n");
                return 1;
            }
            if (!dropped) {
                dropped = true;
                SendClientMessage(display, target, drop, static_cast<long>(source), 0, CurrentTime, 0, 0);
            }
        } else if (event.type == SelectionRequest) {
            const XSelectionRequestEvent& request = event.xselectionrequest;
            XEvent reply;
            std::memset(&reply, 0, sizeof reply);
            reply.xselection.type = SelectionNotify;
            reply.xselection.requestor = request.requestor;
            reply.xselection.selection = request.selection;
            reply.xselection.target = request.target;
            reply.xselection.time = request.time;
            reply.xselection.property = None;
            if (request.target == uriList) {
                const Atom property = request.property != None ? request.property : request.target;
                XChangeProperty(display, request.requestor, property, uriList, 8, PropModeReplace,
                                reinterpret_cast<const unsigned char*>(uris.data()), static_cast<int>(uris.size()));
                reply.xselection.property = property;
            }
            XSendEvent(display, request.requestor, False, NoEventMask, &reply);
            XFlush(display);
        } else if (event.type == ClientMessage && event.xclient.message_type == finished) {
            return 0;
        }
    }
    std::fprintf(stderr, "quor-x11-tool: the drop did not finish\n");
    return 1;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 3 || (std::strcmp(argv[1], "close") != 0 && std::strcmp(argv[1], "drop") != 0) ||
        (std::strcmp(argv[1], "drop") == 0 && argc < 4)) {
        std::fprintf(stderr, "usage: quor-x11-tool close <window> | drop <window> <path>\n");
        return 2;
    }
    Display* display = XOpenDisplay(nullptr);
    if (display == nullptr) {
        std::fprintf(stderr, "quor-x11-tool: cannot open the display\n");
        return 1;
    }
    const Window window = static_cast<Window>(std::strtoul(argv[2], nullptr, 0));
    const int status = std::strcmp(argv[1], "close") == 0 ? Close(display, window) : Drop(display, window, argv[3]);
    XCloseDisplay(display);
    return status;
}
