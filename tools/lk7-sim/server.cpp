#include "server.h"

#include "frames.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <time.h>
#include <unistd.h>

namespace {

// Paced writes go out in pieces of at least this many characters (about 1.4 ms at 115200 baud),
// so the rate holds without a wake-up per character.
constexpr size_t PacedPiece = 16;

double monotonicSeconds()
{
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return double(ts.tv_sec) + double(ts.tv_nsec) * 1e-9;
}

} // namespace

Server::Server(const SimOptions &options, Bytes image)
    : m_options(options), m_image(std::move(image)), m_identRestarts(options.restartIdent),
      m_dataRestarts(options.restartData)
{}

Server::~Server()
{
    if (m_slave >= 0)
        ::close(m_slave);
    if (m_master >= 0)
        ::close(m_master);
}

bool Server::open(std::string &error)
{
    m_master = posix_openpt(O_RDWR | O_NOCTTY);
    if (m_master < 0 || grantpt(m_master) != 0 || unlockpt(m_master) != 0) {
        error = std::string("posix_openpt: ") + std::strerror(errno);
        return false;
    }
    const char *name = ptsname(m_master);
    if (!name) {
        error = std::string("ptsname: ") + std::strerror(errno);
        return false;
    }
    m_devicePath = name;
    m_slave = ::open(name, O_RDWR | O_NOCTTY);
    if (m_slave < 0) {
        error = m_devicePath + ": " + std::strerror(errno);
        return false;
    }
    // Raw on both sides: no byte may be translated or echoed back to the program.
    termios raw{};
    tcgetattr(m_slave, &raw);
    cfmakeraw(&raw);
    cfsetspeed(&raw, B115200);
    tcsetattr(m_slave, TCSANOW, &raw);
    fcntl(m_master, F_SETFL, fcntl(m_master, F_GETFL) | O_NONBLOCK);
    return true;
}

void Server::request(char byte)
{
    if (m_options.verbose)
        std::fprintf(stderr, "lk7-sim: request %c\n", byte >= 0x20 && byte < 0x7F ? byte : '?');
    if (m_options.silent)
        return;
    if (byte == 'V') {
        // A new identification request supersedes whatever of an earlier answer is unsent, so
        // a program that gave up on a long frame is not fed its tail.
        m_pending.erase(m_sent);
        const int count =
            m_options.identCount.value_or(m_image.size() >= 2 ? m_image[0] + 256 * m_image[1] : 0);
        std::string frame = applyFormDefect(encodeFrame(identification(m_options, count)),
                                            m_options.identMalformed);
        if (m_identRestarts > 0) {
            --m_identRestarts;
            frame = brokenOffByRestart(frame);
        }
        queue(frame);
    } else if (byte == 'N') {
        std::string frame = applyFormDefect(encodeFrame(dataBytes(m_image, m_options.malformed)),
                                            m_options.malformed);
        if (m_dataRestarts > 0) {
            --m_dataRestarts;
            frame = brokenOffByRestart(frame);
        }
        queue(frame);
    }
}

void Server::queue(const std::string &characters)
{
    if (m_sent == m_pending.size()) {
        m_pending.clear();
        m_sent = 0;
        m_burstStart = monotonicSeconds();
    }
    m_pending += characters;
}

double Server::writeDelay() const
{
    const double now = monotonicSeconds();
    if (m_options.rate > 0) {
        const size_t remaining = m_pending.size() - m_sent;
        const double due = double(m_sent + std::min(remaining, PacedPiece)) / m_options.rate;
        return std::max(0.0, (m_burstStart + due - now) * 1000);
    }
    if (m_options.gapMs > 0 && m_sent > 0)
        return std::max(0.0, (m_lastWrite + m_options.gapMs / 1000.0 - now) * 1000);
    return 0;
}

bool Server::writeSome()
{
    size_t n = m_pending.size() - m_sent;
    if (m_options.rate > 0) {
        const double elapsed = monotonicSeconds() - m_burstStart;
        const auto allowed = size_t(std::floor(elapsed * m_options.rate));
        n = std::min(n, allowed > m_sent ? allowed - m_sent : 0);
    }
    if (m_options.chunk > 0)
        n = std::min(n, size_t(m_options.chunk));
    if (n == 0)
        return true;
    const ssize_t written = ::write(m_master, m_pending.data() + m_sent, n);
    if (written < 0) {
        if (errno == EAGAIN || errno == EINTR) {
            m_blocked = errno == EAGAIN;
            return true;
        }
        std::perror("lk7-sim: write");
        return false;
    }
    m_sent += size_t(written);
    m_lastWrite = monotonicSeconds();
    return true;
}

int Server::serve()
{
    char input[256];
    for (;;) {
        const bool pending = m_sent < m_pending.size();
        pollfd fd{m_master, short(POLLIN | (pending && m_blocked ? POLLOUT : 0)), 0};
        timespec wait{};
        timespec *timeout = nullptr;
        if (pending && !m_blocked) {
            const double ms = writeDelay();
            wait.tv_sec = time_t(ms / 1000);
            wait.tv_nsec = long(std::fmod(ms, 1000.0) * 1e6);
            timeout = &wait;
        }
        const int ready = ppoll(&fd, 1, timeout, nullptr);
        if (ready < 0) {
            if (errno == EINTR)
                continue;
            std::perror("lk7-sim: poll");
            return 1;
        }
        if (fd.revents & POLLIN) {
            const ssize_t got = ::read(m_master, input, sizeof input);
            for (ssize_t i = 0; i < got; ++i)
                request(input[i]);
        }
        if (fd.revents & POLLOUT)
            m_blocked = false;
        if (m_sent < m_pending.size() && !m_blocked && writeDelay() <= 0 && !writeSome())
            return 1;
    }
}
