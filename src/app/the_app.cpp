// The one application object, built into the installer program only (tests make their own).
#include "app/larkspan_app.h"

CLarkspanApp theApp;
