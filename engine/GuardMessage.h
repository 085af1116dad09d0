// A message the engine shows on its own, without being asked (the "No
// Files." guard of the image preparation). The window installs a hook that
// shows a modal box; without one the text goes to standard error.
#pragma once

#include <string>

namespace vorpane {

using TGuardMessageHook = void (*)(const std::string& Caption, const std::string& Text);

void SetGuardMessageHook(TGuardMessageHook hook);
void ShowGuardMessage(const std::string& Caption, const std::string& Text);

} // namespace vorpane
