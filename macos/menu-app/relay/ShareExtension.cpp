#include "relay/ShareExtension.h"

#include "relay/DossierShares.h"
#include "service/Bundled.h"
#include "service/Run.h"

#include <Foundation/TextPieces.h>
#include <Tools/Tools.h>
#include <optional>
#include <string>
#include <string_view>

namespace ShareExtension {

namespace {

Run::Result pluginkit(const std::vector<std::string>& arguments) {
    return Run::run(Tools::path(Tools::Tool::pluginkit), arguments, std::nullopt, pluginTimeout);
}

} // namespace

std::optional<std::string> identifier() {
    const auto bundle = DossierShares::extensionBundle();
    auto identifier = bundle ? bundle->identifier() : std::nullopt;
    if (!identifier || identifier->empty())
        return std::nullopt;
    return identifier;
}

State state() {
    const auto identifier = ShareExtension::identifier();
    if (!identifier)
        return State::notRegistered;
    return listed(pluginkit({"-m", "-i", *identifier}).output, *identifier);
}

State listed(std::string_view listing, std::string_view identifier) {
    for (const std::string_view line : Foundation::nonEmptyPieces(listing, '\n')) {
        if (line.find(identifier) != std::string_view::npos)
            return line.starts_with('+') ? State::on : State::off;
    }
    return State::notRegistered;
}

bool set(bool on) {
    const auto identifier = ShareExtension::identifier();
    if (!identifier)
        return false;
    return pluginkit({"-e", on ? "use" : "ignore", "-i", *identifier}).status == 0;
}

void registerBundle() {
    Run::run(Tools::path(Tools::Tool::lsregister),
             {"-f", "-R", "-trusted", Bundled::app().string()}, std::nullopt, registerTimeout);
}

} // namespace ShareExtension
