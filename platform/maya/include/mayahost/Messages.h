#pragma once
// Every message shown through MGlobal::displayError/Warning/Info, kept in order so that tests
// can check what the user was told.
#include <string>
#include <vector>

namespace mayahost {

struct Message {
    enum Kind { kError, kWarning, kInfo } kind;
    std::string text;  // as passed, without the "// Error: " prefix or the newline
};

const std::vector<Message>& recordedMessages();
void clearRecordedMessages();
// True when a message of this kind with exactly this text was recorded.
bool hasMessage(Message::Kind kind, const std::string& text);

}  // namespace mayahost
