// The desktop's save slot: a state written to it reads back whole and loads, a write replaces
// the file without leaving a temporary, and a slot that is missing, damaged or no file at all
// is refused with its reason.
#include "shell/core/state_slot.h"

#include "shell/core/device_state.h"
#include "shell/core/rig.h"

#include "../support/scoped_env.h"
#include "../support/temp_dir.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sys/stat.h>

namespace q50 {
namespace {

namespace fs = std::filesystem;

std::vector<std::string> entries(const fs::path& dir) {
    std::vector<std::string> out;
    for (const auto& e : fs::directory_iterator(dir)) out.push_back(e.path().filename().string());
    return out;
}

void put_file(const fs::path& file, const std::string& bytes) {
    std::ofstream(file, std::ios::binary) << bytes;
}

TEST(StateSlot, LiesInTheUsersDataFolder) {
    {
        test::ScopedEnv home("HOME", "/home/u"), data_home("XDG_DATA_HOME", nullptr);
        EXPECT_EQ(state_slot_path(), fs::path("/home/u/.local/share/quendrix50/state.q50s"));
    }
    test::ScopedEnv home("HOME", "/home/u"), data_home("XDG_DATA_HOME", "/x/data");
    EXPECT_EQ(state_slot_path(), fs::path("/x/data/quendrix50/state.q50s"));
}

TEST(StateSlot, AStateWrittenReadsBackAndLoadsAndAFlippedByteIsRefused) {
    test::TempDir tmp;
    const fs::path file = tmp.path() / "made" / "state.q50s";
    Rig a(5);
    a.start();
    a.dev.advance_to(3000);
    SoftwareMixer mixer;
    const std::vector<Picture> own;
    DeviceParts pa{a.dev, a.random, a.clock, mixer, own};
    const auto state = save_device_state(pa);

    std::string why;
    ASSERT_TRUE(write_state_slot(file, state, why)) << why;
    // The second write replaces the first whole, through a temporary that is gone afterwards.
    ASSERT_TRUE(write_state_slot(file, state, why)) << why;
    EXPECT_EQ(entries(file.parent_path()), std::vector<std::string>{"state.q50s"});
    struct stat st {};
    ASSERT_EQ(::stat(file.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);

    auto read = read_state_slot(file, why);
    ASSERT_TRUE(read) << why;
    EXPECT_EQ(*read, state);
    Rig b(9);
    b.start();
    DeviceParts pb{b.dev, b.random, b.clock, mixer, own};
    std::vector<std::uint8_t> front;
    ASSERT_TRUE(load_device_state(*read, pb, front, why)) << why;
    EXPECT_EQ(b.dev.now(), a.dev.now());

    // A byte of the payload changed on the disk: the slot is read, the load refuses it and
    // the device is as it was.
    (*read)[40] ^= 0x5a;
    ASSERT_TRUE(write_state_slot(file, *read, why)) << why;
    Rig c(11);
    c.start();
    c.dev.advance_to(1000);
    DeviceParts pc{c.dev, c.random, c.clock, mixer, own};
    const auto before = save_device_state(pc);
    why.clear();
    auto damaged = read_state_slot(file, why);
    ASSERT_TRUE(damaged) << why;
    EXPECT_FALSE(load_device_state(*damaged, pc, front, why));
    EXPECT_FALSE(why.empty());
    EXPECT_EQ(save_device_state(pc), before);
}

TEST(StateSlot, WhatIsNoSlotIsRefusedWithItsReason) {
    test::TempDir tmp;
    std::string why;
    EXPECT_FALSE(read_state_slot(tmp.path() / "none", why));
    EXPECT_EQ(why, "no state has been saved");

    put_file(tmp.path() / "short", std::string(100, 'x'));
    EXPECT_FALSE(read_state_slot(tmp.path() / "short", why));
    EXPECT_NE(why.find("is damaged"), std::string::npos) << why;
    put_file(tmp.path() / "long", std::string(kDeviceStateBytes + 1, 'x'));
    EXPECT_FALSE(read_state_slot(tmp.path() / "long", why));
    EXPECT_NE(why.find("is damaged"), std::string::npos) << why;

    // A FIFO is refused at once rather than waited on.
    const fs::path fifo = tmp.path() / "fifo";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_FALSE(read_state_slot(fifo, why));
    EXPECT_NE(why.find("not a regular file"), std::string::npos) << why;

    // A folder in the slot's place: the write fails, says why and leaves no temporary.
    const fs::path dir = tmp.path() / "taken";
    fs::create_directories(dir / "state.q50s" / "inside");
    const std::vector<std::uint8_t> state(kDeviceStateBytes, 1);
    why.clear();
    EXPECT_FALSE(write_state_slot(dir / "state.q50s", state, why));
    EXPECT_FALSE(why.empty());
    EXPECT_EQ(entries(dir), std::vector<std::string>{"state.q50s"});
}

} // namespace
} // namespace q50
