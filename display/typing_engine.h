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

// One step: types the next character of the current sentence, or ends the line
// when the sentence is done.
void typeNextCharacter();
// The pause in milliseconds after the step just made.
int nextCharacterDelay();
