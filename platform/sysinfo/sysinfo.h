#pragma once

#include <QString>
#include <optional>

// Facts about the running program that the windows show.
namespace SysInfo {

// The program's file version ("2.0.0.10"); an empty text when the build carries no version.
QString fileVersion();

// Tests stand in another version text, an empty one for a build without a version;
// std::nullopt restores the version of the build.
void setFileVersionForTests(std::optional<QString> version);

} // namespace SysInfo
