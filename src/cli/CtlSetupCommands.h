#pragma once
// zvx7246ctl's setup-file commands:
//   apply FILE.zvx [U1|U4|both] [--lenient]   registers 0-7 as Write All writes them
//   diff FILE.zvx [U1|U4|both]                where the chips differ from the file

#include "cli/CtlSession.h"

namespace zvx::ctl {

// The checked command when words[0] is apply or diff; empty for any other
// command. The file is read here, before anything is opened; a bad word or
// file throws UsageError.
Session::Prepared prepareSetupCommand(const std::vector<std::string>& words, bool lenient);

// "register_3" for register 3: the key a setup file holds it under.
QString registerKey(int reg);

} // namespace zvx::ctl
