// The shared container of an App Group.
//
// Programs of one App Group exchange files in one folder. Here it is
// `$HOME/Library/Group Containers/<identifier>`, HOME taken from the process's
// environment at each call, so every program of the group computes the same
// folder and tests move it by setting HOME. An identifier that could name a
// folder elsewhere (empty, ".", "..", or holding "/" or NUL) has no
// container, and neither has a process without an absolute HOME. Nothing is
// created here.
#pragma once

#include <filesystem>
#include <optional>
#include <string_view>

namespace Foundation::AppGroup {

std::optional<std::filesystem::path> container(std::string_view identifier);

} // namespace Foundation::AppGroup
