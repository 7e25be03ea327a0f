// The three process-wide objects. They are defined in this one file so that their
// order of construction is fixed: the progress dialog object first, then the update
// state record, then the application record; they are destroyed in reverse order.

#include "session/app_info.h"
#include "session/update_info.h"
#include "copy/update_process_dialog.h"

Cupdate_process_dialog update_process_dialog;
Cupdate_info update_info;
Capp_info app_info;
