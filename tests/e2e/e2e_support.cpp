#include "e2e_support.h"

#include <SDL_image.h>
#include <SDL_ttf.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace e2e {

std::filesystem::path saverProgram()
{
    return TAPWRITE_E2E_SAVER;
}

std::filesystem::path tracedSaverProgram()
{
    return TAPWRITE_E2E_TRACED_SAVER;
}

std::filesystem::path dpmsSaverProgram()
{
    return TAPWRITE_E2E_DPMS_SAVER;
}

void setMonitorPower(const std::string& level)
{
    // Written whole and renamed over the old one: the saver never reads half.
    const std::filesystem::path file = TAPWRITE_E2E_DPMS_LEVEL;
    const std::filesystem::path next = file.string() + ".next";
    std::ofstream(next) << level << "\n";
    std::filesystem::rename(next, file);
}

std::uint64_t cpuTicks(pid_t pid)
{
    const std::string stat = readWholeFile("/proc/" + std::to_string(pid) + "/stat");
    const std::size_t end = stat.rfind(')');
    if (end == std::string::npos)
        return 0;
    std::istringstream fields(stat.substr(end + 2));
    std::string skip;
    for (int i = 0; i < 11; ++i) // state .. cmajflt: utime is the 14th field
        fields >> skip;
    std::uint64_t user = 0;
    std::uint64_t system = 0;
    fields >> user >> system;
    return user + system;
}

std::filesystem::path assetFolder()
{
    return TAPWRITE_E2E_ASSETS;
}

std::filesystem::path buildFolder()
{
    return TAPWRITE_E2E_BUILD_DIR;
}

void clearTrace()
{
    std::ofstream truncate(TAPWRITE_E2E_TRACE_LOG, std::ios::out | std::ios::trunc);
}

std::string traceText()
{
    return readWholeFile(TAPWRITE_E2E_TRACE_LOG);
}

std::vector<std::string> traceLines()
{
    std::vector<std::string> lines;
    std::string text = traceText();
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) {
            lines.push_back(text.substr(start)); // an unfinished last line
            break;
        }
        lines.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return lines;
}

std::vector<std::string> traceHeader(const std::string& mode)
{
    return {"************", "", "", "scrMode", mode, "getSSText: url = ", TAPWRITE_E2E_BASE_URL "sstext"};
}

std::vector<std::string> traceOf(const std::string& mode, const std::vector<std::string>& after)
{
    std::vector<std::string> lines = traceHeader(mode);
    lines.insert(lines.end(), after.begin(), after.end());
    return lines;
}

X11Display& x11()
{
    static X11Display display;
    return display;
}

TempFolder::TempFolder(const std::string& stem)
{
    std::string pattern = "/tmp/" + stem + "-XXXXXX";
    if (mkdtemp(pattern.data()))
        path_ = pattern;
}

TempFolder::~TempFolder()
{
    std::error_code ignored;
    if (!path_.empty())
        std::filesystem::remove_all(path_, ignored);
}

std::vector<std::string> TempFolder::contents() const
{
    std::vector<std::string> found;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(path_))
        found.push_back(std::filesystem::relative(entry.path(), path_).string());
    std::sort(found.begin(), found.end());
    return found;
}

namespace {
void placeAsset(const std::filesystem::path& target, const std::filesystem::path& real, AssetFile kind)
{
    switch (kind) {
    case AssetFile::Real:
        std::filesystem::copy_file(real, target);
        break;
    case AssetFile::Missing:
        break;
    case AssetFile::Garbage: {
        std::ofstream out(target, std::ios::binary);
        out << "this is neither a picture nor a font\n";
        break;
    }
    case AssetFile::Fifo:
        // Opening it for reading blocks until a writer comes, which none does.
        mkfifo(target.c_str(), 0600);
        break;
    }
}
}

SaverCopy::SaverCopy(const std::filesystem::path& program, AssetFile paper, AssetFile font,
    const std::string& folderName)
{
    std::filesystem::path home = folder_.path() / folderName;
    std::filesystem::create_directories(home / "tapwritefiles");
    program_ = home / program.filename();
    std::filesystem::copy_file(program, program_);
    // The command starts the saver proper that lies beside it.
    std::filesystem::path proper = program.string() + "-saver";
    if (std::filesystem::exists(proper))
        std::filesystem::copy_file(proper, program_.string() + "-saver");
    placeAsset(home / "tapwritefiles" / "typingPaper.bmp", assetFolder() / "typingPaper.bmp", paper);
    placeAsset(home / "tapwritefiles" / "gtw.ttf", assetFolder() / "gtw.ttf", font);
}

std::vector<std::string> commandLine(const std::filesystem::path& program, std::vector<std::string> switches)
{
    switches.insert(switches.begin(), program.string());
    return switches;
}

std::optional<TopLevelWindow> waitForWindow(const std::string& name, std::chrono::milliseconds limit)
{
    auto deadline = std::chrono::steady_clock::now() + limit;
    do {
        for (const TopLevelWindow& w : x11().windowsNamed(name))
            if (w.viewable)
                return w;
        std::this_thread::sleep_for(20ms);
    } while (std::chrono::steady_clock::now() < deadline);
    return std::nullopt;
}

bool windowExists(const std::string& name)
{
    return !x11().windowsNamed(name).empty();
}

bool xdotool(const std::vector<std::string>& arguments)
{
    std::vector<std::string> argv{"xdotool"};
    argv.insert(argv.end(), arguments.begin(), arguments.end());
    return runCommand(argv) == 0;
}

bool movePointer(int x, int y)
{
    return xdotool({"mousemove", std::to_string(x), std::to_string(y)});
}

std::optional<PageGeometry> geometryFor(int width, int height)
{
    // Worked out by hand from the page proportions for the screens and host
    // windows the tests use: paper 60 % of the width, 8.5 x 11, nine line
    // pitches fed in, the typing line five pitches below the paper's top edge.
    static const PageGeometry known[] = {
        {1920, 1080, 850, 384, 1535, 977, 522, 25, 22},
        {1366, 768, 604, 273, 1091, 694, 371, 18, 16},
        {1600, 900, 708, 320, 1279, 814, 435, 21, 19},
        {1280, 1024, 871, 256, 1023, 955, 348, 16, 15},
        {800, 600, 504, 160, 639, 557, 217, 10, 9},
        {400, 300, 252, 80, 319, 278, 108, 5, 4},
        {60, 40, 32, 12, 47, 35, 16, 3, 1},
    };
    for (const PageGeometry& g : known)
        if (g.screenWidth == width && g.screenHeight == height)
            return g;
    return std::nullopt;
}

PageGeometry placedAt(PageGeometry page, int x, int y)
{
    page.paperTop += y;
    page.typingLineTop += y;
    page.paperLeft += x;
    page.paperRight += x;
    page.textLeft += x;
    page.originX = x;
    page.originY = y;
    return page;
}

bool isBlack(Uint8 r, Uint8 g, Uint8 b)
{
    return r == 0 && g == 0 && b == 0;
}

bool isPaper(Uint8 r, Uint8 g, Uint8 b)
{
    // Warm off-white; the sheet's grain, fibres and darker edges stay well above this.
    return r >= 190 && g >= 185 && b >= 170 && r >= b;
}

bool isInk(Uint8 r, Uint8 g, Uint8 b)
{
    return r < 110 && g < 110 && b < 110;
}

bool waitForFedPaper(const PageGeometry& page, std::chrono::milliseconds limit, const FedPixelReader& read)
{
    auto deadline = std::chrono::steady_clock::now() + limit;
    int column = (page.paperLeft + page.paperRight) / 2;
    while (std::chrono::steady_clock::now() < deadline) {
        Rgb above;
        Rgb top;
        if (read(column, page.paperTop - 1, above, top) && isBlack(above.r, above.g, above.b)
            && isPaper(top.r, top.g, top.b)) {
            // The last feed frame waits up to 259 ms before the first pass.
            std::this_thread::sleep_for(600ms);
            return true;
        }
        std::this_thread::sleep_for(30ms);
    }
    return false;
}

bool waitForFedPaper(const PageGeometry& page, std::chrono::milliseconds limit)
{
    return waitForFedPaper(page, limit, [](int x, int y, Rgb& above, Rgb& top) {
        std::vector<Rgb> a = x11().readRow(x, y, 1);
        std::vector<Rgb> t = x11().readRow(x, y + 1, 1);
        if (a.size() != 1 || t.size() != 1)
            return false;
        above = a[0];
        top = t[0];
        return true;
    });
}

void expectFirstLineTyped(const Screenshot& shot, const PageGeometry& p)
{
    int ink = 0;
    int leftmostInk = p.screenWidth;
    int topmostInk = p.screenHeight;
    for (int y = p.typingLineTop; y <= p.typingLineTop + p.lineBand; ++y)
        for (int x = p.paperLeft; x <= p.paperRight; ++x) {
            Uint8 r, g, b;
            shot.pixel(x, y, r, g, b);
            if (isInk(r, g, b)) {
                ++ink;
                leftmostInk = std::min(leftmostInk, x);
                topmostInk = std::min(topmostInk, y);
            }
        }
    EXPECT_GE(ink, 30) << "no typed text on the typing line";
    // The line opens with a capital (the first line drops no characters),
    // whose ink starts within two pixels of the margin and a few pixels below
    // the line top.
    EXPECT_GE(leftmostInk, p.textLeft);
    EXPECT_LE(leftmostInk, p.textLeft + 2);
    EXPECT_GE(topmostInk, p.typingLineTop + 2);
    EXPECT_LE(topmostInk, p.typingLineTop + 7);
}

bool closeBoxWithReturn(const TopLevelWindow& box)
{
    x11().focusFollowsPointer();
    return movePointer(box.x + box.width / 2, box.y + box.height / 2) && xdotool({"key", "Return"});
}

bool boxShows(const TopLevelWindow& box)
{
    // SDL's box background (its default colour scheme: 56, 54, 53).
    constexpr unsigned long boxBackground = 0x383635;
    return x11().pixelsOfColour(box.x, box.y, box.width, box.height, boxBackground) * 2 >= box.width * box.height;
}

std::size_t typedPrefixLength(const Screenshot& shot, const PageGeometry& page, const std::string& text)
{
    if (!TTF_WasInit() && TTF_Init() != 0)
        return 0;
    TTF_Font* font = TTF_OpenFont((assetFolder() / "gtw.ttf").c_str(), page.pointSize);
    if (!font)
        return 0;
    int cell = 0;
    TTF_SizeText(font, "M", &cell, nullptr);
    // Ink of the rendered text against ink on the screen, over the rendered
    // width and three character cells beyond it (where nothing may be typed yet).
    auto mismatch = [&](const std::string& prefix) {
        SDL_Surface* rendered = TTF_RenderText_Blended(font, prefix.c_str(), SDL_Color{0, 0, 0, 255});
        if (!rendered)
            return 1.0;
        SDL_Surface* argb = SDL_ConvertSurfaceFormat(rendered, SDL_PIXELFORMAT_ARGB8888, 0);
        SDL_FreeSurface(rendered);
        int inkPixels = 0;
        int wrong = 0;
        for (int y = 0; y < argb->h && page.typingLineTop + y < shot.height(); ++y)
            for (int x = 0; x < argb->w + 3 * cell && page.textLeft + x < shot.width(); ++x) {
                bool expected = false;
                if (x < argb->w) {
                    Uint32 p = static_cast<const Uint32*>(argb->pixels)[y * argb->pitch / 4 + x];
                    expected = (p >> 24) >= 128;
                }
                Uint8 r, g, b;
                shot.pixel(page.textLeft + x, page.typingLineTop + y, r, g, b);
                inkPixels += expected;
                wrong += expected != isInk(r, g, b);
            }
        SDL_FreeSurface(argb);
        return inkPixels ? static_cast<double>(wrong) / inkPixels : 1.0;
    };
    std::size_t best = 0;
    double bestMismatch = 0.2; // a changed letter or two still reads as the text
    for (std::size_t length = 1; length <= text.size(); ++length) {
        if (text[length - 1] == ' ')
            continue;
        double m = mismatch(text.substr(0, length));
        if (m < bestMismatch) {
            bestMismatch = m;
            best = length;
        }
    }
    TTF_CloseFont(font);
    return best;
}

Screenshot::Screenshot(const std::filesystem::path& file, bool take)
{
    if (take && runCommand({"import", "-window", "root", file.string()}, 20s) != 0)
        return;
    SDL_Surface* loaded = IMG_Load(file.c_str());
    if (!loaded)
        return;
    surface_ = SDL_ConvertSurfaceFormat(loaded, SDL_PIXELFORMAT_RGB24, 0);
    SDL_FreeSurface(loaded);
}

Screenshot::~Screenshot()
{
    SDL_FreeSurface(surface_);
}

void Screenshot::pixel(int x, int y, Uint8& r, Uint8& g, Uint8& b) const
{
    const auto* row = static_cast<const Uint8*>(surface_->pixels) + static_cast<size_t>(y) * surface_->pitch;
    r = row[x * 3];
    g = row[x * 3 + 1];
    b = row[x * 3 + 2];
}

int countFailing(const Screenshot& shot, int x0, int y0, int x1, int y1, PixelTest test, std::string& first)
{
    int failing = 0;
    for (int y = y0; y <= y1; ++y)
        for (int x = x0; x <= x1; ++x) {
            Uint8 r, g, b;
            shot.pixel(x, y, r, g, b);
            if (!test(r, g, b)) {
                if (failing++ == 0)
                    first = "(" + std::to_string(x) + "," + std::to_string(y) + ") = " + std::to_string(r) + ","
                        + std::to_string(g) + "," + std::to_string(b);
            }
        }
    return failing;
}

void expectFedPage(const Screenshot& shot, const PageGeometry& p)
{
    const int textTop = p.typingLineTop;
    const int textBottom = p.typingLineTop + p.lineBand;
    const int left = p.originX;
    const int top = p.originY;
    const int right = p.originX + p.screenWidth - 1;
    const int bottom = p.originY + p.screenHeight - 1;
    std::string first;
    EXPECT_EQ(countFailing(shot, left, top, right, p.paperTop - 1, isBlack, first), 0)
        << "above the paper, first non-black pixel " << first;
    EXPECT_EQ(countFailing(shot, left, p.paperTop, p.paperLeft - 1, bottom, isBlack, first), 0)
        << "left of the paper, first non-black pixel " << first;
    EXPECT_EQ(countFailing(shot, p.paperRight + 1, p.paperTop, right, bottom, isBlack, first), 0)
        << "right of the paper, first non-black pixel " << first;
    EXPECT_EQ(countFailing(shot, p.paperLeft, p.paperTop, p.paperRight, textTop - 1, isPaper, first), 0)
        << "paper from its top edge down to the typing line, first other pixel " << first;
    if (textBottom + 1 <= bottom) {
        EXPECT_EQ(countFailing(shot, p.paperLeft, textBottom + 1, p.paperRight, bottom, isPaper, first), 0)
            << "paper below the typing line, first other pixel " << first;
    }
    EXPECT_EQ(countFailing(shot, p.paperLeft, textTop, p.textLeft - 1, textBottom, isPaper, first), 0)
        << "left margin of the typing line, first other pixel " << first;
}

int inkOnTypingLine(const Screenshot& shot, const PageGeometry& p)
{
    std::string first;
    int cells = (p.paperRight - p.paperLeft + 1) * (p.lineBand + 1);
    return cells
        - countFailing(shot, p.paperLeft, p.typingLineTop, p.paperRight, p.typingLineTop + p.lineBand, isInk, first);
}


// The sway desk (with_sway.sh).

std::string sessionVariable(const char* name)
{
    const char* value = std::getenv(name);
    return value ? value : "";
}

std::filesystem::path runtimeFolder()
{
    return sessionVariable("XDG_RUNTIME_DIR");
}

// The command as a program of the session runs: as its account (sway runs
// as no root), with its environment.
std::vector<std::string> inSession(const std::vector<std::string>& command)
{
    std::vector<std::string> argv;
    const std::string user = sessionVariable("TAPWRITE_SESSION_USER");
    if (geteuid() == 0)
        argv = {"setpriv", "--reuid=" + user, "--regid=" + user, "--init-groups"};
    argv.insert(argv.end(), {"env", "HOME=" + runtimeFolder().string()});
    argv.insert(argv.end(), command.begin(), command.end());
    return argv;
}

bool vnc(std::vector<std::string> actions)
{
    actions.insert(actions.begin(), {"python3", TAPWRITE_E2E_SOURCE_DIR "/tests/support/vnc_input.py",
                                        sessionVariable("TAPWRITE_VNC_SOCKET")});
    return runCommand(actions, 20s) == 0;
}

namespace {
// A picture the session's own tool writes to file (in the session's runtime
// folder, its path the tool's last argument, after the prefix given); kept
// in the build folder under the name given.
Screenshot sessionShot(const std::vector<std::string>& tool, const std::string& name, const std::string& keep,
    const std::string& pathPrefix = "")
{
    const std::filesystem::path file = runtimeFolder() / name;
    std::error_code ignored;
    std::filesystem::remove(file, ignored);
    std::vector<std::string> command = tool;
    command.push_back(pathPrefix + file.string());
    runCommand(inSession(command), 30s);
    if (!keep.empty())
        std::filesystem::copy_file(
            file, buildFolder() / keep, std::filesystem::copy_options::overwrite_existing, ignored);
    return Screenshot(file, false);
}

// The GNOME desk's picture: its monitors side by side, 1920x1080 and 1280x1024.
constexpr int gnomeDeskWidth = 1920 + 1280;
constexpr int gnomeDeskHeight = 1080;
}

// An output as grim takes it, the pointer drawn in.
Screenshot outputShot(const std::string& output, const std::string& keep)
{
    return sessionShot({"grim", "-c", "-o", output}, output + ".png", keep);
}

// As waitForFedPaper, read from an output.
bool waitForFedPaperOnOutput(
    const PageGeometry& page, std::chrono::milliseconds limit, const std::string& output)
{
    return waitForFedPaper(
        page, limit, pixelsOf([&] { return outputShot(output); }, page.screenWidth, page.screenHeight));
}

FedPixelReader pixelsOf(std::function<Screenshot()> take, int width, int height)
{
    return [take, width, height](int x, int y, Rgb& above, Rgb& top) {
        Screenshot shot = take();
        if (!shot.ok() || shot.width() != width || shot.height() != height)
            return false;
        shot.pixel(x, y, above.r, above.g, above.b);
        shot.pixel(x, y + 1, top.r, top.g, top.b);
        return true;
    };
}

bool gnomeDesk(const std::string& method, const std::vector<std::string>& arguments)
{
    std::vector<std::string> command = {"dbus-send", "--session", "--print-reply", "--dest=org.tapwrite.Desk",
        "/org/tapwrite/Desk", "org.tapwrite.Desk." + method};
    command.insert(command.end(), arguments.begin(), arguments.end());
    return runCommand(inSession(command), 20s) == 0;
}

Screenshot gnomeDeskShot(const std::string& keep)
{
    return sessionShot({"dbus-send", "--session", "--print-reply", "--dest=org.tapwrite.Desk", "/org/tapwrite/Desk",
                           "org.tapwrite.Desk.Shot"},
        "desk.png", keep, "string:");
}

// The page's monitor is at the desk's top-left.
bool waitForFedPaperOnGnomeDesk(const PageGeometry& page, std::chrono::milliseconds limit)
{
    return waitForFedPaper(page, limit, pixelsOf([] { return gnomeDeskShot(); }, gnomeDeskWidth, gnomeDeskHeight));
}

bool kwinInput(const std::vector<std::string>& action)
{
    std::vector<std::string> command = {TAPWRITE_E2E_KWIN_FAKE_INPUT};
    command.insert(command.end(), action.begin(), action.end());
    return runCommand(inSession(command), 20s) == 0;
}

Screenshot kwinDeskShot(const std::string& keep)
{
    return sessionShot({"python3", TAPWRITE_E2E_SOURCE_DIR "/tests/support/kwin_screenshot.py"}, "desk.ppm", keep);
}

} // namespace e2e
