// The class library's message function. The program installs a handler that
// shows a message box on the main thread; tests install one that records the
// text. Without a handler the text goes to standard error.
#pragma once

#include <functional>
#include <string>

using TShowMessageHandler = std::function<void(const std::string &text)>;

void ShowMessage(const std::string &text);

// Installs handler (null: back to standard error) and returns the one it replaces.
TShowMessageHandler SetShowMessageHandler(TShowMessageHandler handler);
