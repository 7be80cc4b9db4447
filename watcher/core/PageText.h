#pragma once
// The received page as lines, and the address candidate cut out of it.
// Lines are split as a multi-line text control takes text in; the hosts
// file is read the same way.

#include <string>
#include <vector>

// A line runs to the next CR or LF or to the end; CR LF is one line end,
// every other CR or LF one of its own. Empty input gives no lines.
std::vector<std::string> SplitLines(const std::string& bytes);

// Every line followed by CR LF, as a multi-line text control gives its text.
std::string JoinLines(const std::vector<std::string>& lines);

// Appends the lines of Bytes to Text, each followed by CR LF: the page as
// the control would give it back, JoinLines(SplitLines(Bytes)) in one pass.
void AppendPageLines(std::string& text, const std::string& bytes);

// Drops everything up to the first Before, then everything from the first
// After in what is left. An empty marker or one that does not occur cuts
// nothing.
std::string CutBetweenMarkers(const std::string& page, const std::string& before, const std::string& after);
