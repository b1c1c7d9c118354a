#include "ui/gtk/toolkit_ptr.h"

#include <gtk/gtk.h>

namespace ui::gtk {

void ObjectUnref::operator()(void* object) const {
    g_object_unref(object);
}

void TopLevelDestroy::operator()(void* widget) const {
    gtk_widget_destroy(GTK_WIDGET(widget));
}

void MainLoopUnref::operator()(void* loop) const {
    g_main_loop_unref(static_cast<GMainLoop*>(loop));
}

void SurfaceDestroy::operator()(void* surface) const {
    cairo_surface_destroy(static_cast<cairo_surface_t*>(surface));
}

void GFree::operator()(void* memory) const {
    g_free(memory);
}

void ListFree::operator()(void* list) const {
    g_list_free(static_cast<GList*>(list));
}

}  // namespace ui::gtk
