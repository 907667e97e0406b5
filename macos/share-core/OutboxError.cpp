#include "OutboxError.h"

std::string OutboxError::description() const {
    if (const auto* write = std::get_if<Write>(&value)) {
        // The text is a file name, or a file name, ": " and the system's reason.
        const std::size_t colon = write->text.find(": ");
        const std::string name = write->text.substr(0, colon);
        const std::string reason =
            colon == std::string::npos ? std::string() : ": " + write->text.substr(colon + 2);
        return "The share file “" + name + "” couldn't be put in place" + reason + ".";
    }
    if (std::holds_alternative<BadRef>(value))
        return "The share's reference isn't valid, so nothing was written.";
    return "The share couldn't be written as JSON, so nothing was written.";
}

Foundation::Error makingFolder(const std::filesystem::path& folder, std::error_code error) {
    return Foundation::posixError(error, "The folder “" + folder.string() + "” couldn't be made");
}

std::string description(const ShareWriteError& error) {
    if (const auto* outbox = std::get_if<OutboxError>(&error))
        return outbox->description();
    return std::get<Foundation::Error>(error).description + ".";
}
