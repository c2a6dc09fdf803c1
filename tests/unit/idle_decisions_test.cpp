// The idle companion's decisions over long random sequences of what a desk
// and its session do: locks said and unsaid, unlocks, sleeps, logind and the
// shields restarted, inhibitors, input, savers that end by a key or fail.
// A small model of the desk knows what is true; the decisions hear only what
// the companion would (input only where it watched for it, an inhibitor only
// when asked), and rules a to d are checked after every step. The seed is
// printed; TAPWRITE_SEED=n runs that one again.
#include "idle/decide/decisions.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <random>
#include <string>

namespace {
// One tick of the model's clock is 100 ms: a saver told to end goes within
// 9 ticks (rule c's 1 s), the idle time is 2 to 15 ticks.
constexpr int endTicks = 9;

class Desk {
public:
    Desk(std::mt19937& random, int after) : random_(random), after_(after) { }

    // One step of the person, the session, the saver or the clock.
    void step()
    {
        const int i = pick(shieldCount);
        const Service shield = Service(int(Service::GnomeShield) + i);
        switch (pick(16)) {
        case 0:
            input();
            break;
        case 1: // a key, which ends a saver up
            input();
            endAlone();
            break;
        case 2:
            endAlone(); // failed, or ended by its own hand
            break;
        case 3:
        case 4:
            if (!logindGone_)
                hear({say(lockAsked_, pick(2)) ? Heard::Lock : Heard::Unlock});
            break;
        case 5:
            if (!logindGone_)
                hear({Heard::LockedHint, say(hint_, pick(2))});
            break;
        case 6:
            // Cinnamon's leaves only while inactive, and says so when it comes back.
            if (shieldGone_[i]) {
                shieldGone_[i] = false;
                hear({Heard::OwnerChanged, true, shield});
                hear({Heard::Shield, false, shield});
            } else if (pick(5) == 0 && (shield != Service::CinnamonShield || !shields_[i])) {
                shieldGone_[i] = true;
                hear({Heard::OwnerChanged, say(shields_[i], false), shield});
            } else
                hear({Heard::Shield, say(shields_[i], pick(2)), shield});
            break;
        case 7:
            // Heard only when asked; its end is no new idle period, only a delay.
            if (!(inhibited_ = !inhibited_))
                letGo_ = now_;
            break;
        case 8:
            // No input comes while it sleeps: the idle watch knows no time then.
            if (!logindGone_)
                hear({(asleep_ = !asleep_) ? Heard::Sleep : Heard::Resume});
            break;
        case 9:
            // logind restarted: it forgets a sleep and a Lock, not its hint.
            logindGone_ = !logindGone_;
            hear({Heard::OwnerChanged, !logindGone_, Service::Logind});
            if (!logindGone_) {
                asleep_ = lockAsked_ = false;
                hear({Heard::LockedHint, hint_});
            }
            break;
        default:
            tick();
            break;
        }
        check();
    }

    long long events = 0;

private:
    int pick(int n) { return std::uniform_int_distribution<int>(0, n - 1)(random_); }
    bool said() const { return hint_ || shields_[0] || shields_[1] || shields_[2]; }
    bool locked() const { return lockAsked_ || said(); }
    bool heldOff() const { return locked() || asleep_; }
    bool free() const { return !heldOff() && !inhibited_; }

    // The session's word: one that falls ends a Lock before it too.
    bool say(bool& state, bool on)
    {
        if (state && !on && &state != &lockAsked_)
            lockAsked_ = false;
        return state = on;
    }

    void tick()
    {
        ++now_;
        if (saverAlive_ && !going_)
            lastSaver_ = now_;
        if (saverAlive_ && endsAt_ == now_) {
            saverAlive_ = false;
            // One told to end has gone: the idle time counts from here.
            if (told_)
                freeSince_ = now_;
            hear({Heard::SaverEnded});
        }
        if (report_ == now_) {
            report_ = -1;
            hear({Heard::IdleReached});
        }
    }

    // Rule d's model: the first input after a Lock nothing says ends it.
    void input()
    {
        history_.push_back(std::to_string(now_) + " a person's input");
        report_ = now_ + after_;
        lockAsked_ = lockAsked_ && said();
        freeSince_ = now_;
        if (inputWatched_) {
            inputWatched_ = false;
            hear({Heard::Input});
        }
    }

    void endAlone()
    {
        if (saverAlive_ && !going_) {
            going_ = true;
            endsAt_ = now_ + 1 + pick(endTicks);
        }
    }

    void hear(const Event& event)
    {
        ++events;
        const Actions a = decide(session_, event);
        static const char* const names[] = {"IdleReached", "Input", "Lock", "Unlock", "LockedHint", "Shield",
            "Inhibitor", "Sleep", "Resume", "SaverStarted", "SaverEnded", "OwnerChanged"};
        // The last events, said when a rule fails.
        history_.push_back(std::to_string(now_) + " " + names[int(event.what)] + "(" + std::to_string(event.on) + ","
            + std::to_string(int(event.which)) + ") ->" + (a.endSaver ? " end" : "") + (a.watchInput ? " input" : "")
            + (a.watchIdle ? " idle" : "") + (a.askInhibitors ? " ask" : "") + (a.startSaver ? " start" : ""));
        if (history_.size() > 30)
            history_.pop_front();
        carryOut(a);
    }

    std::string history() const
    {
        std::string said = "\n";
        for (const std::string& line : history_)
            said += line + "\n";
        return said;
    }

    void carryOut(const Actions& a)
    {
        if (a.endSaver) {
            ASSERT_TRUE(saverAlive_) << "ended a saver that is not there";
            if (!going_)
                endsAt_ = now_ + 1 + pick(endTicks);
            told_ = going_ = true;
        }
        if (a.watchInput)
            inputWatched_ = true;
        if (a.watchIdle)
            report_ = now_ + after_;
        if (a.askInhibitors)
            hear({Heard::Inhibitor, inhibited_});
        if (a.startSaver) {
            // Rules a and c.
            ASSERT_FALSE(locked()) << "a saver started under a lock";
            ASSERT_FALSE(asleep_) << "a saver started for the sleep";
            ASSERT_FALSE(inhibited_) << "a saver started while an inhibitor was held";
            ASSERT_FALSE(saverAlive_) << "a second saver";
            lastSaver_ = now_;
            if (pick(8) == 0) {
                hear({Heard::SaverEnded}); // could not start
                return;
            }
            saverAlive_ = true;
            told_ = going_ = false;
            endsAt_ = -1;
            hear({Heard::SaverStarted});
        }
    }

    void check()
    {
        // Rule c: a saver up under a lock or a sleep was told to end at once.
        if (heldOff()) {
            ASSERT_TRUE(!saverAlive_ || told_) << "a saver left running under a lock or a sleep";
        }
        // A lock or a sleep ended in this step: the idle time counts from here.
        if (!heldOff() && wasHeldOff_)
            freeSince_ = now_;
        wasHeldOff_ = heldOff();
        // Rule d, and the rest of the session as it is said: the decisions
        // see the lock as the desk has it.
        ASSERT_EQ(::locked(session_), locked()) << "the session is " << (locked() ? "" : "not ") << "locked" << history();
        ASSERT_EQ(session_.asleep, asleep_) << history();
        // Rule b: after input or the end of a lock or a sleep, free for the
        // idle time (and an inhibitor let go as long ago), a saver came.
        if (free() && !saverAlive_) {
            ASSERT_FALSE(now_ >= std::max(freeSince_, letGo_) + after_ && lastSaver_ < freeSince_)
                << "no saver " << now_ - freeSince_ << " ticks after the desk came free (idle time " << after_ << ")"
                << history();
        }
    }

    std::mt19937& random_;
    const int after_;
    int now_ = 0;
    // The session as it is.
    bool lockAsked_ = false, hint_ = false, shields_[shieldCount] = {}, shieldGone_[shieldCount] = {};
    bool asleep_ = false, inhibited_ = false, logindGone_ = false;
    // The idle source: the next idle report's tick (-1: none), and a watch
    // for the next input.
    int report_ = after_;
    bool inputWatched_ = false;
    // The saver's process, told to end by the decisions, or going by itself
    // (a key, a failure).
    bool saverAlive_ = false, told_ = false, going_ = false;
    int endsAt_ = -1;
    // The last input, end of a lock or a sleep, or saver told to end gone;
    // the last inhibitor let go.
    int freeSince_ = 0;
    int letGo_ = 0;
    bool wasHeldOff_ = false;
    int lastSaver_ = -1;
    Session session_;
    std::deque<std::string> history_;
};
}

TEST(IdleDecisions, RulesHoldOverAnySequenceOfEvents)
{
    const char* given = std::getenv("TAPWRITE_SEED");
    const unsigned seed = given ? unsigned(std::strtoul(given, nullptr, 10)) : std::random_device {}();
    std::mt19937 random(seed);
    long long events = 0;
    constexpr int sequences = 1000, steps = 2000;
    for (int n = 0; n < sequences && !HasFatalFailure(); ++n) {
        SCOPED_TRACE(testing::Message() << "seed " << seed << ", sequence " << n);
        Desk desk(random, std::uniform_int_distribution<int>(2, 15)(random));
        for (int i = 0; i < steps && !HasFatalFailure(); ++i)
            desk.step();
        events += desk.events;
    }
    RecordProperty("events", std::to_string(events));
    std::printf("idle decisions: %lld events in %d sequences, seed %u\n", events, sequences, seed);
}
