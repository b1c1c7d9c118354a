// An exception that escaped a handler called from a toolkit's message loop, which the
// toolkit's C code cannot carry: kept until the loop has returned, then rethrown there.
#pragma once

#include <exception>
#include <utility>

namespace ui::common {

class PendingException {
public:
    // Runs the handler; false when it threw, the first such exception being kept.
    template <class F>
    bool Run(const F& handler) {
        try {
            handler();
            return true;
        } catch (...) {
            if (!pending_) {
                pending_ = std::current_exception();
            }
            return false;
        }
    }

    // Throws the kept exception, if any, once.
    void RethrowIfAny() {
        if (pending_) {
            std::rethrow_exception(std::exchange(pending_, nullptr));
        }
    }

private:
    std::exception_ptr pending_;
};

}  // namespace ui::common
