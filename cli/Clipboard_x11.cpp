// The X11 CLIPBOARD selection through Xlib (on Wayland, Xwayland's, which the desktop keeps in
// step with its own). A selection is served by its owner: so that the text stays on the
// clipboard after kalvex-cli ends, a child process owns it and answers requests until another
// program takes the clipboard.
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <climits>
#include <cstring>
#include <string>
#include <vector>

#include "cli/Clipboard.h"
#include "cli/Messages.h"
#include "cli/Text.h"

namespace cli {
namespace {

struct Atoms {
    Atom clipboard, utf8, textPlain, targets, incr, property;
    explicit Atoms(Display* d)
        : clipboard(XInternAtom(d, "CLIPBOARD", False)),
          utf8(XInternAtom(d, "UTF8_STRING", False)),
          textPlain(XInternAtom(d, "text/plain;charset=utf-8", False)),
          targets(XInternAtom(d, "TARGETS", False)),
          incr(XInternAtom(d, "INCR", False)),
          property(XInternAtom(d, "KALVEX_CLIPBOARD", False)) {}
};

// A connection with a window of its own, closed when done.
class Connection {
  public:
    Connection() : d_(XOpenDisplay(nullptr)) {
        if (!d_) {
            throw Failure{Say("X のディスプレイに接続できません (DISPLAY)",
                              "cannot connect to the X display (DISPLAY)")};
        }
        window_ = XCreateSimpleWindow(d_, DefaultRootWindow(d_), 0, 0, 1, 1, 0, 0, 0);
        XSelectInput(d_, window_, PropertyChangeMask);
    }
    ~Connection() { XCloseDisplay(d_); }
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    Display* d() const { return d_; }
    Window window() const { return window_; }

    // The next event of the type for the window, waiting at most five seconds for it.
    bool Next(int type, XEvent& event) {
        const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(5);
        for (;;) {
            if (XCheckTypedWindowEvent(d_, window_, type, &event)) return true;
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                until - std::chrono::steady_clock::now());
            if (left.count() <= 0) return false;
            pollfd fd{ConnectionNumber(d_), POLLIN, 0};
            poll(&fd, 1, static_cast<int>(left.count()));
        }
    }

    // Reads and deletes the window's property; type None when there is none.
    std::string Take(Atom property, Atom& type) {
        type = None;
        int format;
        unsigned long count, after;
        unsigned char* data = nullptr;
        std::string bytes;
        if (XGetWindowProperty(d_, window_, property, 0, LONG_MAX / 4, True, AnyPropertyType, &type,
                               &format, &count, &after, &data) == Success &&
            data) {
            bytes.assign(reinterpret_cast<char*>(data), count * (format / 8));
            XFree(data);
        }
        return bytes;
    }

  private:
    Display* d_;
    Window window_ = 0;
};

[[noreturn]] void FailToPut() {
    throw Failure{Say("クリップボードに置けません", "cannot put the text on the clipboard")};
}

[[noreturn]] void FailNoText() {
    throw Failure{Say("クリップボードに文字列がありません", "the clipboard holds no text")};
}

// A text larger than one request is handed over in pieces (INCR).
struct Transfer {
    Window requestor;
    Atom property;
    Atom target;
    std::size_t sent;
};

class Server {
  public:
    Server(Connection& x, std::string bytes) : x_(x), atoms_(x.d()), bytes_(std::move(bytes)) {
        chunk_ = static_cast<std::size_t>(XMaxRequestSize(x.d())) * 4 / 2;
    }

    // Owns the clipboard, as of a time the server gives.
    bool Own() {
        XChangeProperty(x_.d(), x_.window(), atoms_.property, XA_STRING, 8, PropModeAppend, nullptr,
                        0);
        XEvent event;
        if (!x_.Next(PropertyNotify, event)) return false;
        XSetSelectionOwner(x_.d(), atoms_.clipboard, x_.window(), event.xproperty.time);
        return XGetSelectionOwner(x_.d(), atoms_.clipboard) == x_.window();
    }

    // Answers until another program owns the clipboard.
    void Serve() {
        for (;;) {
            XEvent event;
            XNextEvent(x_.d(), &event);
            if (event.type == SelectionClear) return;
            if (event.type == SelectionRequest) Answer(event.xselectionrequest);
            if (event.type == PropertyNotify && event.xproperty.state == PropertyDelete)
                Continue(event.xproperty);
        }
    }

  private:
    void Answer(const XSelectionRequestEvent& request) {
        XSelectionEvent answer{};
        answer.type = SelectionNotify;
        answer.requestor = request.requestor;
        answer.selection = request.selection;
        answer.target = request.target;
        answer.time = request.time;
        // An old client names no property: the target is the property then.
        answer.property = request.property ? request.property : request.target;
        Display* d = x_.d();
        if (request.target == atoms_.targets) {
            const Atom offered[] = {atoms_.targets, atoms_.utf8, atoms_.textPlain};
            XChangeProperty(d, request.requestor, answer.property, XA_ATOM, 32, PropModeReplace,
                            reinterpret_cast<const unsigned char*>(offered), 3);
        } else if (request.target == atoms_.utf8 || request.target == atoms_.textPlain) {
            if (bytes_.size() <= chunk_) {
                Put(request.requestor, answer.property, request.target, 0, bytes_.size());
            } else {
                XSelectInput(d, request.requestor, PropertyChangeMask);
                const long size = static_cast<long>(bytes_.size());
                XChangeProperty(d, request.requestor, answer.property, atoms_.incr, 32,
                                PropModeReplace, reinterpret_cast<const unsigned char*>(&size), 1);
                transfers_.push_back({request.requestor, answer.property, request.target, 0});
            }
        } else {
            answer.property = None;
        }
        XSendEvent(d, request.requestor, False, 0, reinterpret_cast<XEvent*>(&answer));
        XFlush(d);
    }

    // The requestor took a piece: the next one, and an empty one after the last.
    void Continue(const XPropertyEvent& deleted) {
        for (auto it = transfers_.begin(); it != transfers_.end(); ++it) {
            if (it->requestor != deleted.window || it->property != deleted.atom) continue;
            const std::size_t n = std::min(chunk_, bytes_.size() - it->sent);
            Put(it->requestor, it->property, it->target, it->sent, n);
            it->sent += n;
            if (n == 0) {
                XSelectInput(x_.d(), it->requestor, NoEventMask);
                transfers_.erase(it);
            }
            XFlush(x_.d());
            return;
        }
    }

    void Put(Window w, Atom property, Atom target, std::size_t from, std::size_t n) {
        XChangeProperty(x_.d(), w, property, target, 8, PropModeReplace,
                        reinterpret_cast<const unsigned char*>(bytes_.data() + from),
                        static_cast<int>(n));
    }

    Connection& x_;
    Atoms atoms_;
    std::string bytes_;
    std::size_t chunk_;
    std::vector<Transfer> transfers_;
};

// A requestor that has gone away is no reason to stop serving the others.
int IgnoreError(Display*, XErrorEvent*) { return 0; }

}  // namespace

std::u16string ReadClipboard() {
    Connection x;
    const Atoms atoms(x.d());
    if (XGetSelectionOwner(x.d(), atoms.clipboard) == None) FailNoText();
    XConvertSelection(x.d(), atoms.clipboard, atoms.utf8, atoms.property, x.window(), CurrentTime);
    XEvent event;
    if (!x.Next(SelectionNotify, event) || event.xselection.property == None) FailNoText();
    Atom type;
    std::string bytes = x.Take(atoms.property, type);
    if (type == atoms.incr) {  // in pieces, each taken when it comes, until an empty one
        bytes.clear();
        for (;;) {
            if (!x.Next(PropertyNotify, event)) FailNoText();
            if (event.xproperty.atom != atoms.property || event.xproperty.state != PropertyNewValue)
                continue;
            // A notice may come from before the first piece, when there is no property.
            const std::string piece = x.Take(atoms.property, type);
            if (type != None && piece.empty()) break;
            bytes += piece;
        }
    }
    try {
        return FromUtf8(bytes);
    } catch (const BadText& bad) {
        throw Failure{Say("クリップボードの文字列が UTF-8 として正しくありません (バイト位置 ",
                          "the clipboard's text is not valid UTF-8 (byte offset ") +
                      std::to_string(bad.offset) + ")"};
    }
}

void WriteClipboard(std::u16string_view text) {
    std::string bytes;
    try {
        bytes = ToUtf8(text);
    } catch (const BadText& bad) {
        throw Failure{Say("結果に対になっていないサロゲートがあり、クリップボードに置けません (",
                          "the result holds a lone surrogate, which the clipboard cannot take (") +
                      std::to_string(bad.line) + Say(" 行目)", ". line)")};
    }
    { Connection check; }  // the display is there, or the message says so now
    int ready[2];
    if (pipe(ready) != 0) FailToPut();
    const pid_t child = fork();
    if (child < 0) FailToPut();
    if (child == 0) {
        // Leaves the caller's terminal and pipes, so that nothing waits for it to end.
        close(ready[0]);
        setsid();
        const int null = open("/dev/null", O_RDWR);
        for (int fd = 0; fd < 3; ++fd) dup2(null, fd);
        XSetErrorHandler(IgnoreError);
        char owned = 0;
        try {
            Connection x;
            Server server(x, std::move(bytes));
            owned = server.Own();
            (void)!write(ready[1], &owned, 1);
            close(ready[1]);
            if (owned) server.Serve();
        } catch (...) {
            (void)!write(ready[1], &owned, 1);
        }
        _exit(0);
    }
    close(ready[1]);
    char owned = 0;
    const bool told = read(ready[0], &owned, 1) == 1;
    close(ready[0]);
    if (!told || !owned) FailToPut();
}

}  // namespace cli
