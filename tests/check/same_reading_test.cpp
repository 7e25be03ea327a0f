#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "check/update_check.h"
#include "config/current_folder.h"
#include "config/update_ini.h"
#include "session/update_info.h"
#include "support/recording_boxes.h"
#include "support/temp_folder.h"

namespace {

struct Cscenario_ini {
    const char* name;
    std::string bytes;
};

// Every end-to-end scenario's update.ini, as its runner saves it.
const Cscenario_ini scenario_inis[] = {
#include "scenario_inis.inc"
};

// The checker and the updater read the same file the same way: the same title,
// registry key and entries, in the same order.
TEST(Same_reading, the_check_reads_every_scenario_as_the_updater_does)
{
    ASSERT_GE(sizeof scenario_inis / sizeof scenario_inis[0], 20u);
    for (const Cscenario_ini& scenario : scenario_inis) {
        Ctemp_folder folder;
        write_file(folder / L"update.ini", scenario.bytes);
        Ccurrent_folder current(folder.path());

        update_info = Cupdate_info();
        Crecording_boxes boxes;
        ASSERT_TRUE(read_update_ini()) << scenario.name;
        const Cfolder_check check = check_update_folder();

        EXPECT_EQ(check.reading.game_title.value, update_info.game_title) << scenario.name;
        EXPECT_EQ(check.reading.reg_path.value, update_info.reg_path) << scenario.name;
        std::vector<std::wstring> entries;
        for (const Cread_value& entry : check.reading.entries)
            entries.push_back(entry.value);
        EXPECT_EQ(entries, update_info.copy_files) << scenario.name;
        EXPECT_TRUE(boxes.shown().empty()) << scenario.name;
    }
    update_info = Cupdate_info();
}

// The lines the reading names are those of the file as saved, CR LF or LF alike.
TEST(Same_reading, values_carry_the_line_they_came_from)
{
    Ctemp_folder folder;
    write_file(folder / L"update.ini",
               "// x\n#REG_PATH = \"a\"\r\n\r\n#COPY_FILE = \"b\"\n#REG_PATH = \"c\"\r\n");
    Ccurrent_folder current(folder.path());
    const Cfolder_check check = check_update_folder();
    EXPECT_EQ(check.reading.reg_path.value, L"c");
    EXPECT_EQ(check.reading.reg_path.line, 5);
    ASSERT_EQ(check.reading.entries.size(), 1u);
    EXPECT_EQ(check.reading.entries[0].line, 4);
    EXPECT_EQ(check.reading.game_title.line, 0);
}

}  // namespace
