#include "ui/gtk/gtk_module.h"

#include "ui/gtk/gtk_backend.h"

extern "C" {

[[gnu::visibility("default")]] int larkspan_gtk_module_abi() {
    return LARKSPAN_GTK_MODULE_ABI;
}

[[gnu::visibility("default")]] ui::Backend* larkspan_gtk_open(int* argc, char*** argv) {
    if (!ui::gtk::OpenDisplay(argc, argv)) {
        return nullptr;
    }
    return ui::gtk::NewGtkBackend().release();
}
}
