#pragma once

#include "options.h"

#include <cstdint>
#include <string>
#include <vector>

using Bytes = std::vector<std::uint8_t>;

// The instrument's memory: a 16-bit record count, low byte first, then 133-byte test records.
// Generated records are the same for the same seed and count.
Bytes generateImage(int records, std::uint64_t seed);

// The image from the options (file or generated); false with the reason in error on failure.
bool loadImage(const SimOptions &options, Bytes &image, std::string &error);
bool saveImage(const std::string &path, const Bytes &image, std::string &error);
