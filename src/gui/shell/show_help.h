// Help requests of every window: a topic by context number, help on help, the contents.
#pragma once

namespace tarnova {
class UserInterfacePort;
}

namespace tarnova::gui {

// Opens the program's help file TARNOVA.HLP with command kHelpContext (datum: the
// context number), kHelpOnHelp or kHelpFinder. The first request of the process checks that the
// file exists and reports a missing one through port (owned by the calling window); later
// requests do not check again. Returns 1 when the help viewer was opened, 0 otherwise.
int ShowHelp(UserInterfacePort& port, int command, int datum);

} // namespace tarnova::gui
