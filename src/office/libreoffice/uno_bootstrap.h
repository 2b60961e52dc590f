// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>

#include <com/sun/star/uno/XComponentContext.hpp>

namespace stampwell {

// The local UNO context of this program, bootstrapped once (SIGPIPE is ignored from then on,
// so that a dead office process cannot end the program) from an ini file that this
// program writes itself: it lists the office's types (types.rdb and offapi.rdb) and
// services, without which the first call through an office interface crashes.
// Throws EOleError when bootstrapping fails.
css::uno::Reference<css::uno::XComponentContext> LocalUnoContext();

// The ini text used for bootstrapping, for the given LibreOffice program directory.
std::string UnoBootstrapIni(const std::string& programDir);

// The LibreOffice program directory this build was configured with.
std::string LibreOfficeProgramDir();

}  // namespace stampwell
