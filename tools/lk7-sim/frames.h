#pragma once

#include "memoryimage.h"
#include "options.h"

#include <string>

// The wire form of a frame: S, every byte as two characters 0x30 + nibble (low nibble first), P.
std::string encodeFrame(const Bytes &bytes);

// The 16-byte identification: type code in byte 1, the version in bytes 2-9, the record count
// in bytes 14-15.
Bytes identification(const SimOptions &options, int recordCount);

// The data frame's bytes after the defects that change content (zero-count, count-exceeds,
// oversize).
Bytes dataBytes(const Bytes &image, const std::string &defect);

// The encoded frame after the defects that break its form (odd, empty, no-start, bad-char).
std::string applyFormDefect(std::string frame, const std::string &defect);

// A frame broken off half-way by the restart character.
std::string brokenOffByRestart(const std::string &frame);
