// The snapshot switches of a test build: every window and the share sheet drawn to PNG files, by
// the built program against the sample bridge, and in-process where the waits must run out.
#include "service/SetupCommandLine.h"
#include "service/tests/CommandLineFixture.h"
#include "service/tests/SetupFixture.h"

#include <Dispatch/Clock.h>
#include <Graphics/Canvas.h>
#include <Graphics/Image.h>
#include <atomic>
#include <cairo.h>
#include <gmock/gmock.h>
#include <sample-bridge/CheckIns.h>
#include <set>
#include <thread>

using testing::StartsWith;

namespace {

namespace fs = std::filesystem;

struct Picture {
    Graphics::Size size;
    // The distinct pixel values, a measure of how much is drawn.
    std::size_t colours = 0;
    std::vector<std::uint32_t> pixels;
};

std::optional<Picture> picture(const fs::path& file) {
    const auto image = Graphics::Image::readPNG(file);
    if (!image)
        return std::nullopt;
    Graphics::Canvas canvas(image->size());
    image->draw(canvas.context(), {{0, 0}, image->size()});
    cairo_surface_t* surface = cairo_get_target(canvas.context());
    cairo_surface_flush(surface);
    Picture picture{image->size(), 0, {}};
    for (int y = 0; y < canvas.height(); ++y) {
        const auto* row = reinterpret_cast<const std::uint32_t*>(
            cairo_image_surface_get_data(surface) + y * cairo_image_surface_get_stride(surface));
        picture.pixels.insert(picture.pixels.end(), row, row + canvas.width());
    }
    picture.colours = std::set(picture.pixels.begin(), picture.pixels.end()).size();
    return picture;
}

// Moves the run loop's clock a second every few milliseconds while a command waits on it.
class ClockRunner {
public:
    ClockRunner()
        : m_thread([this] {
              while (!m_stop) {
                  Dispatch::Clock::advance(1);
                  std::this_thread::sleep_for(std::chrono::milliseconds(2));
              }
          }) {}
    ~ClockRunner() {
        m_stop = true;
        m_thread.join();
    }

private:
    std::atomic<bool> m_stop = false;
    std::thread m_thread;
};

using Snapshot = CommandLine;

class SnapshotWithoutTool : public WithSetup {
protected:
    void SetUp() override {
        WithSetup::SetUp();
        // Without the runtime the bridge's tool cannot run, so no doctor report ever comes.
        fs::remove(Bundled::app() / "Contents" / "Helpers");
    }

    // Runs `command` with the clock running, giving its status and what it printed.
    static std::pair<int, std::string> run(const std::function<int()>& command) {
        testing::internal::CaptureStdout();
        int status = 0;
        {
            ClockRunner clock;
            status = command();
        }
        return {status, testing::internal::GetCapturedStdout()};
    }
};

} // namespace

TEST_F(Snapshot, BothSwitchesDrawEveryWindowAndTheSheetAtTheirSizes) {
    serveBridge();
    standInClaude("2.1.224 (Claude Code)");
    const auto added = Bundled::cli({"env", "add", "box", "Box", "--container", "--json"}, 20);
    ASSERT_EQ(added.status, 0) << added.output << added.error;
    std::string error;
    ASSERT_TRUE(SampleBridge::CheckIns::plan("box", {.refusedAfter = std::nullopt, .checkedAfter = 500}, error)) << error;
    const fs::path folder = home / "shots" / "all";

    const Outcome windows = menu({"--snapshot", folder.string(), "--container", "box"});
    EXPECT_EQ(windows.status, 0) << windows.error;
    EXPECT_THAT(windows.output, StartsWith("setup.png: written\n"
                                           "container showing box, connected at "));
    const Outcome sheet = menu({"--snapshot-share", folder.string()});
    EXPECT_EQ(sheet, (Outcome{0,
                              "share-file.png: written\nshare-link.png: written\n"
                              "share-added.png: written\nshare-waiting.png: written\n"
                              "share-too-long.png: written\n",
                              ""}));

    std::map<std::string, Picture> pictures;
    for (const auto& entry : fs::directory_iterator(folder)) {
        auto drawn = picture(entry.path());
        ASSERT_TRUE(drawn) << entry.path();
        // Text, marks and controls give many colours besides the background.
        EXPECT_GT(drawn->colours, 30u) << entry.path();
        pictures.emplace(entry.path().filename().string(), std::move(*drawn));
    }
    ASSERT_EQ(pictures.size(), 10u);
    EXPECT_EQ(pictures["setup.png"].size.width, 580);
    EXPECT_EQ(pictures["settings.png"].size, (Graphics::Size{480, 1900}));
    for (const char* name :
         {"container-name.png", "container-steps.png", "container-connected.png"})
        EXPECT_EQ(pictures[name].size.width, 640) << name;
    for (const char* name : {"share-file.png", "share-link.png", "share-added.png",
                             "share-waiting.png", "share-too-long.png"})
        EXPECT_EQ(pictures[name].size, (Graphics::Size{460, 430})) << name;
    EXPECT_NE(pictures["container-steps.png"].pixels, pictures["container-connected.png"].pixels);
    EXPECT_NE(pictures["container-name.png"].size, pictures["container-steps.png"].size);
    EXPECT_NE(pictures["share-file.png"].pixels, pictures["share-link.png"].pixels);
    EXPECT_NE(pictures["share-added.png"].pixels, pictures["share-waiting.png"].pixels);
}

TEST_F(SnapshotWithoutTool, TheSetupImageIsWrittenWithoutAReportAndSettingsIsLeftOut) {
    const fs::path folder = home / "shots";
    const auto [status, printed] = run([&] { return SetupCommandLine::snapshot(folder, "box"); });
    EXPECT_EQ(status, 0);
    // The tool fails the container too: its step is drawn with the failure, and it never
    // checks in.
    EXPECT_THAT(printed, StartsWith("setup.png: written (no doctor report)\ncontainer failed: "));
    EXPECT_THAT(printed, testing::EndsWith(", waiting\n"));
    std::set<std::string> written;
    for (const auto& entry : fs::directory_iterator(folder))
        written.insert(entry.path().filename().string());
    EXPECT_EQ(written,
              (std::set<std::string>{"setup.png", "container-name.png", "container-steps.png"}));
}

TEST_F(SnapshotWithoutTool, AFolderThatCannotBeWrittenFailsEveryImage) {
    Testing::writeText(home / "shots", "a file where the folder belongs");
    const fs::path folder = home / "shots" / "inside";
    auto [status, printed] = run([&] { return SetupCommandLine::snapshot(folder, std::nullopt); });
    EXPECT_EQ(status, 1);
    EXPECT_EQ(printed, "setup.png: failed (no doctor report)\n");
    std::tie(status, printed) = run([&] { return SetupCommandLine::snapshotShare(folder); });
    EXPECT_EQ(status, 1);
    EXPECT_EQ(printed, "share-file.png: failed\nshare-link.png: failed\nshare-added.png: failed\n"
                       "share-waiting.png: failed\nshare-too-long.png: failed\n");
}
