// The choice of front end at start, before the first box is shown.
#pragma once

#include <functional>
#include <string>

namespace larkspan {

enum class FrontEnd { gtk, console };

// GTK when the desktop front end is built, a display is named (DISPLAY or WAYLAND_DISPLAY,
// not empty) and it can be opened; otherwise the console.
FrontEnd ChooseFrontEnd(const std::function<const std::string*(const std::string&)>& variable,
                        bool gtkBuilt, const std::function<bool()>& canOpenDisplay);

}  // namespace larkspan
