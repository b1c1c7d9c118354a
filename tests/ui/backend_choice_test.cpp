// The choice between the desktop and the console front end.
#include <gtest/gtest.h>

#include <map>
#include <optional>
#include <string>

#include "main/backend_choice.h"

namespace {

using larkspan::BackendKind;
using larkspan::ChooseBackend;

struct Case {
    const char* what;
    std::optional<std::string> display;
    std::optional<std::string> wayland;
    bool gtkBuilt;
    bool opens;
    BackendKind expected;
    bool tries;  // whether the display is tried at all
};

TEST(ChooseBackend, PicksTheDesktopOnlyWhenANamedDisplayOpens) {
    const Case cases[] = {
        {"no display named", std::nullopt, std::nullopt, true, true, BackendKind::console, false},
        {"empty names", "", "", true, true, BackendKind::console, false},
        {"X display opens", ":0", std::nullopt, true, true, BackendKind::gtk, true},
        {"Wayland display opens", std::nullopt, "wayland-0", true, true, BackendKind::gtk, true},
        {"named but cannot open", ":0", std::nullopt, true, false, BackendKind::console, true},
        {"Wayland named but cannot open", "", "wayland-0", true, false, BackendKind::console, true},
        {"desktop front end not built", ":0", "wayland-0", false, true, BackendKind::console,
         false},
    };
    for (const Case& c : cases) {
        std::map<std::string, std::string> env;
        if (c.display) {
            env["DISPLAY"] = *c.display;
        }
        if (c.wayland) {
            env["WAYLAND_DISPLAY"] = *c.wayland;
        }
        int tries = 0;
        const BackendKind chosen = ChooseBackend(
            [&env](const std::string& name) -> const std::string* {
                const auto it = env.find(name);
                return it != env.end() ? &it->second : nullptr;
            },
            c.gtkBuilt,
            [&] {
                ++tries;
                return c.opens;
            });
        EXPECT_EQ(chosen, c.expected) << c.what;
        EXPECT_EQ(tries, c.tries ? 1 : 0) << c.what;
    }
}

}  // namespace
