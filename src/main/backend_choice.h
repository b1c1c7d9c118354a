// The choice of the user-interface backend at start, before the first box is shown.
#pragma once

#include <functional>
#include <string>

namespace larkspan {

enum class BackendKind { gtk, console };

// GTK when the desktop backend is built, a display is named (DISPLAY or WAYLAND_DISPLAY,
// not empty) and it can be opened; otherwise the console.
BackendKind ChooseBackend(const std::function<const std::string*(const std::string&)>& variable,
                          bool gtkBuilt, const std::function<bool()>& canOpenDisplay);

}  // namespace larkspan
