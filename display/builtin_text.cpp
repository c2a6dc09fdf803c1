#include "display/builtin_text.h"

#include "display/typing_engine.h"

// The first four lines are typed once, as an opening; the rest come round again
// and again, so they are the ones a long watch sees.
const std::vector<std::string>& builtinSentences()
{
    static const std::vector<std::string> text{
        "Hello again. The machine is warm and the ribbon is new.",
        "A fresh sheet is in, the margins are set.",
        "Nothing to do now but listen to the keys.",
        "",
        "The quick brown fox jumps over the lazy dog.",
        "Every bell at the end of a line is a small applause.",
        "Pack my box with five dozen liquor jugs.",
        "The carriage slides back, and the next line begins.",
        "Letters land like rain on a tin roof.",
        "Sphinx of black quartz, judge my vow.",
        "A typist's best friend is a steady rhythm.",
        "Strike each key firmly; the paper remembers.",
        "How vexingly quick daft zebras jump!",
        "The ribbon fades a little with every page.",
        "Somewhere a reader waits for these very words.",
        "Waltz, bad nymph, for quick jigs vex.",
        "Ink, paper and patience: the whole of the trade.",
        "A blank page is only a story that has not started.",
        "",
    };
    return text;
}

void useBuiltinTextIfEmpty()
{
    if (typingState.sentences.empty())
        typingState.sentences = builtinSentences();
}
