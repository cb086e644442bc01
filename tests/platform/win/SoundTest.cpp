// Sounds: the recorder keeps beeps, message beeps and WAV plays; a WAV file is
// played by the player found on the PATH, one sound at a time, and nothing plays
// for a missing file.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "platform/win/MessageBox.h"
#include "platform/win/Sound.h"

using namespace win;

namespace {

constexpr DWORD kNotice = SND_ASYNC | SND_FILENAME | SND_NODEFAULT | SND_NOSTOP;

std::string Utf8(const char8_t *s) { return reinterpret_cast<const char *>(s); }

void Touch(const std::string &path) { std::ofstream(path) << "RIFF"; }

std::vector<std::string> Lines(const std::string &path)
{
    std::vector<std::string> lines;
    std::ifstream in(path);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

bool WaitForLines(const std::string &path, size_t count)
{
    auto start = std::chrono::steady_clock::now();
    while (Lines(path).size() < count) {
        if (std::chrono::steady_clock::now() - start > std::chrono::seconds(5))
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return true;
}

// Sets the PATH to `folder`, followed by the old PATH when `keep`, for the life of
// the object.
class ScopedPath {
public:
    ScopedPath(const std::string &folder, bool keep)
    {
        const char *old = std::getenv("PATH");
        saved_ = old ? old : "";
        setenv("PATH", (keep ? folder + ":" + saved_ : folder).c_str(), 1);
    }
    ~ScopedPath() { setenv("PATH", saved_.c_str(), 1); }

private:
    std::string saved_;
};

} // namespace

TEST(SoundTest, RecorderKeepsEverySoundAndWhetherTheFileExists)
{
    Touch("ding.wav");
    RecordSounds(true);
    EXPECT_TRUE(Beep(597, 500));
    EXPECT_TRUE(MessageBeep(MB_ICONEXCLAMATION));
    EXPECT_TRUE(PlaySoundA(".\\DING.WAV", 0, kNotice));
    EXPECT_FALSE(PlaySoundA(".\\missing.wav", 0, kNotice));

    auto beeps = RecordedBeeps();
    ASSERT_EQ(beeps.size(), 1u);
    EXPECT_EQ(beeps[0].frequency, 597u);
    EXPECT_EQ(RecordedMessageBeeps(), std::vector<UINT>{MB_ICONEXCLAMATION});
    auto plays = RecordedPlaySounds();
    ASSERT_EQ(plays.size(), 2u);
    EXPECT_EQ(plays[0].name, ".\\DING.WAV");
    EXPECT_EQ(plays[0].flags, kNotice);
    EXPECT_TRUE(plays[0].found);
    EXPECT_FALSE(plays[1].found);
    RecordSounds(false);
    EXPECT_TRUE(RecordedPlaySounds().empty());
}

TEST(SoundTest, PlayerPlaysOneSoundAtATimeAndNothingForMissingFiles)
{
    namespace fs = std::filesystem;
    const std::string root = fs::current_path().string();
    const std::string log = root + "/played.log";
    const std::string release = root + "/release";
    fs::create_directories("players");
    // A stand-in player: notes its arguments, then plays until released.
    {
        std::ofstream script("players/aplay");
        script << "#!/bin/sh\necho \"$@\" >> '" << log << "'\n"
               << "while [ ! -e '" << release << "' ]; do sleep 0.02; done\n";
    }
    ::chmod("players/aplay", 0755);
    Touch(Utf8(u8"提示.wav"));
    ScopedPath path(root + "/players", true);

    ASSERT_TRUE(PlaySoundA("提示.wav", 0, kNotice));
    ASSERT_TRUE(WaitForLines(log, 1));
    EXPECT_EQ(Lines(log)[0], "-q " + root + "/" + Utf8(u8"提示.wav"));

    // Busy: SND_NOSTOP plays nothing; without it the new sound replaces the old.
    EXPECT_FALSE(PlaySoundA(".\\提示.wav", 0, kNotice));
    EXPECT_TRUE(PlaySoundA(".\\提示.wav", 0, SND_ASYNC | SND_FILENAME));
    ASSERT_TRUE(WaitForLines(log, 2));

    Touch(release);
    EXPECT_TRUE(PlaySoundA(".\\提示.wav", 0, SND_SYNC | SND_FILENAME | SND_NODEFAULT));
    EXPECT_EQ(Lines(log).size(), 3u);
    EXPECT_TRUE(PlaySoundA(".\\提示.wav", 0, kNotice));
    ASSERT_TRUE(WaitForLines(log, 4));

    EXPECT_FALSE(PlaySoundA(".\\gone.wav", 0, SND_SYNC | SND_FILENAME | SND_NODEFAULT));
    EXPECT_TRUE(PlaySoundA(nullptr, 0, 0));
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_EQ(Lines(log).size(), 4u);
}

TEST(SoundTest, NoPlayerMeansNoSound)
{
    Touch("quiet.wav");
    std::filesystem::create_directories("empty");
    ScopedPath path((std::filesystem::current_path() / "empty").string(), false);
    EXPECT_FALSE(PlaySoundA("quiet.wav", 0, SND_ASYNC | SND_FILENAME));
}
