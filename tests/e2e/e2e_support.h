#pragma once
// What the end-to-end tests share: where the programs are, the trace file, the
// X connection, throw-away folders and saver copies, screenshots and input.
#include "process.h"
#include "x11_display.h"

#include <SDL.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace e2e {

using namespace std::chrono_literals;

inline const std::string saverWindowName = "Tapwrite Screen Saver";
inline const std::string boxCaption = "Information";

// The product program (trace off) and the same program with its trace on.
std::filesystem::path saverProgram();
std::filesystem::path tracedSaverProgram();
// The traced program whose X server seems to have the DPMS extension, its
// monitors' power level ("on", "standby", "suspend", "off") set by the test,
// "off disabled" with power saving switched off (xset -dpms); a level must be
// set before it starts.
std::filesystem::path dpmsSaverProgram();
void setMonitorPower(const std::string& level);
// The CPU time a process has taken so far, in clock ticks.
std::uint64_t cpuTicks(pid_t pid);
// The folder of assets built beside the programs.
std::filesystem::path assetFolder();
// Where screenshots worth keeping go.
std::filesystem::path buildFolder();

// The traced program's trace file.
void clearTrace();
std::vector<std::string> traceLines();
std::string traceText();

// The lines every traced start begins with: the banner, the text "\n" (a line
// break of its own, so two empty lines), "scrMode", the decoded mode and the
// feed request (the product's service, which no test reaches: no feed arrives).
std::vector<std::string> traceHeader(const std::string& mode);
// traceHeader(mode) followed by the given lines.
std::vector<std::string> traceOf(const std::string& mode, const std::vector<std::string>& after);

// The one X connection of the test program (see X11Display).
X11Display& x11();

// A plain window of the test's own (X11Display::createWindow), destroyed at
// the end of its scope; id is 0 when it could not be made.
struct OwnWindow {
    OwnWindow(int x, int y, int width, int height, unsigned long rgb, X11Display::Kind kind = X11Display::Kind::Plain)
        : id(x11().createWindow(x, y, width, height, rgb, kind))
    {
    }
    ~OwnWindow()
    {
        if (id)
            x11().destroyWindow(id);
    }
    OwnWindow(const OwnWindow&) = delete;
    OwnWindow& operator=(const OwnWindow&) = delete;
    const unsigned long id;
};

// A fresh folder, removed with everything in it at the end of its scope.
class TempFolder {
public:
    explicit TempFolder(const std::string& stem = "e2e");
    ~TempFolder();
    const std::filesystem::path& path() const { return path_; }
    // Every entry below the folder, recursively, relative to it.
    std::vector<std::string> contents() const;

private:
    std::filesystem::path path_;
};

// What a saver copy gets in its tapwritefiles/ folder.
enum class AssetFile { Real, Missing, Garbage, Fifo };

// A copy of one of the programs in a folder of its own, with a hand-made
// tapwritefiles/ beside it.
class SaverCopy {
public:
    SaverCopy(const std::filesystem::path& program, AssetFile paper, AssetFile font,
        const std::string& folderName = "saver");
    std::filesystem::path program() const { return program_; }
    // The throw-away folder that holds the copy and its tapwritefiles/.
    const TempFolder& root() const { return folder_; }

private:
    TempFolder folder_;
    std::filesystem::path program_;
};

// argv for a program and its switches.
std::vector<std::string> commandLine(const std::filesystem::path& program, std::vector<std::string> switches);

// Polls until the condition holds; false when it still does not at the limit.
template <typename Condition>
bool waitUntil(Condition condition, std::chrono::milliseconds limit)
{
    auto deadline = std::chrono::steady_clock::now() + limit;
    while (!condition()) {
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return true;
}

// Polls until a viewable window with that name exists.
std::optional<TopLevelWindow> waitForWindow(const std::string& name, std::chrono::milliseconds limit);
bool windowExists(const std::string& name);

// xdotool with these arguments; true when it succeeded.
bool xdotool(const std::vector<std::string>& arguments);
bool movePointer(int x, int y);

// The page as it must stand on a screen of the given size after the feed.
struct PageGeometry {
    int screenWidth;
    int screenHeight;
    int paperTop;       // first row of the paper
    int paperLeft;      // first column of the paper
    int paperRight;     // last column of the paper
    int typingLineTop;  // top row of the first (typing) line
    int textLeft;       // first column of the typed text
    int lineBand;       // rows below typingLineTop that hold the typed text
    int pointSize;      // the font's point size on this screen
    int originX = 0;    // where the page's window stands on the screen
    int originY = 0;
};
std::optional<PageGeometry> geometryFor(int width, int height);
// The same page in a window whose top-left corner stands at (x, y): every
// position is then a screen position.
PageGeometry placedAt(PageGeometry page, int x, int y);

bool isBlack(Uint8 r, Uint8 g, Uint8 b);
bool isPaper(Uint8 r, Uint8 g, Uint8 b);
bool isInk(Uint8 r, Uint8 g, Uint8 b);

// Polls the screen (read straight from the X server) until the fed sheet
// stands at its final height: the paper's top row is paper, the row above is
// black. Then waits for the main loop's first pass to have drained its input.
bool waitForFedPaper(const PageGeometry& page, std::chrono::milliseconds limit);
// The same, with the pixel at (x, y) and the one below it read some other way
// (a compositor's screenshot); false when they could not be read.
using FedPixelReader = std::function<bool(int x, int y, Rgb& above, Rgb& top)>;
bool waitForFedPaper(const PageGeometry& page, std::chrono::milliseconds limit, const FedPixelReader& read);

class Screenshot;
// A reader taking a fresh picture each time, which must be of that size.
FedPixelReader pixelsOf(std::function<Screenshot()> take, int width, int height);
// Checks that the typing line holds text that starts at the left margin.
void expectFirstLineTyped(const Screenshot& shot, const PageGeometry& page);

// Closes an information box the way a user would: the pointer over it and a
// real Return key press (no window manager: keys go to the window under the
// pointer, and a saver that ran before leaves the focus on None).
bool closeBoxWithReturn(const TopLevelWindow& box);

// Whether an information box shows on the screen, read from the screen
// itself: at least half of its area has the box's own background colour, so
// no window stands over it.
bool boxShows(const TopLevelWindow& box);

// How many characters of text the first line of a fresh page shows, read by
// matching the screenshot against the text rendered with the saver's own
// font at each length; 0 when no length matches.
std::size_t typedPrefixLength(const Screenshot& shot, const PageGeometry& page, const std::string& text);

// A screenshot taken with ImageMagick's import and read with SDL_image.
class Screenshot {
public:
    // Takes it (or, without take, reads a picture already there); ok() is
    // false when import or loading failed.
    explicit Screenshot(const std::filesystem::path& file, bool take = true);
    ~Screenshot();
    // One owner of the picture: a copy would free it twice.
    Screenshot(const Screenshot&) = delete;
    Screenshot& operator=(const Screenshot&) = delete;
    bool ok() const { return surface_ != nullptr; }
    int width() const { return surface_->w; }
    int height() const { return surface_->h; }
    void pixel(int x, int y, Uint8& r, Uint8& g, Uint8& b) const;

private:
    SDL_Surface* surface_ = nullptr;
};

// Counts the pixels of a rectangle (inclusive bounds) that fail a colour
// test, and names the first one for a message.
using PixelTest = bool (*)(Uint8 r, Uint8 g, Uint8 b);
int countFailing(const Screenshot& shot, int x0, int y0, int x1, int y1, PixelTest test, std::string& first);

// Checks the page's window as the fed sheet must stand in it: black but for
// the paper, the paper clean but for text on the typing line from textLeft on.
void expectFedPage(const Screenshot& shot, const PageGeometry& page);
// Ink pixels on the typing line, across the paper.
int inkOnTypingLine(const Screenshot& shot, const PageGeometry& page);

// The sway desk (see with_sway.sh): a variable of its session, its runtime
// folder, a command as the session runs its programs (as its account, with
// its environment), a person's input through wayvnc (vnc_input.py's
// actions), an output as grim takes it (kept in the build folder under the
// name given), and waitForFedPaper read from an output.
std::string sessionVariable(const char* name);
std::filesystem::path runtimeFolder();
std::vector<std::string> inSession(const std::vector<std::string>& command);
bool vnc(std::vector<std::string> actions);
Screenshot outputShot(const std::string& output, const std::string& keep = "");
bool waitForFedPaperOnOutput(
    const PageGeometry& page, std::chrono::milliseconds limit, const std::string& output = "X11-1");

// The GNOME desk (see with_gnome.sh), run through inSession as sway's is: a
// method of its person (gnome_desk.py's Key, Move; dbus-send's arguments),
// the whole desk as the shell's screenshot shows it, the pointer drawn in,
// and waitForFedPaper read from that.
bool gnomeDesk(const std::string& method, const std::vector<std::string>& arguments);
Screenshot gnomeDeskShot(const std::string& keep = "");
bool waitForFedPaperOnGnomeDesk(const PageGeometry& page, std::chrono::milliseconds limit);

// The KWin desk (see with_kwin.sh): a person's input through
// kwin_fake_input (its actions), and the whole desk as KWin takes it, the
// pointer drawn in (kept in the build folder under the name given).
bool kwinInput(const std::vector<std::string>& action);
Screenshot kwinDeskShot(const std::string& keep = "");

} // namespace e2e
