#include "config/update_ini.h"

#include <cstdio>

#include "app/messages.h"
#include "app/sequence.h"
#include "app/update_info.h"

bool read_update_ini()
{
    FILE* file = _wfopen(L"update.ini", L"rt");
    if (!file)
        return fail_update(msg::ini_missing);
    fclose(file);
    update_info.source_dir = L"gamedata";
    return true;
}
