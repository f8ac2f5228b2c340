#include "shell/core/data_folder.h"

#include "../support/temp_dir.h"

#include <gtest/gtest.h>

namespace q50 {
namespace {

namespace fs = std::filesystem;

TEST(DataFolder, ConfigBesideTheExecutableWinsAsItAlwaysDid) {
    test::TempDir d;
    fs::create_directories(d.path() / "bin");
    fs::create_directories(d.path() / "share/quendrix50");
    test::write_file(d.path() / "bin/Config.ini", "");
    test::write_file(d.path() / "share/quendrix50/Config.ini", "");
    const DataFolder f = find_data_folder(d.path() / "bin");
    EXPECT_EQ(f.dir, d.path() / "bin");
    EXPECT_FALSE(f.installed);
}

TEST(DataFolder, AnInstalledCopyFindsItsSharedData) {
    test::TempDir d;
    fs::create_directories(d.path() / "usr/bin");
    fs::create_directories(d.path() / "usr/share/quendrix50");
    test::write_file(d.path() / "usr/share/quendrix50/Config.ini", "");
    const DataFolder f = find_data_folder(d.path() / "usr/bin");
    EXPECT_EQ(f.dir, fs::canonical(d.path() / "usr/share/quendrix50"));
    EXPECT_TRUE(f.installed);
}

TEST(DataFolder, NoConfigAnywhereKeepsTheExecutablesFolderForTheMessage) {
    test::TempDir d;
    fs::create_directories(d.path() / "bin");
    // A folder named Config.ini in the shared place is no installation.
    fs::create_directories(d.path() / "share/quendrix50/Config.ini");
    const DataFolder f = find_data_folder(d.path() / "bin");
    EXPECT_EQ(f.dir, d.path() / "bin");
    EXPECT_FALSE(f.installed);
}

} // namespace
} // namespace q50
