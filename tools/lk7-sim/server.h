#pragma once

#include "memoryimage.h"
#include "options.h"

#include <string>

// The instrument on the master side of a pseudo-terminal pair. The slave side, which the
// program opens as its serial port, is kept open here as well: the program closes and reopens
// its port between phases, and without another holder the master would read end-of-file.
class Server
{
public:
    Server(const SimOptions &options, Bytes image);
    ~Server();

    // Opens the pair in raw mode; false with the reason in error.
    bool open(std::string &error);
    const std::string &devicePath() const { return m_devicePath; }
    // Answers requests until a signal ends the process; returns on a fatal I/O error.
    int serve();

private:
    void request(char byte);
    void queue(const std::string &characters);
    // Milliseconds (fractional) to wait before the next write may go out; 0 when it may now.
    double writeDelay() const;
    bool writeSome();

    SimOptions m_options;
    Bytes m_image;
    int m_master = -1;
    int m_slave = -1;
    std::string m_devicePath;

    std::string m_pending;
    size_t m_sent = 0;       // characters of m_pending already written
    double m_burstStart = 0; // seconds on the monotonic clock when m_pending began
    double m_lastWrite = 0;
    bool m_blocked = false; // the pseudo-terminal's queue is full
    int m_identRestarts = 0;
    int m_dataRestarts = 0;
};
