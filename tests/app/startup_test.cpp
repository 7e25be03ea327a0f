#include <gtest/gtest.h>

#include "app/startup.h"

TEST(Startup, the_current_directory_is_the_module_folder_and_a_drive_root_keeps_its_separator)
{
    EXPECT_EQ(current_directory_for(L"C:\\Games\\Upd"), L"C:\\Games\\Upd");
    EXPECT_EQ(current_directory_for(L"D:"), L"D:\\");
    EXPECT_EQ(current_directory_for(L"\\\\server\\share"), L"\\\\server\\share");
}
