#include "ShareGroup.h"

#include <Foundation/AppGroup.h>

namespace ShareGroup {

std::optional<std::string> identifier(const Foundation::Bundle& bundle) {
    const Foundation::PropertyList* value = bundle.object(infoKey);
    const std::string* text = value ? value->text() : nullptr;
    if (!text || text->empty())
        return std::nullopt;
    return *text;
}

std::optional<std::filesystem::path> container(std::string_view identifier) {
    return Foundation::AppGroup::container(identifier);
}

} // namespace ShareGroup
