// Dialog template 102, the install dialog.
#pragma once

#include <span>
#include <string_view>

#include "ui/dialog_template.h"

namespace resources {

const ui::DialogTemplate& InstallDialogTemplate();

// The edit controls that have no label of their own in the template, with the names that a
// front end without the picture of the dialog shows for them.
struct FieldLabel {
    int id;
    std::u16string_view label;
};
std::span<const FieldLabel> UnlabelledFields();

}  // namespace resources
