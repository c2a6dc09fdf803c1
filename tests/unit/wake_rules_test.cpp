#include "app/wake_rules.h"
#include "platform/platform.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <utility>
#include <vector>

namespace {
void resetWake()
{
    mouseOriginSet = false;
    mouseOriginX = 0;
    mouseOriginY = 0;
    quitRequested = false;
}

struct MouseCase {
    const char* name;
    std::vector<std::pair<int, int>> moves; // the first one sets the origin
    std::vector<bool> fires;
};

TEST(MouseRule, FiresAtThirtySixPixelsAlongEitherAxisFromTheFirstPosition)
{
    const MouseCase cases[] = {
        {"first motion only records", {{900, 500}}, {false}},
        {"first motion far away", {{0, 0}}, {false}},
        {"35 right and 35 down", {{960, 540}, {995, 575}}, {false, false}},
        {"36 right", {{960, 540}, {996, 540}}, {false, true}},
        {"36 left", {{960, 540}, {924, 540}}, {false, true}},
        {"36 up", {{960, 540}, {960, 504}}, {false, true}},
        {"36 down", {{960, 540}, {960, 576}}, {false, true}},
        {"20 then 20 more", {{960, 540}, {980, 540}, {1000, 540}}, {false, false, true}},
        {"diagonal 30,30 is not 36", {{100, 100}, {130, 130}}, {false, false}},
        {"back and forth", {{100, 100}, {135, 100}, {65, 100}, {100, 64}}, {false, false, false, true}},
    };
    for (const MouseCase& c : cases) {
        resetWake();
        for (size_t i = 0; i < c.moves.size(); ++i)
            EXPECT_EQ(mouseRuleFires(c.moves[i].first, c.moves[i].second), c.fires[i]) << c.name << ", move " << i;
        EXPECT_EQ(mouseOriginX, c.moves.front().first) << c.name << ": the origin never moves";
        EXPECT_EQ(mouseOriginY, c.moves.front().second) << c.name;
    }
}

// The event drain on a real SDL event queue.
class EventDrainTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        // As the saver does: SDL would otherwise autolaunch a session bus here.
        platformStayOffAbsentSessionBus();
        ASSERT_EQ(SDL_Init(SDL_INIT_EVENTS), 0) << SDL_GetError();
        SDL_FlushEvents(SDL_FIRSTEVENT, SDL_LASTEVENT);
        resetWake();
    }
    void TearDown() override
    {
        SDL_Quit();
        resetWake();
    }
    static void push(Uint32 type)
    {
        SDL_Event e{};
        e.type = type;
        ASSERT_EQ(SDL_PushEvent(&e), 1) << SDL_GetError();
    }
    static int queued() { return SDL_PeepEvents(nullptr, 0, SDL_PEEKEVENT, SDL_FIRSTEVENT, SDL_LASTEVENT); }
    static Uint32 nextQueuedType()
    {
        SDL_Event e{};
        return SDL_PeepEvents(&e, 1, SDL_PEEKEVENT, SDL_FIRSTEVENT, SDL_LASTEVENT) == 1 ? e.type : 0;
    }
};

TEST_F(EventDrainTest, IgnoredEventsDoNotWake)
{
    for (Uint32 type : {SDL_KEYUP, SDL_MOUSEBUTTONDOWN, SDL_MOUSEBUTTONUP, SDL_MOUSEWHEEL, SDL_WINDOWEVENT})
        push(type);
    EXPECT_FALSE(drainEventsAndCheckWake());
    EXPECT_EQ(queued(), 0);
}

TEST_F(EventDrainTest, KeyPressWakesAndLeavesTheRestQueued)
{
    push(SDL_KEYUP);
    push(SDL_KEYDOWN);
    push(SDL_MOUSEBUTTONDOWN);
    EXPECT_TRUE(drainEventsAndCheckWake());
    EXPECT_EQ(queued(), 1);
    EXPECT_EQ(nextQueuedType(), Uint32(SDL_MOUSEBUTTONDOWN));
}

TEST_F(EventDrainTest, QuitRequestLooksAtTheRestFirst)
{
    push(SDL_QUIT);
    push(SDL_MOUSEBUTTONDOWN);
    push(SDL_KEYUP);
    EXPECT_TRUE(drainEventsAndCheckWake());
    EXPECT_TRUE(quitRequested);
    EXPECT_EQ(queued(), 0);
}

TEST_F(EventDrainTest, MotionsQueuedBehindAStillMotionGoInTheSamePass)
{
    // The pointer stays where it is: the first motion marks the origin, the
    // motions right behind it would read the same position and go with it,
    // and the key press after them ends this pass, not one pass per motion.
    for (int i = 0; i < 300; ++i)
        push(SDL_MOUSEMOTION);
    push(SDL_KEYUP);
    push(SDL_MOUSEMOTION);
    push(SDL_MOUSEMOTION);
    push(SDL_KEYDOWN);
    push(SDL_MOUSEBUTTONDOWN);
    EXPECT_TRUE(drainEventsAndCheckWake());
    EXPECT_TRUE(mouseOriginSet);
    EXPECT_EQ(queued(), 1);
    EXPECT_EQ(nextQueuedType(), Uint32(SDL_MOUSEBUTTONDOWN));
}

TEST_F(EventDrainTest, AMotionQueuedInAWindowGoneSinceIsPassedOver)
{
    // Windows made again after the outputs changed: the old ones' motions
    // tell where the pointer was, not where it rests.
    SDL_Event motion{};
    motion.type = SDL_MOUSEMOTION;
    motion.motion.windowID = 4242;
    ASSERT_EQ(SDL_PushEvent(&motion), 1) << SDL_GetError();
    push(SDL_KEYDOWN);
    EXPECT_TRUE(drainEventsAndCheckWake());
    EXPECT_FALSE(mouseOriginSet);
}

TEST_F(EventDrainTest, QuitBeforeAMotionStillEndsThePass)
{
    push(SDL_QUIT);
    push(SDL_MOUSEMOTION);
    push(SDL_KEYDOWN);
    EXPECT_TRUE(drainEventsAndCheckWake());
    EXPECT_TRUE(quitRequested);
}
}
