// The wait cursor over the installer's dialogs while at least one operation is busy. Message
// boxes keep the ordinary pointer: they are what the user has to answer meanwhile.
#pragma once

namespace ui::gtk {

class WaitCursor {
public:
    // Nested: the wait cursor shows from the first Begin to the matching last End.
    void Begin();
    void End();
    bool Busy() const { return depth_ > 0; }
    // Brings every dialog window in line with the current state; a dialog that is realized
    // during a busy stretch calls it to get the wait cursor too.
    void Refresh() const;

private:
    int depth_ = 0;
};

}  // namespace ui::gtk
