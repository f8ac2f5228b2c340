#include "shell/core/skin_folders.h"

#include "../support/scoped_env.h"
#include "../support/temp_dir.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace q50 {
namespace {

namespace fs = std::filesystem;

TEST(SkinFolders, SearchPathFollowsTheXdgRules) {
    {
        test::ScopedEnv home("HOME", "/home/u"), data_home("XDG_DATA_HOME", nullptr),
            dirs("XDG_DATA_DIRS", nullptr);
        EXPECT_EQ(skin_search_path(),
                  (std::vector<fs::path>{"/home/u/.local/share/quendrix50/skins",
                                         "/usr/local/share/quendrix50/skins",
                                         "/usr/share/quendrix50/skins"}));
    }
    {
        // Relative entries are not folders the user meant; an empty list means the default.
        test::ScopedEnv home("HOME", "/home/u"), data_home("XDG_DATA_HOME", "relative/data"),
            dirs("XDG_DATA_DIRS", "/opt/a::rel:/opt/b/");
        EXPECT_EQ(skin_search_path(),
                  (std::vector<fs::path>{"/home/u/.local/share/quendrix50/skins",
                                         "/opt/a/quendrix50/skins", "/opt/b/quendrix50/skins"}));
    }
    {
        test::ScopedEnv data_home("XDG_DATA_HOME", "/x/data"), dirs("XDG_DATA_DIRS", "");
        EXPECT_EQ(user_skins_home(), fs::path("/x/data/quendrix50/skins"));
        EXPECT_EQ(skin_search_path().size(), 3u);
    }
}

class CopyDeliveredSkin : public ::testing::Test {
  protected:
    CopyDeliveredSkin() {
        fs::create_directories(data / "Graphics/Skin");
        fs::create_directories(data / "Graphics/Backdrop");
        fs::create_directories(data / "Graphics/Manual");
        test::write_file(data / "Config.ini", "[Common]\nSkinDir=Graphics\\Skin\\\n"
                                              "[Fullscreen]\nBackdropDir=Graphics/Backdrop\n"
                                              "[Scaled]\nSkinDir2x=Graphics\\Skin@2x\\\n");
        fs::create_directories(data / "Graphics/Skin@2x");
        test::write_file(data / "Graphics/Skin@2x/a.png", "A2");
        test::write_file(data / "Graphics/Skin/a.png", "A");
        test::write_file(data / "Graphics/Backdrop/b.png", "B");
        test::write_file(data / "Graphics/Manual/1.bmp", "M");
        fs::permissions(data / "Graphics/Skin/a.png",
                        fs::perms::owner_read | fs::perms::group_read);
    }
    test::TempDir tmp;
    fs::path data = tmp.path() / "share/quendrix50";
    fs::path home = tmp.path() / "skins";
};

TEST_F(CopyDeliveredSkin, CopiesTheSkinFileAndItsPictureFoldersOnly) {
    std::string error;
    const auto skin = copy_delivered_skin(data, home, &error);
    ASSERT_TRUE(skin) << error;
    EXPECT_EQ(skin->name, "My skin");
    EXPECT_EQ(skin->dir, home / "My skin");
    EXPECT_EQ(test::read_file(skin->dir / "Graphics/Skin/a.png"), "A");
    EXPECT_EQ(test::read_file(skin->dir / "Graphics/Backdrop/b.png"), "B");
    EXPECT_EQ(test::read_file(skin->dir / "Graphics/Skin@2x/a.png"), "A2");
    EXPECT_FALSE(fs::exists(skin->dir / "Graphics/Manual"));
    // The installed file was read-only; the user's copy is theirs to change.
    EXPECT_NE(fs::status(skin->dir / "Graphics/Skin/a.png").permissions() & fs::perms::owner_write,
              fs::perms::none);
    const auto second = copy_delivered_skin(data, home, &error);
    ASSERT_TRUE(second) << error;
    EXPECT_EQ(second->name, "My skin 2");
}

TEST_F(CopyDeliveredSkin, FoldersOutsideTheDataFolderAreLeftWhereTheyAre) {
    test::write_file(data / "Config.ini", "[Common]\nSkinDir=/opt/skin\\\n"
                                          "[Fullscreen]\nBackdropDir=..\\elsewhere\n");
    std::string error;
    const auto skin = copy_delivered_skin(data, home, &error);
    ASSERT_TRUE(skin) << error;
    EXPECT_TRUE(fs::is_regular_file(skin->dir / "Config.ini"));
    EXPECT_FALSE(fs::exists(skin->dir / "Graphics"));
    EXPECT_FALSE(fs::exists(tmp.path() / "skins/elsewhere"));
}

TEST_F(CopyDeliveredSkin, AFailureLeavesNothingBehindAndSaysWhy) {
    // A picture that cannot be copied: a link to nowhere.
    fs::create_symlink(tmp.path() / "nowhere.png", data / "Graphics/Backdrop/gone.png");
    std::string error;
    EXPECT_FALSE(copy_delivered_skin(data, home, &error));
    EXPECT_NE(error.find("Backdrop"), std::string::npos) << error;
    EXPECT_FALSE(fs::exists(home / "My skin"));

    // No place to make the folder in.
    test::write_file(tmp.path() / "file", "");
    error.clear();
    EXPECT_FALSE(copy_delivered_skin(data, tmp.path() / "file/skins", &error));
    EXPECT_FALSE(error.empty());
}

} // namespace
} // namespace q50
