#pragma once
// zvx7246ctl's register and device commands:
//   write ADDR REG VALUE, read ADDR REG, dump ADDR [FIRST [LAST]]
//   read-all U1|U4, lock U1|U4, revision U1|U4, reset U1|U4 pll|dpa|both

#include "cli/CtlSession.h"

namespace zvx::ctl {

// The checked command when words[0] is one of the commands above; empty
// for any other command. A bad word throws UsageError.
Session::Prepared prepareRegisterCommand(const std::vector<std::string>& words);

} // namespace zvx::ctl
