// Owning pointers for the toolkit's objects. The deleters are defined in toolkit_ptr.cpp so
// that this header needs no toolkit header; the pointee types appear only in the sources.
#pragma once

#include <memory>

namespace ui::gtk {

struct ObjectUnref {  // g_object_unref
    void operator()(void* object) const;
};
struct TopLevelDestroy {  // gtk_widget_destroy, for windows that nothing else owns
    void operator()(void* widget) const;
};
struct MainLoopUnref {  // g_main_loop_unref
    void operator()(void* loop) const;
};
struct SurfaceDestroy {  // cairo_surface_destroy
    void operator()(void* surface) const;
};
struct GFree {  // g_free
    void operator()(void* memory) const;
};
struct ListFree {  // g_list_free, for lists that do not own their items
    void operator()(void* list) const;
};

template <class T>
using ObjectPtr = std::unique_ptr<T, ObjectUnref>;
template <class T>
using TopLevelPtr = std::unique_ptr<T, TopLevelDestroy>;
template <class T>
using MainLoopPtr = std::unique_ptr<T, MainLoopUnref>;
template <class T>
using SurfacePtr = std::unique_ptr<T, SurfaceDestroy>;
template <class T>
using GMemPtr = std::unique_ptr<T, GFree>;
template <class T>
using ListPtr = std::unique_ptr<T, ListFree>;

}  // namespace ui::gtk
