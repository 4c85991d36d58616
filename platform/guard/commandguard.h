#pragma once

#include <functional>

// Runs a command handler so that no error escapes into the event loop: an error the handler does
// not catch itself ends the command and its text is shown in a message box with the stop icon,
// after which the program goes on. Returns false when the handler ended with an error.
bool runGuarded(const std::function<void()> &handler);
