// The two process-wide records. They are defined in this one file so that their
// order of construction is fixed: the update state record, then the application
// record; they are destroyed in reverse order. The progress dialog object is the
// update run's own (copy/update_process_dialog.cpp).

#include "session/app_info.h"
#include "session/update_info.h"

Cupdate_info update_info;
Capp_info app_info;
