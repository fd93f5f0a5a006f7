// The user's home folder, for the files the program keeps of its own (settings, rescued
// images). HOME names it when it is an absolute path; unset, empty or relative (a service,
// cron, `env -i`), the user database's entry does, so that nothing lands under the root or
// the folder the program was started in.
#pragma once

#include <string>

// HOME when absolute, else the home the user database gives the real user when absolute,
// else empty.
std::string UserHome();
// Call once at start, before anything reads the environment: HOME is set to UserHome()
// where it was not absolute, and XDG_CONFIG_HOME and XDG_DATA_HOME are dropped where they
// are relative (such values are to be ignored).
void SettleHome();
