#include "WindowTestServices.h"

MainWindowServices WindowTestServices::Services() {
    return MainWindowServices{
        *fileSystem_, *profileFile_, *folderRemoval_,
        [this](const std::string& text, const std::string& title, std::int32_t style,
               std::int32_t) {
            messages.push_back(Message{text, title, style});
            return std::int32_t{1};
        },
        [this](const std::string&, std::intptr_t, std::intptr_t, std::uint32_t,
               const std::string&) { return browseResult; }};
}

std::vector<std::string> WindowTestServices::MessageTexts() const {
    std::vector<std::string> texts;
    for (const Message& message : messages) {
        texts.push_back(message.text);
    }
    return texts;
}
