#include "common/platform/endrequest.h"

#include <QSocketNotifier>

#include <cerrno>
#include <csignal>
#include <sys/socket.h>
#include <unistd.h>

namespace platform {

namespace {

// [0] written by the handler, [1] read by the event loop. A handler may do little more
// than write(); everything else happens on the loop.
int g_pipe[2] = {-1, -1};

void onSignal(int sig) {
    const int saved = errno;
    const char byte = char(sig);
    (void)!::write(g_pipe[0], &byte, 1);
    errno = saved;
}

} // namespace

bool onEndRequest(QObject* owner, std::function<void()> then) {
    if (g_pipe[0] >= 0)
        return true;
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0, g_pipe) != 0)
        return false;
    auto* notifier = new QSocketNotifier(g_pipe[1], QSocketNotifier::Read, owner);
    QObject::connect(notifier, &QSocketNotifier::activated, owner, [then = std::move(then)] {
        char byte;
        while (::read(g_pipe[1], &byte, 1) > 0) {
        }
        then();
    });
    struct sigaction sa {};
    sa.sa_handler = onSignal;
    sigemptyset(&sa.sa_mask);
    sa.sa_flags = SA_RESTART;
    return ::sigaction(SIGTERM, &sa, nullptr) == 0 && ::sigaction(SIGHUP, &sa, nullptr) == 0;
}

} // namespace platform
