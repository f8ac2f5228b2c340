#pragma once
// The sound output's tests run in a folder of their own, as the program runs in its own: it
// finds its samples relative to the working directory.
#include "../support/temp_dir.h"
#include "host/services.h"
#include "shell/core/memory_store.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

namespace q50::test {

struct RecordedMessages : MessageSink {
    std::vector<std::string> texts, details, notices;
    void error(const std::string& text) override { texts.push_back(text); }
    void detailed_error(const std::string& text, const std::string& detail) override {
        texts.push_back(text);
        details.push_back(detail);
    }
    void notice(const std::string& text) override { notices.push_back(text); }
};

class SoundInTempFolder : public ::testing::Test {
  protected:
    void SetUp() override { in_folder_.emplace(tmp_.path()); }
    void TearDown() override { in_folder_.reset(); }

    MemoryStore store_;
    RecordedMessages messages_;
    TempDir tmp_;

  private:
    std::optional<InDirectory> in_folder_;
};

} // namespace q50::test
