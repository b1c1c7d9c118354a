#include "main/backend_choice.h"

namespace larkspan {

BackendKind ChooseBackend(const std::function<const std::string*(const std::string&)>& variable,
                          bool gtkBuilt, const std::function<bool()>& canOpenDisplay) {
    const auto named = [&](const char* name) {
        const std::string* value = variable(name);
        return value != nullptr && !value->empty();
    };
    if (gtkBuilt && (named("DISPLAY") || named("WAYLAND_DISPLAY")) && canOpenDisplay()) {
        return BackendKind::gtk;
    }
    return BackendKind::console;
}

}  // namespace larkspan
