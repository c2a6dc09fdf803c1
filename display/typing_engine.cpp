#include "display/typing_engine.h"

#include "platform/pacing.h"

TypingState typingState;

namespace {
// After the last sentence typing goes on from the loop's entry, so the ones
// before it are an opening typed once. A list too short to have that entry
// starts over instead.
int sentenceAfter(int index, int count)
{
    int next = index + 1;
    if (next >= count)
        next = count > loopEntryIndex ? loopEntryIndex : 0;
    return next;
}

// The sentence the next step types from, as typeNextCharacter picks it.
int currentSentence(const TypingState& t, int count)
{
    if (t.sentenceIndex < 0 || t.sentenceIndex >= count)
        return sentenceAfter(count - 1, count);
    return t.sentenceIndex;
}

char upperCaseC(char c)
{
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}
}

void typeNextCharacter()
{
    TypingState& t = typingState;
    t.lineEnded = false;
    int count = static_cast<int>(t.sentences.size());
    if (count == 0)
        return;
    if (t.sentenceIndex < 0 || t.sentenceIndex >= count) {
        t.sentenceIndex = sentenceAfter(count - 1, count);
        t.charIndex = 0;
    }
    const std::string& sentence = t.sentences[static_cast<size_t>(t.sentenceIndex)];

    if (t.charIndex >= static_cast<int>(sentence.size())) {
        t.charIndex = 0;
        t.sentenceIndex = sentenceAfter(t.sentenceIndex, count);
        t.lines.emplace_back();
        t.lineEnded = true;
        t.completedLines += 1;
        t.scrollLines += 1;
        return;
    }

    t.currentChar.assign(1, sentence[static_cast<size_t>(t.charIndex)]);
    t.charIndex += 1;
    int r = drawRandom() % 200;
    if (r == 29)
        t.currentChar[0] = upperCaseC(t.currentChar[0]);
    else if (r == 59 && t.completedLines > 1)
        t.currentChar.clear();
    if (t.lines.empty())
        t.lines.emplace_back();
    t.lines.back() += t.currentChar;
}

bool nextStepEndsLine()
{
    const TypingState& t = typingState;
    const int count = static_cast<int>(t.sentences.size());
    if (count == 0)
        return false;
    const int index = currentSentence(t, count);
    const int charIndex = index == t.sentenceIndex ? t.charIndex : 0;
    return charIndex >= static_cast<int>(t.sentences[static_cast<size_t>(index)].size());
}

int nextCharacterDelay()
{
    if (typingState.currentChar.size() == 1 && typingState.currentChar[0] == ' ')
        return 5;
    return drawRandom() % 250 + 50;
}
