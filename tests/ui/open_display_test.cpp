// Opening a display that is named but cannot be reached fails quietly, so that the
// installer can go on with the console front end.
#include <gtest/gtest.h>

#include <cstdlib>

#include "ui/gtk/gtk_backend.h"

namespace {

TEST(OpenDisplay, ReportsAnUnreachableDisplayInsteadOfEndingTheProgram) {
    ::setenv("DISPLAY", ":65000", 1);
    ::unsetenv("WAYLAND_DISPLAY");
    ::setenv("GDK_BACKEND", "x11", 1);
    char name[] = "larkspan";
    char* args[] = {name, nullptr};
    int argc = 1;
    char** argv = args;
    EXPECT_FALSE(ui::gtk::OpenDisplay(&argc, &argv));
}

}  // namespace
