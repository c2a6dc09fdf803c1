#pragma once
// Types the sentences onto the page, one character per step.
#include <string>
#include <vector>

struct TypingState {
    std::vector<std::string> sentences;
    int sentenceIndex = 0;
    int charIndex = 0;
    std::string currentChar;
    std::vector<std::string> lines{std::string()};
    bool lineEnded = false;
    int completedLines = 0;
    int scrollLines = 0;
};

extern TypingState typingState;

// The entry the typing comes back to after the last one: the fifth (index 4).
// The first four are an opening, typed once; a list without a fifth entry
// starts over from the first instead.
inline constexpr int loopEntryIndex = 4;

// One step: types the next character of the current sentence, or ends the line
// when the sentence is done.
void typeNextCharacter();
// True when the next step ends the line instead of typing a character.
bool nextStepEndsLine();
// The pause in milliseconds after the step just made.
int nextCharacterDelay();
