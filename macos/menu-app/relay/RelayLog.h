// The relay's one logger: subsystem "com.tallowmeadows.kestrelhaven", category "dossier-share".
#pragma once

#include <Foundation/Log.h>

namespace RelayLog {

const Foundation::Logger& logger();

} // namespace RelayLog
