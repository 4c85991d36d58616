#include "frames.h"

namespace {
constexpr int LargestFrameBytes = 65536;
} // namespace

std::string encodeFrame(const Bytes &bytes)
{
    std::string frame;
    frame.reserve(2 * bytes.size() + 2);
    frame += 'S';
    for (std::uint8_t b : bytes) {
        frame += char(0x30 + (b & 0x0F));
        frame += char(0x30 + (b >> 4));
    }
    frame += 'P';
    return frame;
}

Bytes identification(const SimOptions &options, int recordCount)
{
    Bytes id(16, 0);
    id[1] = std::uint8_t(options.typeCode);
    for (size_t i = 0; i < 8; ++i)
        id[2 + i] = std::uint8_t(options.version[i]);
    id[14] = std::uint8_t(recordCount & 0xFF);
    id[15] = std::uint8_t(recordCount >> 8);
    return id;
}

Bytes dataBytes(const Bytes &image, const std::string &defect)
{
    Bytes bytes = image;
    if (bytes.size() < 2)
        bytes.resize(2, 0);
    if (defect == "zero-count") {
        bytes[0] = bytes[1] = 0;
    } else if (defect == "count-exceeds") {
        const int announced = bytes[0] + 256 * bytes[1] + 10;
        bytes[0] = std::uint8_t(announced & 0xFF);
        bytes[1] = std::uint8_t((announced >> 8) & 0xFF);
    } else if (defect == "oversize") {
        bytes.resize(LargestFrameBytes + 1, 0);
    }
    return bytes;
}

std::string applyFormDefect(std::string frame, const std::string &defect)
{
    if (defect == "odd")
        frame.erase(frame.size() - 2, 1);
    else if (defect == "empty")
        frame = "SP";
    else if (defect == "no-start")
        frame.erase(0, 1);
    else if (defect == "bad-char")
        frame[frame.size() / 2] = 'A';
    return frame;
}

std::string brokenOffByRestart(const std::string &frame)
{
    return frame.substr(0, frame.size() / 2) + 'Z';
}
