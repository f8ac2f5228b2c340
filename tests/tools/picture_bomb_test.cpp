// Picture bombs against the trace tool itself, under a 2 GB memory limit: a skin whose 129
// segments name PNG files of a few kilobytes that declare 256 MB each, and sixteen manual pages
// of one kilobyte that declare 256 MB each. The tool must finish in seconds, within the
// limit, naming each file the budget refused.
#include "display/picture_budget.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <vector>
#include <zlib.h>

namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;

void put_be32(Bytes& b, std::uint32_t v) {
    for (int s = 24; s >= 0; s -= 8) b.push_back(std::uint8_t(v >> s));
}

void put_chunk(Bytes& out, const char* type, const Bytes& data) {
    put_be32(out, std::uint32_t(data.size()));
    Bytes body(type, type + 4);
    body.insert(body.end(), data.begin(), data.end());
    out.insert(out.end(), body.begin(), body.end());
    put_be32(out, std::uint32_t(crc32(0, body.data(), uInt(body.size()))));
}

// A valid 1-bit grey PNG of width x height, all black: a few kilobytes of compressed rows that
// decode to width * height * 4 bytes.
Bytes png_bomb(std::uint32_t width, std::uint32_t height) {
    Bytes out = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    Bytes ihdr;
    put_be32(ihdr, width);
    put_be32(ihdr, height);
    ihdr.insert(ihdr.end(), {1, 0, 0, 0, 0}); // depth 1, grey, deflate, no filter, no interlace
    put_chunk(out, "IHDR", ihdr);
    z_stream z{};
    deflateInit(&z, 9);
    const Bytes row(1 + width / 8, 0);
    Bytes idat;
    std::vector<std::uint8_t> buf(1 << 16);
    for (std::uint32_t y = 0; y <= height; ++y) {
        const bool last = y == height;
        z.next_in = const_cast<Bytef*>(row.data());
        z.avail_in = last ? 0 : uInt(row.size());
        do {
            z.next_out = buf.data();
            z.avail_out = uInt(buf.size());
            deflate(&z, last ? Z_FINISH : Z_NO_FLUSH);
            idat.insert(idat.end(), buf.data(), buf.data() + (buf.size() - z.avail_out));
        } while (z.avail_out == 0);
    }
    deflateEnd(&z);
    put_chunk(out, "IDAT", idat);
    put_chunk(out, "IEND", {});
    return out;
}

void put_le(Bytes& b, std::uint32_t v, int bytes) {
    for (int i = 0; i < bytes; ++i) b.push_back(std::uint8_t(v >> (8 * i)));
}

// An 8-bit run-length bitmap of width x height whose only code ends the picture: about one
// kilobyte (mostly palette) that decodes to width * height * 4 bytes.
Bytes rle_bomb(std::uint32_t width, std::uint32_t height) {
    Bytes b = {'B', 'M'};
    const std::uint32_t data = 14 + 40 + 256 * 4;
    put_le(b, data + 2, 4);
    put_le(b, 0, 4);
    put_le(b, data, 4);
    put_le(b, 40, 4);
    put_le(b, width, 4);
    put_le(b, height, 4);
    put_le(b, 1, 2);
    put_le(b, 8, 2);
    put_le(b, 1, 4); // RLE8
    put_le(b, 2, 4);
    for (int i = 0; i < 4; ++i) put_le(b, 0, 4);
    for (int i = 0; i < 256; ++i) put_le(b, std::uint32_t(i * 0x010101), 4);
    b.insert(b.end(), {0, 1}); // end of bitmap
    return b;
}

void write(const fs::path& p, const Bytes& bytes) {
    fs::create_directories(p.parent_path());
    std::ofstream(p, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

std::string slurp(const fs::path& p) {
    std::ifstream f(p);
    return std::string(std::istreambuf_iterator<char>(f), {});
}

// The skin: segments 1..64 name one bomb (which the budget holds exactly), 65..129 another.
// Set Q50_BOMB_SKIN to a folder to keep the skin there (for measuring a build by hand).
class PictureBombs : public ::testing::Test {
  protected:
    void SetUp() override {
        const char* keep = std::getenv("Q50_BOMB_SKIN");
        keep_ = keep && *keep;
        dir_ = keep_ ? fs::path(keep) : fs::path(Q50_BINARY_DIR) / "tests" / "picture_bombs";
        fs::remove_all(dir_);
        std::string ini = "[Common]\nSkinDir=pics\\\n[Manual]\nManualDir=manual\\\n";
        for (int i = 1; i <= 129; ++i)
            ini += "[Image" + std::to_string(i) + "]\nFilename=" + (i <= 64 ? "a" : "b") +
                   ".png\nLeft=0\nTop=0\nWidth=10\nHeight=10\n";
        write(dir_ / "Config.ini", Bytes(ini.begin(), ini.end()));
        const Bytes png = png_bomb(16384, 4096);
        write(dir_ / "pics/a.png", png);
        write(dir_ / "pics/b.png", png);
        const Bytes page = rle_bomb(8192, 8192);
        for (int n = 1; n <= 16; ++n) write(dir_ / "manual" / (std::to_string(n) + ".bmp"), page);
        png_size_ = png.size();
        page_size_ = page.size();
    }
    void TearDown() override {
        if (!keep_) fs::remove_all(dir_);
    }
    fs::path dir_;
    bool keep_ = false;
    std::size_t png_size_ = 0, page_size_ = 0;
};

TEST_F(PictureBombs, TheTraceToolFinishesInSecondsUnderATwoGigabyteLimit) {
    EXPECT_LT(png_size_, 40u * 1024);
    EXPECT_LT(page_size_, 2u * 1024);
    const fs::path out = dir_ / "trace.out", err = dir_ / "trace.err";
    std::ofstream(dir_ / "script") << "at 0 dump\nat 10 end\n";
    // AddressSanitizer reserves terabytes of address space, so a sanitized tool cannot run
    // under `ulimit -v`; its own resident-memory ceiling stands in for the limit there.
#if defined(__SANITIZE_ADDRESS__)
    const std::string limit =
        "ASAN_OPTIONS=\"${ASAN_OPTIONS:+$ASAN_OPTIONS:}hard_rss_limit_mb=2048\" ";
#else
    const std::string limit = "ulimit -v 2097152 && ";
#endif
    const std::string cmd = limit + Q50_BINARY_DIR "/tools/quendrix-trace --skin " + dir_.string() +
                            " --manual " + dir_.string() + " < " + (dir_ / "script").string() +
                            " > " + out.string() + " 2> " + err.string();
    const auto start = std::chrono::steady_clock::now();
    const int raw = std::system(("sh -c '" + cmd + "'").c_str());
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    ASSERT_TRUE(WIFEXITED(raw)) << slurp(err);
    EXPECT_EQ(WEXITSTATUS(raw), 0) << slurp(err);
    EXPECT_LT(seconds, 30.0);
    // The budget bounds what the pictures take however the load is done, a second thread
    // decoding ahead included: the tool peaks at the budget plus its own few megabytes (the
    // sanitizers add some 50), never at two budgets.
    rusage children{};
    ASSERT_EQ(getrusage(RUSAGE_CHILDREN, &children), 0);
    EXPECT_LT(children.ru_maxrss, (q50::kPictureBudgetBytes + 128 * 1024 * 1024) / 1024)
        << "peak resident kB of the trace tool";

    const std::string trace = slurp(out);
    const std::string budget = "(256 MB, 0 MB left of the 256 MB that the skin and the manual "
                               "may take for pictures)";
    EXPECT_NE(trace.find("0 message \"" + (dir_ / "pics/b.png").string() +
                         "\" is not loaded: its 16384 x 4096 pixels need more memory than is "
                         "left for pictures " +
                         budget + "\n"),
              std::string::npos)
        << trace;
    EXPECT_NE(trace.find("0 message \"" + (dir_ / "manual/1.bmp").string() +
                         "\" is not loaded: its 8192 x 8192 pixels need more memory than is "
                         "left for pictures " +
                         budget + "\n"),
              std::string::npos)
        << trace;
    EXPECT_NE(trace.find("0 lit"), std::string::npos) << trace; // and the script ran on
}

} // namespace
