#pragma once

#include <functional>

// Every event handler runs through Dispatch: an exception that escapes the handler
// ends the action where it arose and is shown in the default error box.
void Dispatch(const std::function<void()>& handler);
