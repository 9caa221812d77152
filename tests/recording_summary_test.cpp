#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "engine/recording_summary.h"

namespace selvane {
namespace {

std::string writeBytes(const std::string& name, const std::string& bytes) {
    const std::string path = ::testing::TempDir() + "summary_" + name;
    std::FILE* f = std::fopen(path.c_str(), "wb");
    std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::fclose(f);
    return path;
}

std::string header(int32_t n, int32_t frames) {
    std::string bytes(8, '\0');
    for (int i = 0; i < 4; ++i) {
        bytes[i] = static_cast<char>((static_cast<uint32_t>(n) >> (8 * i)) & 0xFF);
        bytes[4 + i] = static_cast<char>((static_cast<uint32_t>(frames) >> (8 * i)) & 0xFF);
    }
    return bytes;
}

TEST(RecordingSummary, CountsWholeFramesAndComparesWithTheHeader) {
    const std::string twoFrames = header(1, 2) + std::string(48, '\x01');
    RecordingSummary s = inspectRecording(writeBytes("ok", twoFrames));
    EXPECT_TRUE(s.readable);
    EXPECT_EQ(s.starCount, 1);
    EXPECT_EQ(s.headerFrames, 2);
    EXPECT_EQ(s.framesInFile, 2);
    EXPECT_TRUE(s.consistent);

    s = inspectRecording(writeBytes("short", header(1, 2) + std::string(30, '\0')));
    EXPECT_EQ(s.framesInFile, 1);
    EXPECT_FALSE(s.consistent);

    s = inspectRecording(writeBytes("lying", header(1, 2000000000)));
    EXPECT_EQ(s.framesInFile, 0);
    EXPECT_FALSE(s.consistent);
}

TEST(RecordingSummary, DamagedOrMissingFiles) {
    EXPECT_FALSE(inspectRecording(::testing::TempDir() + "summary_does_not_exist").readable);

    RecordingSummary s = inspectRecording(writeBytes("tiny", "abc"));
    EXPECT_TRUE(s.readable);
    EXPECT_EQ(s.starCount, 0);
    EXPECT_FALSE(s.consistent);

    s = inspectRecording(writeBytes("negative", header(-5, 3) + std::string(24, '\0')));
    EXPECT_EQ(s.framesInFile, 0);
    EXPECT_FALSE(s.consistent);

    s = inspectRecording(writeBytes("nostars", header(0, 4)));
    EXPECT_TRUE(s.consistent);
    EXPECT_EQ(s.framesInFile, 4);
}

// Each kind of damage is told in its own words, and a whole recording has none.
TEST(RecordingSummary, DamageIsNamed) {
    const auto damage = [](const std::string& name, const std::string& bytes) {
        const std::string path = writeBytes(name, bytes);
        return describeDamage(path, inspectRecording(path));
    };
    EXPECT_EQ(damage("whole", header(1, 1) + std::string(24, '\0')), "");
    EXPECT_NE(damage("empty", "").find("has no header: it holds 0 of the 8 bytes"), std::string::npos);
    EXPECT_NE(damage("over", header(200001, 0)).find("200001 stars, more than the 200000"), std::string::npos);
    EXPECT_NE(damage("cut", header(1, 2) + std::string(30, '\0')).find("counts 2 frames and it holds 1 and part"),
              std::string::npos);
    EXPECT_NE(damage("negative", header(-1, 0)).find("-1 stars"), std::string::npos);
}

}  // namespace
}  // namespace selvane
