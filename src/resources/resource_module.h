// The installer's resources as the framework looks them up: dialog template 102, icon group
// 128, and a string table without an application title.
#pragma once

#include "framework/app.h"

namespace resources {

const AfxResourceModule& LarkspanResources();

}  // namespace resources
