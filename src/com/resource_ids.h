// Identifiers of the module's resources, shared by zorvax.rc and the code that loads them.
#pragma once

#define IDS_ZORVAX 1               // the control's type name
#define IDS_ZORVAX_PPG 2           // the property page's type name
#define IDS_ZORVAX_PPG_CAPTION 200 // the property page's caption
#define IDB_ZORVAX 1               // the toolbox bitmap the registration names ("<module>, 1")
