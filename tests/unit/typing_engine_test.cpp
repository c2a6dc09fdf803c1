#include "display/typing_engine.h"

#include "display/builtin_text.h"
#include "tests/support/scripted_pacing.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {
// A random value that neither capitalises (29) nor drops (59).
constexpr int plain = 0;

class TypingTest : public ::testing::Test {
protected:
    void SetUp() override { typingState = TypingState{}; }
    void TearDown() override { typingState = TypingState{}; }

    // Types until the given number of lines has been ended; returns the
    // sentence index typed on each of those lines.
    std::vector<int> sentenceOrder(int lineCount)
    {
        std::vector<int> order;
        int guard = 100000;
        while (static_cast<int>(order.size()) < lineCount && --guard > 0) {
            int before = typingState.sentenceIndex;
            typeNextCharacter();
            if (typingState.lineEnded)
                order.push_back(before);
        }
        return order;
    }
};

TEST_F(TypingTest, StartsWithOneEmptyLineAndNothingTyped)
{
    EXPECT_EQ(typingState.lines, std::vector<std::string>{""});
    EXPECT_EQ(typingState.sentenceIndex, 0);
    EXPECT_EQ(typingState.charIndex, 0);
    EXPECT_EQ(typingState.currentChar, "");
    EXPECT_FALSE(typingState.lineEnded);
    EXPECT_EQ(typingState.completedLines, 0);
    EXPECT_EQ(typingState.scrollLines, 0);
}

TEST_F(TypingTest, TwoCharacterSentenceTakesThreeSteps)
{
    ScriptedPacing pacing({}, plain);
    typingState.sentences = {"ab", "cd"};
    typingState.scrollLines = 9;

    typeNextCharacter();
    EXPECT_EQ(typingState.lines.back(), "a");
    EXPECT_FALSE(typingState.lineEnded);
    typeNextCharacter();
    EXPECT_EQ(typingState.lines.back(), "ab");
    EXPECT_EQ(typingState.charIndex, 2);
    EXPECT_EQ(ScriptedPacing::draws(), 2);

    typeNextCharacter();
    EXPECT_TRUE(typingState.lineEnded);
    EXPECT_EQ(typingState.lines, (std::vector<std::string>{"ab", ""}));
    EXPECT_EQ(typingState.completedLines, 1);
    EXPECT_EQ(typingState.scrollLines, 10);
    EXPECT_EQ(typingState.sentenceIndex, 1);
    EXPECT_EQ(typingState.charIndex, 0);
    EXPECT_EQ(typingState.currentChar, "b") << "a line end leaves the last character";
    EXPECT_EQ(ScriptedPacing::draws(), 2) << "a line end draws nothing";

    typeNextCharacter();
    EXPECT_FALSE(typingState.lineEnded) << "only the step that ends a line sets it";
    EXPECT_EQ(typingState.lines.back(), "c");
}

TEST_F(TypingTest, EmptySentenceIsAnEmptyLine)
{
    ScriptedPacing pacing({}, plain);
    typingState.sentences = {"", "x"};
    typeNextCharacter();
    EXPECT_TRUE(typingState.lineEnded);
    EXPECT_EQ(typingState.lines, (std::vector<std::string>{"", ""}));
    EXPECT_EQ(typingState.currentChar, "");
    // The pause after it is the irregular one, drawn from the generator.
    ScriptedPacing::append({3});
    EXPECT_EQ(nextCharacterDelay(), 53);
}

TEST_F(TypingTest, SentenceOrderWrapsToTheFifth)
{
    struct OrderCase {
        std::vector<std::string> sentences;
        std::vector<int> order;
    };
    const OrderCase cases[] = {
        {{"a", "b", "c", "d", "e"}, {0, 1, 2, 3, 4, 4, 4, 4}},
        {{"a", "b", "c", "d", "e", "f", "g"}, {0, 1, 2, 3, 4, 5, 6, 4, 5, 6, 4}},
        {{"a", "", "c", "d", "e", ""}, {0, 1, 2, 3, 4, 5, 4, 5, 4}},
        // Too short for a fifth sentence: start over from the first.
        {{"a"}, {0, 0, 0}},
        {{"a", "b"}, {0, 1, 0, 1}},
        {{"a", "b", "c", "d"}, {0, 1, 2, 3, 0, 1, 2, 3, 0}},
    };
    for (const OrderCase& c : cases) {
        typingState = TypingState{};
        ScriptedPacing pacing({}, plain);
        typingState.sentences = c.sentences;
        EXPECT_EQ(sentenceOrder(static_cast<int>(c.order.size())), c.order)
            << c.sentences.size() << " sentences";
        EXPECT_EQ(typingState.lines.size(), c.order.size() + 1);
    }
}

TEST_F(TypingTest, EmptyListTypesNothingAndStaysConsistent)
{
    ScriptedPacing pacing({}, plain);
    for (int i = 0; i < 5; ++i)
        typeNextCharacter();
    EXPECT_EQ(typingState.lines, std::vector<std::string>{""});
    EXPECT_FALSE(typingState.lineEnded);
    EXPECT_EQ(typingState.completedLines, 0);
    EXPECT_EQ(typingState.sentenceIndex, 0);
    EXPECT_EQ(typingState.charIndex, 0);
}

TEST_F(TypingTest, CapitalOnTwentyNineOnlyChangesLettersAToZ)
{
    struct CapitalCase {
        char typed;
        int random;
        std::string shown;
    };
    const CapitalCase cases[] = {
        {'a', 29, "A"},
        {'z', 229, "Z"}, // drawn modulo 200
        {'q', 30, "q"},
        {'Q', 29, "Q"},
        {'7', 29, "7"},
        {' ', 29, " "},
        {'.', 29, "."},
        {'\xe9', 29, "\xe9"},
        {'\xff', 29, "\xff"},
    };
    for (const CapitalCase& c : cases) {
        typingState = TypingState{};
        ScriptedPacing pacing({c.random}, plain);
        typingState.sentences = {std::string(1, c.typed)};
        typeNextCharacter();
        EXPECT_EQ(typingState.currentChar, c.shown) << "byte " << int(static_cast<unsigned char>(c.typed));
        EXPECT_EQ(typingState.lines.back(), c.shown);
    }
}

TEST_F(TypingTest, DropOnFiftyNineOnlyFromTheThirdLine)
{
    struct DropCase {
        int completedLines;
        int random;
        bool dropped;
    };
    const DropCase cases[] = {
        {0, 59, false}, {1, 59, false}, {2, 59, true}, {30, 259, true}, {2, 58, false}, {2, 29, false},
    };
    for (const DropCase& c : cases) {
        typingState = TypingState{};
        ScriptedPacing pacing({c.random}, plain);
        typingState.sentences = {"ab"};
        typingState.completedLines = c.completedLines;
        typeNextCharacter();
        EXPECT_EQ(typingState.charIndex, 1) << "the cursor moves on either way";
        if (c.dropped) {
            EXPECT_EQ(typingState.currentChar, "");
            EXPECT_EQ(typingState.lines.back(), "");
        } else {
            EXPECT_EQ(typingState.currentChar.size(), 1u);
            EXPECT_EQ(typingState.lines.back(), typingState.currentChar);
        }
    }
}

TEST_F(TypingTest, NoDropsInTheFirstTwoLinesOverAWholeScript)
{
    // Every step draws 59: the first two lines come out whole, the third loses all.
    ScriptedPacing pacing({}, 59);
    typingState.sentences = {"abc", "def", "ghi"};
    sentenceOrder(3);
    EXPECT_EQ(typingState.lines, (std::vector<std::string>{"abc", "def", "", ""}));
}

TEST_F(TypingTest, PauseAfterEachKindOfStep)
{
    struct PauseCase {
        std::string sentence;
        int stepRandom;
        int pauseRandom;
        int pause;
        int drawsForPause;
    };
    const PauseCase cases[] = {
        {" ", plain, 0, 5, 0},     // a typed blank
        {" ", 29, 0, 5, 0},        // a capitalised blank is still a blank
        {" ", 59, 7, 57, 1},       // a dropped blank is not
        {"k", plain, 0, 50, 1},    // shortest irregular pause
        {"k", plain, 249, 299, 1}, // longest
        {"k", plain, 250, 50, 1},  // modulo 250
        {"k", 29, 100, 150, 1},    // a capital
    };
    for (const PauseCase& c : cases) {
        typingState = TypingState{};
        ScriptedPacing pacing({c.stepRandom}, plain);
        typingState.sentences = {c.sentence};
        typingState.completedLines = 5;
        typeNextCharacter();
        ScriptedPacing::append({c.pauseRandom});
        int before = ScriptedPacing::draws();
        EXPECT_EQ(nextCharacterDelay(), c.pause) << "[" << c.sentence << "] random " << c.stepRandom;
        EXPECT_EQ(ScriptedPacing::draws() - before, c.drawsForPause);
    }
}

TEST_F(TypingTest, PauseAfterALineEndIsThatOfTheLastCharacter)
{
    ScriptedPacing pacing({}, plain);
    typingState.sentences = {"a ", "b"};
    typeNextCharacter();
    typeNextCharacter();
    typeNextCharacter();
    ASSERT_TRUE(typingState.lineEnded);
    EXPECT_EQ(nextCharacterDelay(), 5);
}

TEST(BuiltinText, EnoughPlainShortSentences)
{
    const std::vector<std::string>& text = builtinSentences();
    EXPECT_GE(text.size(), 12u);
    for (const std::string& s : text) {
        EXPECT_LE(s.size(), 60u) << s;
        for (char c : s)
            EXPECT_TRUE(c >= 0x20 && c <= 0x7e) << s;
    }
    typingState = TypingState{};
    useBuiltinTextIfEmpty();
    EXPECT_EQ(typingState.sentences, text);
    typingState.sentences = {"from the feed"};
    useBuiltinTextIfEmpty();
    EXPECT_EQ(typingState.sentences, std::vector<std::string>{"from the feed"});
    typingState = TypingState{};
}
}
