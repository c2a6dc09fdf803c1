// The saver as a hack of the real XScreenSaver daemon, installed by cmake
// --install or by the Debian package: -activate shows the page in the
// daemon's own full-screen window, -deactivate ends the saver at once with
// exit code 0, also while the paper is still being fed in.
#include "e2e_support.h"

#include <gtest/gtest.h>

#include <fstream>
#include <pwd.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

using namespace e2e;

namespace {
// The daemon launches no hack as root ("not launching hacks"), so it runs as
// this account.
const std::string hostUser = "tapwritehost";

// Where the package puts the program, and the link by which the daemon finds
// it in its own folder.
const std::filesystem::path packagedProgram = "/usr/lib/tapwrite/tapwrite";
const std::filesystem::path packagedHack = "/usr/libexec/xscreensaver/tapwrite";

// The hack the daemon starts: the saver, with its pid and standard error
// kept, the daemon's SIGTERM passed on, and the saver's exit code recorded,
// which the daemon itself never reports.
const char* hackScript = R"sh(#!/bin/sh
cd "$(dirname "$0")"
"@SAVER@" "$@" 2>stderr &
child=$!
echo "$child" >pid
trap 'kill -TERM "$child" 2>/dev/null' TERM
while :; do
  wait "$child"
  status=$?
  kill -0 "$child" 2>/dev/null || break
done
echo "$status" >exit-code.new && mv exit-code.new exit-code
)sh";

std::optional<std::string> waitForFile(const std::filesystem::path& path, std::chrono::milliseconds limit)
{
    auto deadline = std::chrono::steady_clock::now() + limit;
    do {
        if (std::filesystem::exists(path))
            return readWholeFile(path);
        std::this_thread::sleep_for(20ms);
    } while (std::chrono::steady_clock::now() < deadline);
    return std::nullopt;
}

// Live processes whose command line or program mentions the text (zombies
// have neither).
std::vector<pid_t> processesMentioning(const std::string& text)
{
    return processesWhere([&](const std::filesystem::path& proc) {
        std::error_code error;
        const std::string program = std::filesystem::read_symlink(proc / "exe", error).string();
        return readWholeFile(proc / "cmdline").find(text) != std::string::npos || program.find(text) != std::string::npos;
    });
}

bool noProcessLeft(const std::vector<std::string>& marks, std::chrono::milliseconds limit)
{
    auto deadline = std::chrono::steady_clock::now() + limit;
    while (true) {
        bool left = false;
        for (const std::string& mark : marks)
            left = left || !processesMentioning(mark).empty();
        if (!left)
            return true;
        if (std::chrono::steady_clock::now() >= deadline)
            return false;
        std::this_thread::sleep_for(50ms);
    }
}

class XScreenSaver : public testing::Test {
protected:
    // packaged: the installed package's program, named by its bare name in
    // programs:, as a user would; otherwise the build's, installed into a
    // folder of the test's and run through the hack script above.
    explicit XScreenSaver(bool packaged = false) : packaged_(packaged) {}

    void SetUp() override
    {
        ASSERT_EQ(geteuid(), 0u) << "the daemon runs no hack as root, so this test makes and uses the account "
                                 << hostUser << ", which needs root";
        if (!getpwnam(hostUser.c_str()))
            runCommand({"useradd", "--system", "--no-create-home", "--home-dir", "/nonexistent", "--shell",
                "/usr/sbin/nologin", hostUser});
        const passwd* account = getpwnam(hostUser.c_str());
        ASSERT_NE(account, nullptr) << "could not make the account " << hostUser << " (useradd)";

        std::string programs = "tapwrite --root";
        if (packaged_) {
            ASSERT_TRUE(std::filesystem::exists(packagedHack)) << "the package is not installed";
        } else {
            ASSERT_EQ(
                runCommand({"cmake", "--install", buildFolder().string(), "--prefix", prefix.path().string()}, 60s),
                0);
            EXPECT_TRUE(std::filesystem::exists(prefix.path() / "share/xscreensaver/config/tapwrite.xml"));
            // The account must reach the saver and its tapwritefiles/.
            std::filesystem::permissions(prefix.path(), std::filesystem::perms(0755));
            std::string script = hackScript;
            script.replace(script.find("@SAVER@"), 7, saver().string());
            std::ofstream(hack()) << script;
            std::filesystem::permissions(hack(), std::filesystem::perms(0755));
            programs = hack().string() + " --root";
        }
        // The account writes in its home.
        std::filesystem::permissions(home.path(), std::filesystem::perms(0755));
        ASSERT_EQ(chown(home.path().c_str(), account->pw_uid, account->pw_gid), 0);
        std::ofstream(home.path() / ".xscreensaver") << "timeout: 1:00:00\n"
                                                        "lock: False\n"
                                                        "fade: False\n"
                                                        "unfade: False\n"
                                                        "splash: False\n"
                                                        "dpmsEnabled: False\n"
                                                        "mode: one\n"
                                                        "selected: 0\n"
                                                        "programs: "
                                                     << programs << " \\n\n";

        LaunchOptions options;
        options.workingDirectory = home.path();
        daemon = std::make_unique<ChildProcess>(asHost({"xscreensaver", "--no-splash", "--verbose"}), options);
        ASSERT_TRUE(daemon->started());
        auto deadline = std::chrono::steady_clock::now() + 15s;
        while (runCommand(asHost({"xscreensaver-command", "-version"})) != 0) {
            ASSERT_TRUE(daemon->running()) << "xscreensaver did not start (is it installed?)\n"
                                           << daemon->standardError();
            ASSERT_LT(std::chrono::steady_clock::now(), deadline) << "xscreensaver never answered\n"
                                                                  << daemon->standardError();
            std::this_thread::sleep_for(100ms);
        }
    }

    void TearDown() override
    {
        if (daemon && daemon->running())
            runCommand(asHost({"xscreensaver-command", "-exit"}));
        // A saver that outlived a failed test.
        std::string pid = readWholeFile(home.path() / "pid");
        if (!pid.empty())
            kill(std::stoi(pid), SIGKILL);
        if (packaged_)
            for (pid_t left : processesMentioning(packagedProgram.string()))
                kill(left, SIGKILL);
    }

    std::filesystem::path hack() const { return home.path() / "tapwrite-hack"; }
    std::filesystem::path saver() const { return prefix.path() / "bin/tapwrite"; }

    // The command run as the daemon's account, with its home.
    std::vector<std::string> asHost(std::vector<std::string> command) const
    {
        std::vector<std::string> argv{"runuser", "-u", hostUser, "--", "env", "HOME=" + home.path().string()};
        argv.insert(argv.end(), command.begin(), command.end());
        return argv;
    }

    bool command(const std::string& what) { return runCommand(asHost({"xscreensaver-command", what})) == 0; }

    // Activates the daemon and waits for it to have started the saver.
    void activate()
    {
        ASSERT_TRUE(command("-activate"));
        if (packaged_) {
            auto deadline = std::chrono::steady_clock::now() + 10s;
            while (processesMentioning(packagedProgram.string()).empty()) {
                ASSERT_LT(std::chrono::steady_clock::now(), deadline) << "the daemon never ran the saver\n"
                                                                      << daemon->standardError();
                std::this_thread::sleep_for(20ms);
            }
            return;
        }
        ASSERT_TRUE(waitForFile(home.path() / "pid", 10s)) << "the daemon never ran the saver\n"
                                                           << daemon->standardError();
    }

    // Deactivates the daemon and expects the saver to end cleanly and soon.
    void expectCleanEndOnDeactivate()
    {
        ASSERT_TRUE(command("-deactivate"));
        if (packaged_) {
            // No script of ours stands between to record the exit code (the
            // daemon logs none for a hack it stopped), so here it must only be
            // gone; the build's hack, the same program, has its code checked.
            EXPECT_TRUE(noProcessLeft({packagedProgram.string()}, 2s)) << "the saver is still running";
            return;
        }
        std::optional<std::string> code = waitForFile(home.path() / "exit-code", 2s);
        ASSERT_TRUE(code.has_value()) << "the saver did not end within 2 s of -deactivate\n"
                                       << daemon->standardError() << readWholeFile(home.path() / "stderr");
        EXPECT_EQ(*code, "0\n");
        EXPECT_EQ(readWholeFile(home.path() / "stderr"), "");
        EXPECT_TRUE(noProcessLeft({prefix.path().string(), hack().string()}, 2s))
            << "a process of the saver or its hack is still running";
    }

    // Activated, the saver shows the fed page in the daemon's window and types
    // on; deactivated, it ends cleanly.
    void showsTypingPageUntilDeactivated()
    {
        std::optional<PageGeometry> page = geometryFor(x11().screenWidth(), x11().screenHeight());
        ASSERT_TRUE(page.has_value()) << "no worked-out page for this screen size";
        ASSERT_NO_FATAL_FAILURE(activate());
        ASSERT_TRUE(waitForFedPaper(*page, 10s)) << "the paper never reached its fed height";
        // Without a window manager a window of the saver's own would stand over
        // the host's, and the screenshot alone would not tell them apart.
        EXPECT_FALSE(windowExists(saverWindowName)) << "the saver opened a window of its own";

        TempFolder shots("e2e-shots");
        Screenshot fed(shots.path() / "fed.png");
        ASSERT_TRUE(fed.ok());
        expectFedPage(fed, *page);
        const int inkAtFirst = inkOnTypingLine(fed, *page);
        // Typing goes on: more ink on the line a little later.
        int ink = inkAtFirst;
        auto deadline = std::chrono::steady_clock::now() + 6s;
        while (ink <= inkAtFirst + 30 && std::chrono::steady_clock::now() < deadline) {
            Screenshot later(buildFolder() / (packaged_ ? "e2e-xscreensaver-package.png" : "e2e-xscreensaver.png"));
            ASSERT_TRUE(later.ok());
            expectFedPage(later, *page);
            ink = inkOnTypingLine(later, *page);
        }
        EXPECT_GT(ink, inkAtFirst + 30) << "the typing stopped";
        EXPECT_FALSE(windowExists(saverWindowName)) << "the saver opened a window of its own";

        expectCleanEndOnDeactivate();
    }

    bool packaged_;
    TempFolder prefix{"e2e-install"};
    TempFolder home{"e2e-xscreensaver-home"};
    std::unique_ptr<ChildProcess> daemon;
};

class XScreenSaverPackage : public XScreenSaver {
protected:
    XScreenSaverPackage() : XScreenSaver(true) {}
};
}

TEST_F(XScreenSaver, ActivateShowsThePageInTheHostsWindowAndDeactivateEndsIt)
{
    showsTypingPageUntilDeactivated();
}

TEST_F(XScreenSaverPackage, FoundByBareNameShowsThePageAndDeactivateEndsIt)
{
    showsTypingPageUntilDeactivated();
}

TEST_F(XScreenSaver, WokenWhileThePaperIsFedInEndsCleanly)
{
    ASSERT_NO_FATAL_FAILURE(activate());
    // The feed takes more than a second; the host takes its window away right
    // after the signal, while the animation would still draw into it.
    std::this_thread::sleep_for(1s);
    expectCleanEndOnDeactivate();
}
