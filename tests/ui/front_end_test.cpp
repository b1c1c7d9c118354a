// The choice between the desktop and the console front end.
#include <gtest/gtest.h>

#include <map>
#include <optional>
#include <string>

#include "main/front_end.h"

namespace {

using larkspan::ChooseFrontEnd;
using larkspan::FrontEnd;

struct Case {
    const char* what;
    std::optional<std::string> display;
    std::optional<std::string> wayland;
    bool gtkBuilt;
    bool opens;
    FrontEnd expected;
    bool tries;  // whether the display is tried at all
};

TEST(ChooseFrontEnd, PicksTheDesktopOnlyWhenANamedDisplayOpens) {
    const Case cases[] = {
        {"no display named", std::nullopt, std::nullopt, true, true, FrontEnd::console, false},
        {"empty names", "", "", true, true, FrontEnd::console, false},
        {"X display opens", ":0", std::nullopt, true, true, FrontEnd::gtk, true},
        {"Wayland display opens", std::nullopt, "wayland-0", true, true, FrontEnd::gtk, true},
        {"named but cannot open", ":0", std::nullopt, true, false, FrontEnd::console, true},
        {"Wayland named but cannot open", "", "wayland-0", true, false, FrontEnd::console, true},
        {"desktop front end not built", ":0", "wayland-0", false, true, FrontEnd::console, false},
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
        const FrontEnd chosen = ChooseFrontEnd(
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
